// Which icon a message box of another process shows. Icon handles belong to
// their process, so the question is asked inside the box's process: a hook DLL
// compares the box's icon with the system icons there and leaves the answer as
// a window property.
#pragma once

#include "box_watcher.h"

namespace stelvo_e2e {

constexpr const wchar_t* kIconProbeMessage = L"StelvoTestIconProbe";
constexpr const wchar_t* kIconKindProperty = L"StelvoTestIconKind";

IconKind probeIcon(HWND box);

}  // namespace stelvo_e2e
