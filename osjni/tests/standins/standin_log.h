// The stand-ins of the agent controller write what happened to them, one line
// per event, into "standin.log" in the folder above their own (the install home).
#pragma once

#include <windows.h>

#include <string>

namespace standin {

inline std::wstring OwnFolder() {
    wchar_t path[MAX_PATH];
    const DWORD n = ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring file(path, n);
    return file.substr(0, file.find_last_of(L"\\/"));
}

inline void Log(const std::string& event) {
    const std::wstring logPath = OwnFolder() + L"\\..\\standin.log";
    HANDLE file = ::CreateFileW(logPath.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    const std::string line = event + " " + std::to_string(::GetCurrentProcessId()) + "\n";
    DWORD written = 0;
    ::WriteFile(file, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
    ::CloseHandle(file);
}

// Set by the server's "-shutdown", awaited by the service.
constexpr const wchar_t* kShutdownEvent = L"TavroosStandInShutdown";
// No stand-in outlives a forgotten test run by much.
constexpr DWORD kLifetimeMs = 180000;

}  // namespace standin
