// Helpers of the tavroos test programs: registry keys and folders that a test
// makes and removes again, and a check that reports the caller's line.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

namespace tavroos_test {

// A key under HKEY_LOCAL_MACHINE that is removed, with all below it, when the
// test starts and when it ends.
class MachineKey {
public:
    explicit MachineKey(std::wstring path) : m_path(std::move(path)) { Remove(); }
    ~MachineKey() { Remove(); }
    MachineKey(const MachineKey&) = delete;
    MachineKey& operator=(const MachineKey&) = delete;

    void Remove() const { ::RegDeleteTreeW(HKEY_LOCAL_MACHINE, m_path.c_str()); }

    void Create() const {
        HKEY key = nullptr;
        ASSERT_EQ(::RegCreateKeyExW(HKEY_LOCAL_MACHINE, m_path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                                    nullptr),
                  ERROR_SUCCESS);
        ::RegCloseKey(key);
    }

    // Writes exactly `bytes` bytes of `data` with the given type.
    void SetRaw(const wchar_t* name, DWORD type, const void* data, DWORD bytes) const {
        HKEY key = nullptr;
        ASSERT_EQ(::RegCreateKeyExW(HKEY_LOCAL_MACHINE, m_path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                                    nullptr),
                  ERROR_SUCCESS);
        const LONG status = ::RegSetValueExW(key, name, 0, type, static_cast<const BYTE*>(data), bytes);
        ::RegCloseKey(key);
        ASSERT_EQ(status, ERROR_SUCCESS);
    }

    // A string with its terminator.
    void SetString(const wchar_t* name, const std::wstring& text, DWORD type = REG_SZ) const {
        SetRaw(name, type, text.c_str(), static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
    }

    const std::wstring& path() const { return m_path; }

private:
    std::wstring m_path;
};

// A fresh folder under the temporary folder, removed with its contents at the end.
class TempDir {
public:
    explicit TempDir(const std::wstring& name) {
        wchar_t base[MAX_PATH + 1];
        const DWORD n = ::GetTempPathW(MAX_PATH + 1, base);
        m_path = std::wstring(base, n) + name + L"-" + std::to_wstring(::GetCurrentProcessId());
        RemoveTree(m_path);
        ::CreateDirectoryW(m_path.c_str(), nullptr);
    }
    ~TempDir() { RemoveTree(m_path); }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::wstring& path() const { return m_path; }
    std::wstring operator/(const std::wstring& name) const { return m_path + L"\\" + name; }

    void File(const std::wstring& name, DWORD attributes = FILE_ATTRIBUTE_NORMAL) const {
        const std::wstring full = *this / name;
        HANDLE h = ::CreateFileW(full.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, attributes, nullptr);
        ASSERT_NE(h, INVALID_HANDLE_VALUE) << "cannot make a test file";
        ::CloseHandle(h);
    }
    void Dir(const std::wstring& name) const { ASSERT_TRUE(::CreateDirectoryW((*this / name).c_str(), nullptr)); }

    static void RemoveTree(const std::wstring& dir) {
        WIN32_FIND_DATAW data;
        HANDLE find = ::FindFirstFileW((dir + L"\\*").c_str(), &data);
        if (find != INVALID_HANDLE_VALUE) {
            do {
                const std::wstring name = data.cFileName;
                if (name == L"." || name == L"..") continue;
                const std::wstring full = dir + L"\\" + name;
                ::SetFileAttributesW(full.c_str(), FILE_ATTRIBUTE_NORMAL);
                if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                    RemoveTree(full);
                else
                    ::DeleteFileW(full.c_str());
            } while (::FindNextFileW(find, &data));
            ::FindClose(find);
        }
        ::RemoveDirectoryW(dir.c_str());
    }

private:
    std::wstring m_path;
};

// gtest prints std::wstring poorly under MinGW; compare as UTF-8.
inline std::string Utf8(const std::wstring& text) {
    if (text.empty()) return {};
    const int n = ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr,
                                        nullptr);
    std::string out(static_cast<std::size_t>(n), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), n, nullptr, nullptr);
    return out;
}

}  // namespace tavroos_test
