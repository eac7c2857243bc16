// The stand-ins of the agent controller write what happened to them, one line
// per event, into "standin.log" in the folder above their own (the install home).
#pragma once

#include <windows.h>

#include <string>

#include "mirravon/unique_owner.h"

namespace standin {

inline std::wstring OwnFolder() {
    wchar_t path[MAX_PATH];
    const DWORD n = ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring file(path, n);
    return file.substr(0, file.find_last_of(L"\\/"));
}

// Wine appends by asking for the file's end and then writing there, so two
// stand-ins started together can write over each other's line. One writer at a time.
constexpr const wchar_t* kLogMutex = L"TavroosStandInLog";

inline void Log(const std::string& event) {
    const mirravon::unique_handle turn(::CreateMutexW(nullptr, FALSE, kLogMutex));
    // A writer ended by a test mid-line leaves the turn abandoned, and owned by
    // the next one. After a timeout the line is written anyway.
    const DWORD wait = turn ? ::WaitForSingleObject(turn.get(), 10000) : WAIT_FAILED;
    const bool owned = wait == WAIT_OBJECT_0 || wait == WAIT_ABANDONED;
    const std::wstring logPath = OwnFolder() + L"\\..\\standin.log";
    const mirravon::unique_handle file(::CreateFileW(logPath.c_str(), FILE_APPEND_DATA,
                                                     FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                                                     FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file) {
        const std::string line = event + " " + std::to_string(::GetCurrentProcessId()) + "\n";
        DWORD written = 0;
        ::WriteFile(file.get(), line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
    }
    if (owned) ::ReleaseMutex(turn.get());
}

// Set by the server's "-shutdown", awaited by the service.
constexpr const wchar_t* kShutdownEvent = L"TavroosStandInShutdown";
// No stand-in outlives a forgotten test run by much.
constexpr DWORD kLifetimeMs = 180000;

}  // namespace standin
