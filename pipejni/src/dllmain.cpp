// Entry point of tavrodvxjni. The pipe channel needs no set-up; the test-tool
// bridge keeps the tool's home directory and enters every thread into COM.
#include <windows.h>

#include "toolbridge/library_lifecycle.h"

BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID reserved) {
    switch (reason) {
    case DLL_PROCESS_ATTACH: toolbridge::OnProcessAttach(); break;
    case DLL_THREAD_ATTACH: toolbridge::OnThreadAttach(); break;
    case DLL_THREAD_DETACH: toolbridge::OnThreadDetach(); break;
    case DLL_PROCESS_DETACH: toolbridge::OnProcessDetach(reserved != nullptr); break;
    default: break;
    }
    // Loading never fails on the tool's account.
    return TRUE;
}
