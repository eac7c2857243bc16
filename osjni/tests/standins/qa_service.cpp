// Stand-in for the agent controller's service program. A stop request alone
// does not end it (it reports a pending stop); it ends when the server program
// is run with "-shutdown".
#include <windows.h>

#include "standin_log.h"

namespace {

SERVICE_STATUS_HANDLE g_status = nullptr;
wchar_t g_name[] = L"Varnex Quorel Agent Controller";

void Report(DWORD state, DWORD accepted) {
    SERVICE_STATUS status{};
    status.dwServiceType = SERVICE_WIN32_OWN_PROCESS;
    status.dwCurrentState = state;
    status.dwControlsAccepted = accepted;
    status.dwWaitHint = 30000;
    ::SetServiceStatus(g_status, &status);
}

DWORD WINAPI Handler(DWORD control, DWORD, LPVOID, LPVOID) {
    if (control == SERVICE_CONTROL_STOP) {
        standin::Log("service-stop-requested");
        Report(SERVICE_STOP_PENDING, 0);
    }
    return NO_ERROR;
}

void WINAPI ServiceMain(DWORD, LPWSTR*) {
    g_status = ::RegisterServiceCtrlHandlerExW(g_name, Handler, nullptr);
    if (!g_status) return;
    HANDLE shutdown = ::CreateEventW(nullptr, TRUE, FALSE, standin::kShutdownEvent);
    Report(SERVICE_RUNNING, SERVICE_ACCEPT_STOP);
    standin::Log("service-running");
    ::WaitForSingleObject(shutdown, standin::kLifetimeMs);
    standin::Log("service-end");
    ::CloseHandle(shutdown);
    Report(SERVICE_STOPPED, 0);
}

}  // namespace

int main() {
    SERVICE_TABLE_ENTRYW table[] = {{g_name, ServiceMain}, {nullptr, nullptr}};
    return ::StartServiceCtrlDispatcherW(table) ? 0 : 1;
}
