// A fresh folder under the temporary folder for one test, removed with all it
// holds (read-only entries too) when the test is done. What an earlier run left
// under the same name is removed first.
#pragma once

#include <windows.h>

#include <string>

#include "mirravon/ansi_text.h"
#include "mirravon/unique_owner.h"
#include "mirravon_test/caller.h"

namespace mirravon_test {

class ScratchDir {
public:
    // %TEMP%\<name>-<this process's id>
    explicit ScratchDir(const std::wstring& name) {
        wchar_t base[MAX_PATH + 1] = {};
        const DWORD n = ::GetTempPathW(MAX_PATH + 1, base);
        m_path = std::wstring(base, n) + name + L"-" + std::to_wstring(::GetCurrentProcessId());
        removeTree(m_path);
        ::CreateDirectoryW(m_path.c_str(), nullptr);
    }
    ~ScratchDir() { removeTree(m_path); }
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;

    // Without a trailing backslash.
    const std::wstring& path() const { return m_path; }
    // The path in the ANSI code page, for programs and calls that take narrow text.
    std::string ansiPath() const { return mirravon::AnsiFromWide(m_path.c_str(), m_path.size()).value_or(""); }
    std::wstring operator/(const std::wstring& name) const { return m_path + L"\\" + name; }

    // An empty file, or a folder, inside; a failure fails the caller's test.
    void file(const std::wstring& name, DWORD attributes = FILE_ATTRIBUTE_NORMAL, Caller where = {}) const {
        const CallerTrace trace(where);
        const mirravon::unique_hfile made(
            ::CreateFileW((*this / name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, attributes, nullptr));
        ASSERT_TRUE(made) << "cannot make a test file: " << ::GetLastError();
    }
    void folder(const std::wstring& name, Caller where = {}) const {
        const CallerTrace trace(where);
        ASSERT_TRUE(::CreateDirectoryW((*this / name).c_str(), nullptr)) << "cannot make a test folder";
    }

    static void removeTree(const std::wstring& dir) {
        WIN32_FIND_DATAW found;
        mirravon::unique_hfind find(::FindFirstFileW((dir + L"\\*").c_str(), &found));
        if (find) {
            do {
                const std::wstring name = found.cFileName;
                if (name == L"." || name == L"..") continue;
                const std::wstring full = dir + L"\\" + name;
                ::SetFileAttributesW(full.c_str(), FILE_ATTRIBUTE_NORMAL);
                if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) removeTree(full);
                else ::DeleteFileW(full.c_str());
            } while (::FindNextFileW(find.get(), &found));
        }
        find.reset();
        ::RemoveDirectoryW(dir.c_str());
    }

private:
    std::wstring m_path;
};

}  // namespace mirravon_test
