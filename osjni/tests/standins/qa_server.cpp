// Stand-in for the agent controller's server program. Without arguments it runs
// until it is ended; with "-shutdown" it tells the stand-in service to end.
#include <windows.h>

#include <cwchar>

#include "standin_log.h"

int wmain(int argc, wchar_t** argv) {
    if (argc > 1 && std::wcscmp(argv[1], L"-shutdown") == 0) {
        standin::Log("server-shutdown");
        // Lets a test play an agent controller that does not obey.
        if (::GetEnvironmentVariableW(L"TAVROOS_STANDIN_IGNORE_SHUTDOWN", nullptr, 0) != 0) return 0;
        HANDLE event = ::OpenEventW(EVENT_MODIFY_STATE, FALSE, standin::kShutdownEvent);
        if (event) {
            ::SetEvent(event);
            ::CloseHandle(event);
        }
        return 0;
    }
    standin::Log(argc > 1 ? "server-start-with-arguments" : "server-start");
    ::Sleep(standin::kLifetimeMs);
    return 0;
}
