// The run from start to exit code.
#pragma once

#include "stelvo/launcher_settings.h"
#include "stelvo/log_file.h"
#include "stelvo/platform.h"

namespace stelvo {

// Windows Installer's codes for a success that needs, or has started, a restart.
constexpr long kInstallRestartRequired = 3010;
constexpr long kInstallRestartStarted = 1641;
constexpr long kInstallCancelled = 1602;
constexpr long kSetupCancelled = 232;
constexpr long kAgentRestart = 23;

// Sets the launcher's own location from the program name it was started by.
void findLauncherLocation(LauncherSettings& s, LogFile& log, Platform& platform, const char* programName);

// Runs the launcher; the result is the process's exit code. `log` is written
// only once the driver has opened it for `-log` (a test may hand one in open).
int runLauncher(LauncherSettings& s, LogFile& log, Platform& platform, int argc, const char* const* argv);

}  // namespace stelvo
