// A registry key for one test under HKEY_LOCAL_MACHINE or HKEY_CURRENT_USER,
// in the registry view given (the 64-bit one for a key that a 64-bit program
// writes; a 32-bit Windows has one view for all). Whatever an earlier run left
// there is removed at the start; the key itself is made by create() or by the
// first value set (a test may need it absent first), and it is removed with all
// below it at the end. The setters fail the caller's test when the registry
// refuses.
#pragma once

#include <windows.h>

#include <string>

#include "mirravon/registry.h"
#include "mirravon/unique_owner.h"
#include "mirravon_test/caller.h"
#include "mirravon_test/to_utf8.h"

namespace mirravon_test {

class ScratchKey {
public:
    ScratchKey(HKEY root, std::wstring path, mirravon::RegistryView view = mirravon::RegistryView::Default)
        : m_root(root), m_path(std::move(path)), m_view(mirravon::ViewFlag(view)) {
        remove();
    }
    ~ScratchKey() { remove(); }
    ScratchKey(const ScratchKey&) = delete;
    ScratchKey& operator=(const ScratchKey&) = delete;

    const std::wstring& path() const { return m_path; }

    void remove() const {
        mirravon::unique_hkey key;
        if (::RegOpenKeyExW(m_root, m_path.c_str(), 0, KEY_ALL_ACCESS | m_view, key.put()) != ERROR_SUCCESS) return;
        ::RegDeleteTreeW(key.get(), nullptr);
        key.reset();
        ::RegDeleteKeyExW(m_root, m_path.c_str(), m_view, 0);
    }
    void create(Caller where = {}) const {
        const CallerTrace trace(where);
        mirravon::unique_hkey key;
        ASSERT_EQ(::RegCreateKeyExW(m_root, m_path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS | m_view, nullptr, key.put(),
                                    nullptr),
                  ERROR_SUCCESS);
    }

    // A string with its terminator, REG_SZ or REG_EXPAND_SZ.
    void setString(const wchar_t* name, const std::wstring& text, DWORD type = REG_SZ, Caller where = {}) const {
        setRaw(name, type, text.c_str(), static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)), where);
    }
    // Exactly `bytes` bytes of `data`, with the given type.
    void setRaw(const wchar_t* name, DWORD type, const void* data, DWORD bytes, Caller where = {}) const {
        const CallerTrace trace(where);
        mirravon::unique_hkey key;
        ASSERT_EQ(::RegCreateKeyExW(m_root, m_path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS | m_view, nullptr, key.put(),
                                    nullptr),
                  ERROR_SUCCESS);
        ASSERT_EQ(::RegSetValueExW(key.get(), name, 0, type, static_cast<const BYTE*>(data), bytes), ERROR_SUCCESS);
    }

    // A REG_SZ value as UTF-8; "<absent>" when there is none.
    std::string text(const wchar_t* name) const {
        wchar_t buffer[512] = {};
        DWORD size = sizeof buffer - sizeof(wchar_t);
        mirravon::unique_hkey key;
        if (::RegOpenKeyExW(m_root, m_path.c_str(), 0, KEY_QUERY_VALUE | m_view, key.put()) != ERROR_SUCCESS ||
            ::RegGetValueW(key.get(), nullptr, name, RRF_RT_REG_SZ, nullptr, buffer, &size) != ERROR_SUCCESS)
            return "<absent>";
        return toUtf8(buffer);
    }

private:
    HKEY m_root;
    std::wstring m_path;
    REGSAM m_view;
};

}  // namespace mirravon_test
