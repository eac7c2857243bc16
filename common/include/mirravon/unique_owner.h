// Owners for Win32 resources: one template, one alias per kind of resource.
//
// A resource kind is a traits type with `type`, `invalid()` (the value an empty
// owner holds), `close(type)` and, optionally, `empty(type)` (every value that
// holds nothing; without it only `invalid()` does). Kernel handles count both
// NULL and INVALID_HANDLE_VALUE as
// empty, whichever one their creating function reports failure with, so that
// neither is ever passed to CloseHandle.
#pragma once

#include <windows.h>
#include <oleauto.h>

#include <type_traits>
#include <utility>

namespace mirravon {

template <typename Traits> class UniqueOwner {
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
    bool valid() const noexcept { return !IsEmpty(m_value); }
    explicit operator bool() const noexcept { return valid(); }

    // Closes what is held and takes `value` instead. The caller's last-error
    // code survives the close, so that a failure read after a clean-up (or
    // after the owner goes) is the failing call's, not the close's.
    void reset(pointer value = Traits::invalid()) noexcept {
        pointer old = std::exchange(m_value, value);
        if (IsEmpty(old)) return;
        const DWORD error = ::GetLastError();
        Traits::close(old);
        ::SetLastError(error);
    }

    // Gives up ownership without closing.
    pointer release() noexcept { return std::exchange(m_value, Traits::invalid()); }

    // Closes what is held, then hands out the address for an API to fill.
    pointer* put() noexcept {
        reset();
        return &m_value;
    }

private:
    template <typename T, typename = void> struct HasEmpty : std::false_type {};
    template <typename T> struct HasEmpty<T, std::void_t<decltype(T::empty(T::invalid()))>> : std::true_type {};

    static bool IsEmpty(pointer value) noexcept {
        if constexpr (HasEmpty<Traits>::value) return Traits::empty(value);
        else return value == Traits::invalid();
    }

    pointer m_value = Traits::invalid();
};

namespace traits {

// A kind whose empty value is NULL, closed by `Close`.
template <typename T, auto Close> struct NullEmpty {
    using type = T;
    static type invalid() noexcept { return nullptr; }
    static bool empty(type value) noexcept { return value == nullptr; }
    static void close(type value) noexcept { Close(value); }
};

// A kernel handle closed by `Close`; an empty owner holds INVALID_HANDLE_VALUE
// when `StartsInvalid`, NULL otherwise.
template <bool StartsInvalid, auto Close> struct KernelHandle {
    using type = HANDLE;
    static type invalid() noexcept { return StartsInvalid ? INVALID_HANDLE_VALUE : nullptr; }
    static bool empty(type value) noexcept { return value == nullptr || value == INVALID_HANDLE_VALUE; }
    static void close(type value) noexcept { Close(value); }
};

using Handle = KernelHandle<false, ::CloseHandle>;     // processes, threads, events, mutexes
using FileHandle = KernelHandle<true, ::CloseHandle>;  // files and pipes from CreateFile/CreateNamedPipe
using FindHandle = KernelHandle<true, ::FindClose>;
using RegKey = NullEmpty<HKEY, ::RegCloseKey>;
using Module = NullEmpty<HMODULE, ::FreeLibrary>;
using Bstr = NullEmpty<BSTR, ::SysFreeString>;
using LocalMemory = NullEmpty<HLOCAL, ::LocalFree>;  // buffers the system allocates for the caller
using ServiceHandle = NullEmpty<SC_HANDLE, ::CloseServiceHandle>;
using Hook = NullEmpty<HHOOK, ::UnhookWindowsHookEx>;  // needs user32

template <typename Interface> void ReleaseInterface(Interface* value) noexcept { value->Release(); }
template <typename Interface>  // a COM interface pointer
using ComInterface = NullEmpty<Interface*, ReleaseInterface<Interface>>;

}  // namespace traits

using unique_handle = UniqueOwner<traits::Handle>;
using unique_hfile = UniqueOwner<traits::FileHandle>;
using unique_hfind = UniqueOwner<traits::FindHandle>;
using unique_hkey = UniqueOwner<traits::RegKey>;
using unique_hmodule = UniqueOwner<traits::Module>;
using unique_bstr = UniqueOwner<traits::Bstr>;
using unique_hlocal = UniqueOwner<traits::LocalMemory>;
using unique_schandle = UniqueOwner<traits::ServiceHandle>;
using unique_hhook = UniqueOwner<traits::Hook>;
template <typename Interface> using unique_com = UniqueOwner<traits::ComInterface<Interface>>;

// Runs a one-off clean-up when the scope ends, unless dismissed.
template <typename F> class ScopeExit {
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

template <typename F> ScopeExit<F> scope_exit(F f) noexcept { return ScopeExit<F>(std::move(f)); }

}  // namespace mirravon
