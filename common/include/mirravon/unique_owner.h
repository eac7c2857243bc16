// Owners for Win32 resources: one template, one alias per kind of resource.
//
// A resource kind is a traits type with `type`, `invalid()` and `close(type)`.
// Kinds whose empty value is NULL are kept apart from those whose empty value is
// INVALID_HANDLE_VALUE, so that neither is ever passed to its closing function.
#pragma once

#include <windows.h>
#include <oleauto.h>

#include <utility>

namespace mirravon {

template <typename Traits>
class UniqueOwner {
public:
    using pointer = typename Traits::type;

    UniqueOwner() noexcept = default;
    explicit UniqueOwner(pointer value) noexcept : m_value(value) {}
    ~UniqueOwner() { reset(); }

    UniqueOwner(const UniqueOwner&) = delete;
    UniqueOwner& operator=(const UniqueOwner&) = delete;
    UniqueOwner(UniqueOwner&& other) noexcept : m_value(other.release()) {}
    UniqueOwner& operator=(UniqueOwner&& other) noexcept {
        if (this != &other) reset(other.release());
        return *this;
    }

    pointer get() const noexcept { return m_value; }
    bool valid() const noexcept { return m_value != Traits::invalid(); }
    explicit operator bool() const noexcept { return valid(); }

    // Closes what is held and takes `value` instead.
    void reset(pointer value = Traits::invalid()) noexcept {
        pointer old = std::exchange(m_value, value);
        if (old != Traits::invalid()) Traits::close(old);
    }

    // Gives up ownership without closing.
    pointer release() noexcept { return std::exchange(m_value, Traits::invalid()); }

    // Closes what is held, then hands out the address for an API to fill.
    pointer* put() noexcept {
        reset();
        return &m_value;
    }

private:
    pointer m_value = Traits::invalid();
};

namespace traits {

struct Handle {  // processes, threads, events, mutexes: empty is NULL
    using type = HANDLE;
    static type invalid() noexcept { return nullptr; }
    static void close(type h) noexcept { ::CloseHandle(h); }
};

struct FileHandle {  // files and pipes from CreateFile/CreateNamedPipe: empty is INVALID_HANDLE_VALUE
    using type = HANDLE;
    static type invalid() noexcept { return INVALID_HANDLE_VALUE; }
    static void close(type h) noexcept { ::CloseHandle(h); }
};

struct FindHandle {
    using type = HANDLE;
    static type invalid() noexcept { return INVALID_HANDLE_VALUE; }
    static void close(type h) noexcept { ::FindClose(h); }
};

struct RegKey {
    using type = HKEY;
    static type invalid() noexcept { return nullptr; }
    static void close(type h) noexcept { ::RegCloseKey(h); }
};

struct Module {
    using type = HMODULE;
    static type invalid() noexcept { return nullptr; }
    static void close(type h) noexcept { ::FreeLibrary(h); }
};

struct Bstr {
    using type = BSTR;
    static type invalid() noexcept { return nullptr; }
    static void close(type s) noexcept { ::SysFreeString(s); }
};

struct LocalMemory {  // buffers the system allocates for the caller (FormatMessage, ...)
    using type = HLOCAL;
    static type invalid() noexcept { return nullptr; }
    static void close(type p) noexcept { ::LocalFree(p); }
};

struct ServiceHandle {
    using type = SC_HANDLE;
    static type invalid() noexcept { return nullptr; }
    static void close(type h) noexcept { ::CloseServiceHandle(h); }
};

}  // namespace traits

using unique_handle = UniqueOwner<traits::Handle>;
using unique_hfile = UniqueOwner<traits::FileHandle>;
using unique_hfind = UniqueOwner<traits::FindHandle>;
using unique_hkey = UniqueOwner<traits::RegKey>;
using unique_hmodule = UniqueOwner<traits::Module>;
using unique_bstr = UniqueOwner<traits::Bstr>;
using unique_hlocal = UniqueOwner<traits::LocalMemory>;
using unique_schandle = UniqueOwner<traits::ServiceHandle>;

// Runs a one-off clean-up when the scope ends, unless dismissed.
template <typename F>
class ScopeExit {
public:
    explicit ScopeExit(F f) noexcept : m_f(std::move(f)) {}
    ~ScopeExit() {
        if (m_active) m_f();
    }
    ScopeExit(const ScopeExit&) = delete;
    ScopeExit& operator=(const ScopeExit&) = delete;
    void dismiss() noexcept { m_active = false; }

private:
    F m_f;
    bool m_active = true;
};

template <typename F>
ScopeExit<F> scope_exit(F f) noexcept {
    return ScopeExit<F>(std::move(f));
}

}  // namespace mirravon
