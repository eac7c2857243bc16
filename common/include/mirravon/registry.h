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

    // Machine-wide keys that a 64-bit program writes on a 64-bit Windows are in
    // the 64-bit view, which a 32-bit program does not see by default. These
    // open `subKey` as Open does in the default view, and only when what is
    // looked for is absent there, in the 64-bit view: the key, or (with
    // `valueName`; null or "" names the key's default value) a value of that
    // name in it. A value that is there settles the view, whatever a later
    // read makes of it (a refused type, a size beyond the caller's room): the
    // other view is never asked. When neither view has the value, the key of
    // the default view is held if it opened, else the 64-bit one, so that the
    // caller's read reports the value absent; when neither key opens, the
    // result is the default view's code. 32-bit Windows ignores the view: the
    // second open finds what the first one found.
    LONG OpenFallingBackTo64(HKEY root, const char* subKey, REGSAM access) noexcept;
    LONG OpenFallingBackTo64(HKEY root, const wchar_t* subKey, REGSAM access) noexcept;
    LONG OpenFallingBackTo64(HKEY root, const char* subKey, REGSAM access, const char* valueName) noexcept;
    LONG OpenFallingBackTo64(HKEY root, const wchar_t* subKey, REGSAM access, const wchar_t* valueName) noexcept;

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
