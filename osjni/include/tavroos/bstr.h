// The string type of tavroos and of its exported class: UTF-16 text in a BSTR,
// with a stored length (embedded U+0000 units are kept), where a null value
// reads as the empty string. BSTRs come from the system allocator (oleaut32),
// so a value may be made in the DLL and released by its caller's module.
#pragma once

#include <windows.h>
#include <oleauto.h>

#include <climits>
#include <cstddef>
#include <cwchar>
#include <new>
#include <stdexcept>
#include <string>
#include <utility>

namespace tavroos {

class BStr {
public:
    BStr() noexcept = default;

    // The text up to its terminator; a null pointer makes a null value.
    BStr(const wchar_t* text) : m_bstr(text ? Allocate(text, std::wcslen(text)) : nullptr) {}

    // Exactly `length` units, including any U+0000 among them.
    BStr(const wchar_t* units, std::size_t length) : m_bstr(Allocate(units, length)) {}

    BStr(const BStr& other) : m_bstr(other.m_bstr ? Allocate(other.m_bstr, other.length()) : nullptr) {}
    BStr(BStr&& other) noexcept : m_bstr(std::exchange(other.m_bstr, nullptr)) {}
    BStr& operator=(const BStr& other) {
        if (this != &other) {
            BStr copy(other);
            Swap(copy);
        }
        return *this;
    }
    BStr& operator=(BStr&& other) noexcept {
        if (this != &other) {
            BStr taken(std::move(other));
            Swap(taken);
        }
        return *this;
    }
    ~BStr() {
        if (m_bstr) ::SysFreeString(m_bstr);
    }

    std::size_t length() const noexcept { return m_bstr ? ::SysStringLen(m_bstr) : 0; }
    bool empty() const noexcept { return length() == 0; }
    // Never null: a null value gives "".
    const wchar_t* c_str() const noexcept { return m_bstr ? m_bstr : L""; }
    // The BSTR itself, null for a null value; still owned by this object.
    BSTR raw() const noexcept { return m_bstr; }
    bool isNull() const noexcept { return m_bstr == nullptr; }

    std::wstring str() const { return std::wstring(c_str(), length()); }

    BStr& operator+=(const BStr& tail) {
        const std::size_t head = length();
        const std::size_t more = tail.length();
        if (more == 0) return *this;
        BStr joined(nullptr, head + more);
        if (head) std::wmemcpy(joined.m_bstr, m_bstr, head);
        std::wmemcpy(joined.m_bstr + head, tail.m_bstr, more);
        Swap(joined);
        return *this;
    }
    friend BStr operator+(const BStr& a, const BStr& b) {
        BStr result(a);
        result += b;
        return result;
    }
    // Equal when the units and the lengths are; null equals empty.
    friend bool operator==(const BStr& a, const BStr& b) noexcept {
        const std::size_t n = a.length();
        return n == b.length() && (n == 0 || std::wmemcmp(a.m_bstr, b.m_bstr, n) == 0);
    }
    friend bool operator!=(const BStr& a, const BStr& b) noexcept { return !(a == b); }

    void Swap(BStr& other) noexcept { std::swap(m_bstr, other.m_bstr); }

private:
    // `units` may be null: the value is then `length` zero units to fill in.
    static BSTR Allocate(const wchar_t* units, std::size_t length) {
        if (length >= UINT_MAX / sizeof(wchar_t)) throw std::length_error("BStr too long");
        BSTR s = ::SysAllocStringLen(units, static_cast<UINT>(length));
        if (!s) throw std::bad_alloc();
        if (!units) std::wmemset(s, L'\0', length);
        return s;
    }

    BSTR m_bstr = nullptr;
};

}  // namespace tavroos
