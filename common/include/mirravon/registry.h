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

// Which registry views an open tries. On a 64-bit Windows a 32-bit program's
// requests go to the 32-bit view by default and a 64-bit program's to the
// 64-bit view; either can ask for the other view explicitly. 32-bit Windows
// has one registry and ignores the choice.
//
// Default: this process's default view only. Bits32, Bits64: that view only,
// for keys that exist in one view whichever program reads them.
// DefaultThenOther: the default view, then the other one (OtherView()), for the
// keys that a program of either kind can own.
enum class RegistryView {
    Default,
    Bits32,
    Bits64,
    DefaultThenOther,
};

// The view that is not this build's default: a 32-bit build looks in the
// 64-bit view, a 64-bit build in the 32-bit one.
constexpr RegistryView OtherView() noexcept { return sizeof(void*) == 8 ? RegistryView::Bits32 : RegistryView::Bits64; }
// The view this build's requests go to by default, named explicitly.
constexpr RegistryView OwnView() noexcept { return sizeof(void*) == 8 ? RegistryView::Bits64 : RegistryView::Bits32; }

// The access flag that asks for `view` (0 for the default one; an open that
// tries two views asks for each in turn).
constexpr REGSAM ViewFlag(RegistryView view) noexcept {
    return view == RegistryView::Bits32 ? KEY_WOW64_32KEY : view == RegistryView::Bits64 ? KEY_WOW64_64KEY : 0;
}

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

    // Opens `subKey` below `root` in the views `view` names. On failure the key
    // held before stays held.
    //
    // With DefaultThenOther, one view answers for the whole key, by the rule
    // of mirravon/registry_view_rule.h: the default view's key when it opens
    // and holds any of `anyOf` (or `anyOf` is empty), else the other view's key
    // when it opens (and holds any of them, if the default view's key opened),
    // else the default view's key if it opened, so that the caller's reads
    // report the values absent; when neither key opens, the result is the
    // default view's code. Values that a caller reads together thus come from
    // one installation. A value that is there settles the view whatever a later
    // read makes of it (a refused type, a size beyond the caller's room); a key
    // that cannot be opened, and a value whose query fails for another reason
    // than its absence, count as absent. The other views ignore `anyOf`. null
    // or "" in `anyOf` names the key's default value. On 32-bit Windows the
    // second open finds what the first one found.
    LONG Open(HKEY root, const char* subKey, REGSAM access, RegistryView view = RegistryView::Default,
              std::initializer_list<const char*> anyOf = {}) noexcept;
    LONG Open(HKEY root, const wchar_t* subKey, REGSAM access, RegistryView view = RegistryView::Default,
              std::initializer_list<const wchar_t*> anyOf = {}) noexcept;

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
