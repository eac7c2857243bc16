// Where the test tool lives: its installation mark in the registry and its home
// directory from the environment, kept once per process when the library loads.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

namespace toolbridge {

// The environment variable that names the tool's home directory.
inline constexpr const char kToolHomeVariable[] = "QUORL_KVHOME";
// Present under HKEY_LOCAL_MACHINE when the tool is installed.
inline constexpr const char kToolAppPathsKey[] =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\kvdrovix.exe";

// The variable's value when it is set, non-empty and fits `limit` characters
// (terminator included); nothing otherwise.
std::optional<std::string> ReadEnvironmentA(const char* name, std::size_t limit);

// Whether the tool's App Paths key can be opened for reading values.
bool IsDrovixInstalled();

// The tool's home directory as the environment holds it (no backslash added),
// or empty when the variable is unset or too long for a path.
std::string DrovixInstallDir();

// The process-wide home directory: empty, or ending in a backslash.
const std::string& ToolHomeDirectory();

// Load-time set-up: reads the variable into the process-wide home directory and,
// when there is one, makes it the process's current directory. Safe to call
// again (a test may change the variable between calls).
void LoadToolHomeFromEnvironment();

}  // namespace toolbridge
