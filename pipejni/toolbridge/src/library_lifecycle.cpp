#include "toolbridge/library_lifecycle.h"

#include <windows.h>

#include "toolbridge/com_entry.h"
#include "toolbridge/drovix_automation.h"
#include "toolbridge/ktx_system_library.h"
#include "toolbridge/tool_home.h"

namespace toolbridge {
namespace {

CDrovixAutomation g_automation;
CKtxSystemLibrary g_ktxSystemLibrary;

}  // namespace

CDrovixAutomation& TheDrovixAutomation() { return g_automation; }
CKtxSystemLibrary& TheKtxSystemLibrary() { return g_ktxSystemLibrary; }

void OnProcessAttach() {
    StartComEntries();
    LoadToolHomeFromEnvironment();
    EnterCom();
}

void OnThreadAttach() { EnterCom(); }

void OnThreadDetach() {
    g_automation.OnThreadEnding();
    LeaveCom();
}

void OnProcessDetach(bool processExiting) {
    if (processExiting) {
        // Other modules may already be gone: calling into the tool's object or
        // library now could crash the ending process.
        g_automation.AbandonObject();
        g_ktxSystemLibrary.Abandon();
        return;
    }
    // The object is released while this thread is in COM, which may unload the
    // object's server when the thread leaves; a thread that was never offered
    // an entry (the VM may unload on a thread older than the library) is
    // entered for the release alone.
    EnsureComEntered();
    g_automation.ReleaseObject();
    LeaveCom();
    EndComEntries();
    // The system library is freed by its owner when the static objects go.
}

}  // namespace toolbridge
