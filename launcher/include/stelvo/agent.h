// Discovery of the installed agent and the comparison of version texts.
#pragma once

#include "stelvo/launcher_settings.h"
#include "stelvo/log_file.h"
#include "stelvo/platform.h"

#include <string>
#include <string_view>

namespace stelvo {

// The room the launcher gives a registry value's data, terminator included.
constexpr std::size_t kRegistryValueRoom = 255;

// A registry value's data taken as the launcher's text: it ends at its first
// terminator and the value's type is not examined. Empty when the value counts
// as absent: its data, or its text with the terminator, needs more than
// kRegistryValueRoom bytes.
std::string_view registryValueText(std::string_view data);

struct VersionParts {
    int major = 0;
    int minor = 0;
    int micro = 0;
    std::string qualifier;
};

VersionParts parseVersion(std::string_view text);

// Negative, zero or positive as `installed` is older than, equal to or newer than `expected`.
int compareVersions(std::string_view installed, std::string_view expected);

// The driver's acceptance rule: a version is known and not older than VERSION.
bool isAgentAcceptable(const LauncherSettings& s);

// Fills refLocation and refVersion from the registry or the reference file.
void discoverAgent(LauncherSettings& s, LogFile& log, Platform& platform);

}  // namespace stelvo
