#include "tavroos/agent_controller.h"

#include <psapi.h>
#include <shellapi.h>

#include <string>

#include "mirravon/registry.h"
#include "mirravon/unique_owner.h"
#include "tavroos/registry_reader.h"
#include "tavroos/text_rules.h"

namespace tavroos {

namespace {

constexpr DWORD kInspectAccess = PROCESS_QUERY_INFORMATION | PROCESS_VM_READ;
constexpr DWORD kEndAccess = PROCESS_TERMINATE | PROCESS_QUERY_INFORMATION;
constexpr DWORD kModuleUnits = 260;
constexpr DWORD kInstallHomeUnits = 260;
// How long a terminated process is given to disappear from the process list
// before the next search, which would otherwise still count it.
constexpr DWORD kTerminationWaitMs = 5000;

bool FirstModule(HANDLE process, HMODULE& module) {
    DWORD needed = 0;
    return ::EnumProcessModules(process, &module, sizeof module, &needed) != FALSE;
}

}  // namespace

// A 32-bit process cannot read the modules of a 64-bit one (Windows answers
// 299, Wine 998), so on a 64-bit Windows this is how a 64-bit agent controller
// is seen at all. The handle opened for inspection carries the limited query
// right it needs. The system fails a query whose room is too small rather than
// cut the path, so a longer path is no name at all.
bool ImagePath(HANDLE process, std::wstring& path, ImagePathQuery query) {
    wchar_t buffer[kModuleUnits];
    DWORD length = kModuleUnits;
    if (!query(process, 0, buffer, &length) || length == 0 || length >= kModuleUnits) return false;
    path.assign(buffer, length);
    return true;
}

bool ProgramName(HANDLE process, ProgramNaming naming, std::wstring& name, ModuleNameQuery moduleQuery,
                 ImagePathQuery imageQuery) {
    const bool fileOnly = naming == ProgramNaming::FileOnly;
    if (!moduleQuery) moduleQuery = fileOnly ? ::GetModuleBaseNameW : ::GetModuleFileNameExW;
    HMODULE module = nullptr;
    if (FirstModule(process, module)) {
        wchar_t buffer[kModuleUnits];
        const DWORD length = moduleQuery(process, module, buffer, kModuleUnits);
        // A whole name leaves room beyond its terminator; a cut one (whose
        // folder would start the server from the wrong place) fills it.
        if (length != 0 && length < kModuleUnits - 1) {
            name.assign(buffer, length);
            return true;
        }
    }
    std::wstring path;
    if (!ImagePath(process, path, imageQuery)) return false;
    name = fileOnly ? rules::FilePart(path) : path;
    return true;
}

CAgentControllerStarter::CAgentControllerStarter(BStr serverExe, BStr serviceExe, AgentControllerTiming timing)
    : m_bstrServerExe(std::move(serverExe)), m_bstrServiceExe(std::move(serviceExe)), m_timing(timing) {}

bool CAgentControllerStarter::Start() {
    StopService();
    ProcessIdList ids{};
    if (FindProcesses(m_bstrServiceExe, ids) >= 1) return RestartServer(ids[0]);
    int servers = FindProcesses(m_bstrServerExe, ids);
    if (servers > 1) {
        TerminateProcesses(ids, servers);
        servers = FindProcesses(m_bstrServerExe, ids);
    }
    if (servers == 0) return StartFromInstallHome();
    return true;
}

void CAgentControllerStarter::StopService() const noexcept {
    mirravon::unique_schandle manager(::OpenSCManagerW(nullptr, nullptr, SC_MANAGER_ALL_ACCESS));
    if (!manager) return;
    mirravon::unique_schandle service(::OpenServiceW(manager.get(), kServiceName, SERVICE_ALL_ACCESS));
    if (!service) return;
    SERVICE_STATUS status{};
    ::ControlService(service.get(), SERVICE_CONTROL_STOP, &status);
}

int CAgentControllerStarter::FindProcesses(const BStr& name, ProcessIdList& ids) const {
    ProcessIdList all{};
    DWORD bytes = 0;
    if (!::EnumProcesses(all.data(), static_cast<DWORD>(sizeof(DWORD) * all.size()), &bytes)) return 0;
    const std::size_t listed = bytes / sizeof(DWORD);
    int found = 0;
    for (std::size_t i = 0; i < listed && i < all.size(); ++i) {
        mirravon::unique_handle process(::OpenProcess(kInspectAccess, FALSE, all[i]));
        if (!process) continue;
        std::wstring baseName;
        if (!ProgramName(process.get(), ProgramNaming::FileOnly, baseName)) continue;
        if (BStr(baseName.c_str(), baseName.size()) == name && static_cast<std::size_t>(found) < ids.size())
            ids[found++] = all[i];
    }
    return found;
}

void CAgentControllerStarter::TerminateProcesses(const ProcessIdList& ids, int count) const noexcept {
    for (int i = 0; i < count && static_cast<std::size_t>(i) < ids.size(); ++i) {
        mirravon::unique_handle process(::OpenProcess(kEndAccess | SYNCHRONIZE, FALSE, ids[i]));
        const bool canWait = process.valid();
        if (!canWait) process.reset(::OpenProcess(kEndAccess, FALSE, ids[i]));
        if (!process) continue;
        if (::TerminateProcess(process.get(), 0) && canWait) ::WaitForSingleObject(process.get(), kTerminationWaitMs);
    }
}

void CAgentControllerStarter::TerminateAll(const BStr& name) const {
    ProcessIdList ids{};
    const int count = FindProcesses(name, ids);
    TerminateProcesses(ids, count);
}

void CAgentControllerStarter::Run(const BStr& program, const wchar_t* arguments) const noexcept {
    ::ShellExecuteW(nullptr, nullptr, program.c_str(), arguments, nullptr, SW_HIDE);
}

bool CAgentControllerStarter::WaitForServer() const {
    ProcessIdList ids{};
    const ULONGLONG start = ::GetTickCount64();
    while (FindProcesses(m_bstrServerExe, ids) == 0) {
        if (::GetTickCount64() - start >= m_timing.serverAppearLimitMs) return false;
        ::Sleep(m_timing.pollMs);
    }
    return true;
}

bool CAgentControllerStarter::RestartServer(DWORD serviceProcessId) {
    mirravon::unique_handle service(::OpenProcess(kInspectAccess, FALSE, serviceProcessId));
    if (!service) return true;
    std::wstring fileName;
    if (!ProgramName(service.get(), ProgramNaming::FullPath, fileName)) return true;

    const std::wstring directory = rules::ProgramDirectory(fileName);
    const BStr serverPath = BStr(directory.c_str(), directory.size()) + BStr(L"\\") + m_bstrServerExe;
    Run(serverPath, kShutdownArgument);

    // Past the bound the service program still runs; the server is restarted
    // all the same, and the result tells whether one came up.
    const ULONGLONG start = ::GetTickCount64();
    DWORD exitCode = 0;
    while (::GetExitCodeProcess(service.get(), &exitCode) && exitCode == STILL_ACTIVE &&
           ::GetTickCount64() - start < m_timing.serviceEndLimitMs)
        ::Sleep(m_timing.pollMs);

    TerminateAll(m_bstrServerExe);
    ProcessIdList ids{};
    if (FindProcesses(m_bstrServerExe, ids) == 0) Run(serverPath, nullptr);
    return WaitForServer();
}

bool CAgentControllerStarter::StartFromInstallHome() {
    // The agent controller records its home in the view of its own kind. The
    // key that exists and the home read from it are one view's: a key left in
    // the default view with no home sends the read to the other view's key.
    mirravon::RegistryKey key;
    if (key.Open(HKEY_LOCAL_MACHINE, kRegistryKey, KEY_READ, mirravon::RegistryView::DefaultThenOther,
                 {kInstallHomeValue}) != ERROR_SUCCESS)
        return false;
    wchar_t installHome[kInstallHomeUnits] = {};
    if (!ReadStringValue(key, kInstallHomeValue, installHome, kInstallHomeUnits)) return false;
    Run(BStr(installHome) + BStr(L"\\bin\\") + m_bstrServerExe, nullptr);
    return WaitForServer();
}

}  // namespace tavroos
