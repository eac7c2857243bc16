#include "toolbridge/library_lifecycle.h"

#include <windows.h>
#include <objbase.h>

#include "toolbridge/drovix_automation.h"
#include "toolbridge/ktx_system_library.h"
#include "toolbridge/tool_home.h"

namespace toolbridge {
namespace {

CDrovixAutomation g_automation;
CKtxSystemLibrary g_ktxSystemLibrary;

// Marks the threads that this library entered into COM, so that each leaves
// exactly what it entered: a thread already in a multithreaded apartment
// refuses the entry, and leaving it then would end the thread's own COM use.
DWORD g_comEntered = TLS_OUT_OF_INDEXES;

void enterCom() {
    HRESULT hr = CoInitialize(nullptr);
    if (SUCCEEDED(hr) && g_comEntered != TLS_OUT_OF_INDEXES) TlsSetValue(g_comEntered, reinterpret_cast<LPVOID>(1));
}

void leaveCom() {
    if (g_comEntered == TLS_OUT_OF_INDEXES || TlsGetValue(g_comEntered) == nullptr) return;
    TlsSetValue(g_comEntered, nullptr);
    CoUninitialize();
}

}  // namespace

CDrovixAutomation& TheDrovixAutomation() { return g_automation; }
CKtxSystemLibrary& TheKtxSystemLibrary() { return g_ktxSystemLibrary; }

void OnProcessAttach() {
    g_comEntered = TlsAlloc();
    LoadToolHomeFromEnvironment();
    enterCom();
}

void OnThreadAttach() { enterCom(); }

void OnThreadDetach() { leaveCom(); }

void OnProcessDetach(bool processExiting) {
    if (processExiting) {
        // Other modules may already be gone: calling into the tool's object or
        // library now could crash the ending process.
        g_automation.AbandonObject();
        g_ktxSystemLibrary.Abandon();
        return;
    }
    // The object is released while this thread is still in COM, which may
    // unload the object's server when the thread leaves.
    g_automation.ReleaseObject();
    leaveCom();
    if (g_comEntered != TLS_OUT_OF_INDEXES) {
        TlsFree(g_comEntered);
        g_comEntered = TLS_OUT_OF_INDEXES;
    }
    // The system library is freed by its owner when the static objects go.
}

}  // namespace toolbridge
