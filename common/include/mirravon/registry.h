// The one way into the registry for every deliverable: open a key in a chosen
// registry view, read a value's bytes. Every call returns the Win32 code and
// never throws; a value of a type the caller does not accept is refused; what
// the caller passed for the result is left as it was on any failure. Rules
// about a value's width and text belong to the caller.
#pragma once

#include <windows.h>

#include <cstdint>
#include <initializer_list>
#include <vector>

#include "mirravon/unique_owner.h"

namespace mirravon {

// Which registry a 32-bit program sees on 64-bit Windows: the view its
// requests are redirected to by default, or the 32-bit or 64-bit view
// explicitly. 32-bit Windows has one registry and ignores the choice.
enum class RegistryView : REGSAM {
    Default = 0,
    Bits32 = KEY_WOW64_32KEY,
    Bits64 = KEY_WOW64_64KEY,
};

// The value types a read accepts: some of REG_NONE to REG_QWORD, or any type
// at all (also types the system does not name).
class RegistryTypes {
public:
    static constexpr RegistryTypes Any() noexcept { return RegistryTypes(~std::uint32_t{0}, true); }
    constexpr RegistryTypes(std::initializer_list<DWORD> types) noexcept {
        for (DWORD type : types)
            if (type < 32) m_bits |= std::uint32_t{1} << type;
    }
    constexpr bool accepts(DWORD type) const noexcept {
        return m_any || (type < 32 && (m_bits & (std::uint32_t{1} << type)) != 0);
    }

private:
    constexpr RegistryTypes(std::uint32_t bits, bool any) noexcept : m_bits(bits), m_any(any) {}
    std::uint32_t m_bits = 0;
    bool m_any = false;
};

// An open registry key. Narrow names go through the A functions (the data of
// a string value then arrives in the ANSI code page), wide names through the
// W functions.
class RegistryKey {
public:
    RegistryKey() noexcept = default;

    // Opens `subKey` below `root`. On failure the key held before stays held.
    LONG Open(HKEY root, const char* subKey, REGSAM access, RegistryView view = RegistryView::Default) noexcept;
    LONG Open(HKEY root, const wchar_t* subKey, REGSAM access, RegistryView view = RegistryView::Default) noexcept;

    bool valid() const noexcept { return m_key.valid(); }
    HKEY get() const noexcept { return m_key.get(); }

    // The value's bytes, whatever their size. A type not in `accepted` gives
    // ERROR_UNSUPPORTED_TYPE.
    LONG ReadValue(const char* name, RegistryTypes accepted, std::vector<BYTE>& data) const noexcept;
    LONG ReadValue(const wchar_t* name, RegistryTypes accepted, std::vector<BYTE>& data) const noexcept;

    // The value's bytes into `room` of `roomBytes`; `bytes` receives their
    // number. A value larger than the room gives ERROR_MORE_DATA, so that a
    // value cut to fit is never taken for the whole one.
    LONG ReadValue(const char* name, RegistryTypes accepted, void* room, DWORD roomBytes, DWORD& bytes) const noexcept;
    LONG ReadValue(const wchar_t* name, RegistryTypes accepted, void* room, DWORD roomBytes,
                   DWORD& bytes) const noexcept;

private:
    unique_hkey m_key;
};

}  // namespace mirravon
