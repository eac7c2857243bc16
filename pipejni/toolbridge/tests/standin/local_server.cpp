// The stand-in automation server as a local (out-of-process) server: the same
// class and object as the in-process one, offered to COM from a program of its
// own, which ends once the object it made is released again (or after a minute
// without a client). The tests run it built for the other architecture, so
// that the calls cross from one kind of process to the other.
#include <windows.h>
#include <objbase.h>

extern "C" {
HRESULT __stdcall DllGetClassObject(REFCLSID clsid, REFIID riid, void** out);
long __cdecl StandInServer_ObjectsCreated();
long __cdecl StandInServer_ObjectsAlive();
}

int main() {
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
    // Calls arrive as window messages of this single-threaded apartment.
    const ULONGLONG start = GetTickCount64();
    while (!(StandInServer_ObjectsCreated() > 0 && StandInServer_ObjectsAlive() == 0) &&
           GetTickCount64() - start < 60000) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 100, QS_ALLINPUT);
        for (MSG message; PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE);) DispatchMessageW(&message);
    }
    CoRevokeClassObject(cookie);
    CoUninitialize();
    return 0;
}
