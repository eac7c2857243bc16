// A program that a test or benchmark starts, with its process and thread
// handles owned. The destructor closes the handles and leaves the process
// alone: a test that must not leave it running waits for it or ends it.
#pragma once

#include <windows.h>

#include <string>

#include "mirravon/unique_owner.h"

namespace mirravon_test {

class ChildProcess {
public:
    // Starts `commandLine`. `program` names the file to run (empty: the command
    // line's first word, searched for as CreateProcessA does), `directory` its
    // current folder (empty: this process's), `flags` its creation flags.
    explicit ChildProcess(std::string commandLine, const std::string& program = {}, const std::string& directory = {},
                          DWORD flags = 0) {
        STARTUPINFOA startup{};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION info{};
        if (!::CreateProcessA(program.empty() ? nullptr : program.c_str(), commandLine.data(), nullptr, nullptr, FALSE,
                              flags, nullptr, directory.empty() ? nullptr : directory.c_str(), &startup, &info)) {
            m_startError = ::GetLastError();
            return;
        }
        m_process.reset(info.hProcess);
        m_thread.reset(info.hThread);
        m_id = info.dwProcessId;
    }

    bool started() const { return m_process.valid(); }
    DWORD startError() const { return m_startError; }
    DWORD id() const { return m_id; }
    HANDLE handle() const { return m_process.get(); }

    // Waits at most `ms` milliseconds; true when the process has ended.
    bool wait(DWORD ms) const { return started() && ::WaitForSingleObject(handle(), ms) == WAIT_OBJECT_0; }
    // The exit code once the process has ended (STILL_ACTIVE before).
    DWORD exitCode() const {
        DWORD code = STILL_ACTIVE;
        if (started()) ::GetExitCodeProcess(handle(), &code);
        return code;
    }
    void terminate(UINT code) const {
        if (started()) ::TerminateProcess(handle(), code);
    }

private:
    mirravon::unique_handle m_process;
    mirravon::unique_handle m_thread;
    DWORD m_id = 0;
    DWORD m_startError = 0;
};

}  // namespace mirravon_test
