// Stand-in for the test tool's system library "kvxsys.dll": the seven cdecl
// exports the bridge binds by name. Only FindKTXWindow does anything: for
// component 1 it finds the stand-in tool's main window (kvdrovix.exe). A build
// with KVXSYS_LACKS_<name> defined leaves that one export out.
//
// Extra exports let a test count the searches and make a window "appear" at a
// chosen search, so that the poll count of a wait can be checked exactly.
#include <windows.h>

#include "standin_control.h"

namespace {
volatile LONG g_findCount = 0;
volatile LONG g_lastNumber = 0;
volatile LONG g_answerFrom = 0;
HWND volatile g_answer = nullptr;
}  // namespace

#define KVXSYS_EXPORT extern "C" __declspec(dllexport)

#ifndef KVXSYS_LACKS_SendIPCData
KVXSYS_EXPORT int __cdecl SendIPCData(int, const void*, int) { return 0; }
#endif
#ifndef KVXSYS_LACKS_KTXSys_SetInitialize
KVXSYS_EXPORT int __cdecl KTXSys_SetInitialize(int) { return 1; }
#endif
#ifndef KVXSYS_LACKS_KTXSys_RegisterComponent
KVXSYS_EXPORT int __cdecl KTXSys_RegisterComponent(int, HWND) { return 1; }
#endif
#ifndef KVXSYS_LACKS_KTXSys_UnRegisterComponent
KVXSYS_EXPORT int __cdecl KTXSys_UnRegisterComponent(int) { return 1; }
#endif
#ifndef KVXSYS_LACKS_KTXSys_SetComponentWnd
KVXSYS_EXPORT int __cdecl KTXSys_SetComponentWnd(int, HWND) { return 1; }
#endif
#ifndef KVXSYS_LACKS_ExecApplication
KVXSYS_EXPORT int __cdecl ExecApplication(int, const char*) { return 0; }
#endif
#ifndef KVXSYS_LACKS_FindKTXWindow
KVXSYS_EXPORT HWND __cdecl FindKTXWindow(int number) {
    LONG poll = InterlockedIncrement(&g_findCount);
    InterlockedExchange(&g_lastNumber, number);
    LONG from = g_answerFrom;
    if (from > 0) return poll >= from ? g_answer : nullptr;
    if (number != 1) return nullptr;  // only the main program is stood in for
    return FindWindowA(standin::kMainWindowClass, nullptr);
}
#endif

KVXSYS_EXPORT int __cdecl StandInKvxsys_FindCount() { return g_findCount; }
KVXSYS_EXPORT int __cdecl StandInKvxsys_LastNumber() { return g_lastNumber; }
KVXSYS_EXPORT void __cdecl StandInKvxsys_Reset() {
    InterlockedExchange(&g_findCount, 0);
    InterlockedExchange(&g_answerFrom, 0);
    g_answer = nullptr;
}
KVXSYS_EXPORT void __cdecl StandInKvxsys_AnswerFrom(int poll, HWND window) {
    g_answer = window;
    InterlockedExchange(&g_answerFrom, poll);
}
