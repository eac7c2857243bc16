// The launcher's own command line: options, their values and the two collecting
// states for the installer's and the agent's extra arguments.
#pragma once

#include "stelvo/launcher_settings.h"
#include "stelvo/log_file.h"
#include "stelvo/platform.h"

namespace stelvo {

// Fills the command-line fields. Returns false when a help option was given
// (the usage box has then been shown and the run ends with 0).
bool parseCommandLine(LauncherSettings& s, LogFile& log, Platform& platform, int argc, const char* const* argv);

}  // namespace stelvo
