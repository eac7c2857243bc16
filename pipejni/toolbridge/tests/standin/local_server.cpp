// The stand-in automation server as a local (out-of-process) server: the same
// class and object as the in-process one, offered to COM from a program of its
// own, which ends once the object it made is released again (or a minute after
// it started, or at once when the test's quit event is set). The tests
// run it built for this architecture and for the other one, so that the calls
// also cross from one kind of process to the other.
//
//   drovix_local_server.exe [--journal FILE] -Embedding
//
// With --journal, every journal line is also appended to FILE, where the test
// reads what this process saw.
#include <windows.h>
#include <objbase.h>

#include <cstring>

#include "standin_control.h"

extern "C" {
HRESULT __stdcall DllGetClassObject(REFCLSID clsid, REFIID riid, void** out);
long __cdecl StandInServer_ObjectsCreated();
long __cdecl StandInServer_ObjectsAlive();
void __cdecl StandInServer_JournalTo(const char* path);
}

namespace {

// Serves the calls, which arrive as window messages of this single-threaded
// apartment, until `done` says so or `quit` is set; false when it was set.
template <typename Done> bool serve(HANDLE quit, Done done) {
    while (!done()) {
        if (MsgWaitForMultipleObjects(1, &quit, FALSE, 50, QS_ALLINPUT) == WAIT_OBJECT_0) return false;
        for (MSG message; PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE);) DispatchMessageW(&message);
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    for (int i = 1; i + 1 < argc; ++i)
        if (std::strcmp(argv[i], "--journal") == 0) StandInServer_JournalTo(argv[i + 1]);
    HANDLE running = CreateMutexA(nullptr, TRUE, standin::kLocalServerRunningMutex);
    HANDLE quit = CreateEventA(nullptr, TRUE, FALSE, standin::kLocalServerQuitEvent);
    if (quit != nullptr) ResetEvent(quit);
    if (FAILED(CoInitialize(nullptr))) return 1;
    CLSID clsid = {};
    IUnknown* factory = nullptr;
    DWORD cookie = 0;
    if (CLSIDFromProgID(L"Dvxcomsvr.DrovixComServer", &clsid) != S_OK ||
        DllGetClassObject(clsid, IID_IClassFactory, reinterpret_cast<void**>(&factory)) != S_OK ||
        CoRegisterClassObject(clsid, factory, CLSCTX_LOCAL_SERVER, REGCLS_MULTIPLEUSE, &cookie) != S_OK) {
        CoUninitialize();
        return 2;
    }
    const ULONGLONG start = GetTickCount64();
    bool served = serve(quit, [&] {
        return (StandInServer_ObjectsCreated() > 0 && StandInServer_ObjectsAlive() == 0) ||
               GetTickCount64() - start > 60000;
    });
    CoRevokeClassObject(cookie);
    // A client that asked for an object just before the class was withdrawn is
    // served to its end, so that no test meets a server on its way out.
    if (served) {
        ULONGLONG idleSince = GetTickCount64();
        serve(quit, [&] {
            if (StandInServer_ObjectsAlive() != 0) idleSince = GetTickCount64();
            return GetTickCount64() - idleSince > 300 || GetTickCount64() - start > 60000;
        });
    }
    CoUninitialize();
    if (running != nullptr) ReleaseMutex(running);
    return 0;
}
