// What loading and unloading tavrodvxjni, and each thread's start and end, mean
// for the test-tool bridge. Called from the library's entry point only.
#pragma once

namespace toolbridge {

class CDrovixAutomation;
class CKtxSystemLibrary;

// The library's two process-wide objects, constructed before the entry point
// runs and destroyed after it has run for the unload.
CDrovixAutomation& TheDrovixAutomation();
CKtxSystemLibrary& TheKtxSystemLibrary();

void OnProcessAttach();
void OnThreadAttach();
void OnThreadDetach();
// `processExiting`: the process is ending rather than unloading the library.
void OnProcessDetach(bool processExiting);

}  // namespace toolbridge
