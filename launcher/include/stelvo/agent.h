// Discovery of the installed agent and the comparison of version texts.
#pragma once

#include "stelvo/launcher_settings.h"
#include "stelvo/platform.h"

#include <string>
#include <string_view>

namespace stelvo {

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
void discoverAgent(LauncherSettings& s, Platform& platform);

}  // namespace stelvo
