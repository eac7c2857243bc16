// Makes sure the maker's agent controller runs: stops its service, restarts the
// server next to a running service program, or starts the server from the
// install home recorded in the registry, then waits for a server process.
#pragma once

#include <windows.h>

#include <array>
#include <string>

#include "tavroos/bstr.h"

namespace tavroos {

using ProcessIdList = std::array<DWORD, 1000>;

// How a process's image path is asked for: QueryFullProcessImageNameW, or a
// stand-in that answers as it does.
using ImagePathQuery = BOOL(WINAPI*)(HANDLE process, DWORD flags, LPWSTR path, PDWORD units);

// The path the system keeps for the process's program, in a room of 260 units:
// a path of up to 259 characters with its terminator. False for a longer one
// (never a cut path, which could name another program) and on any failure.
bool ImagePath(HANDLE process, std::wstring& path, ImagePathQuery query = ::QueryFullProcessImageNameW);

// How a module's name is asked for: GetModuleBaseNameW, GetModuleFileNameExW,
// or a stand-in that answers as they do. They cut a name longer than the room
// and still succeed.
using ModuleNameQuery = DWORD(WINAPI*)(HANDLE process, HMODULE module, LPWSTR name, DWORD units);

enum class ProgramNaming { FileOnly, FullPath };

// What the process's program is called: its file name without the folder (its
// first module's base name), or its full file name (the module's file name),
// asked of `moduleQuery` (null: the system's call for `naming`) in a room of
// 260 units. A name that fills the room may have been cut, so it is no name;
// then, as when the modules cannot be read, the image path answers (whole, or
// its file part), which is never cut. False when neither gives a whole name.
bool ProgramName(HANDLE process, ProgramNaming naming, std::wstring& name, ModuleNameQuery moduleQuery = nullptr,
                 ImagePathQuery imageQuery = ::QueryFullProcessImageNameW);

struct AgentControllerTiming {
    DWORD pollMs = 1000;
    // Bounds of the two waits; a start or shutdown that fails must not hold the
    // caller's thread for ever.
    DWORD serviceEndLimitMs = 60000;
    DWORD serverAppearLimitMs = 60000;
};

class CAgentControllerStarter {
public:
    CAgentControllerStarter(BStr serverExe, BStr serviceExe, AgentControllerTiming timing = {});

    // True when a server process runs at the end, or when the running service
    // program could not be inspected.
    bool Start();

    // Asks the service to stop; every failure is ignored, nothing waits.
    void StopService() const noexcept;
    // Ids of the processes whose first module's base name is exactly `name`
    // (case-sensitive), into `ids`; returns how many.
    int FindProcesses(const BStr& name, ProcessIdList& ids) const;
    void TerminateProcesses(const ProcessIdList& ids, int count) const noexcept;
    // False when the server did not appear within its bound; true otherwise,
    // also when the service process cannot be inspected.
    bool RestartServer(DWORD serviceProcessId);
    bool StartFromInstallHome();

    static constexpr const wchar_t* kServiceName = L"Varnex Quorel Agent Controller";
    static constexpr const wchar_t* kRegistryKey = L"Software\\Varnex\\Quorel Agent Controller";
    static constexpr const wchar_t* kInstallHomeValue = L"InstallHome";
    static constexpr const wchar_t* kShutdownArgument = L"-shutdown";

private:
    void Run(const BStr& program, const wchar_t* arguments) const noexcept;
    void TerminateAll(const BStr& name) const;
    bool WaitForServer() const;

    BStr m_bstrServerExe;
    BStr m_bstrServiceExe;
    AgentControllerTiming m_timing;
};

}  // namespace tavroos
