// The command lines the launcher builds for the programs it runs, the installer
// and the agent. Every element is built already quoted as the target program
// must see it; the process start only joins them.
#pragma once

#include "stelvo/launcher_settings.h"
#include "stelvo/log_file.h"
#include "stelvo/platform.h"

#include <string>
#include <string_view>

namespace stelvo {

constexpr std::size_t kEscapedItemWidth = 255;     // an inner item after escapeQuotes
constexpr std::size_t kSwitchElementWidth = 1023;  // the "/v" element
constexpr std::size_t kInnerItems = 256;           // items packed into the "/v" element

std::string quoteArgument(std::string_view text);
// A text holding a blank, enclosed whole in double quotes.
std::string plainQuote(std::string_view text);
// A backslash before every double quote; false when the result would exceed 255 characters.
bool escapeQuotes(std::string_view text, std::string& escaped);

// The installer is a Windows Installer package: the name is longer than four
// characters and ends with ".msi" (exact case).
bool isMsiInstaller(const LauncherSettings& s);

// Each builder fills the program path and the vector and writes its log
// section. A command line that would exceed its limits is refused as a whole:
// the builder returns false and leaves the vector empty, so that nothing is started.
bool buildMsiCommandLine(LauncherSettings& s, LogFile& log, Platform& platform);
bool buildInstallerCommandLine(LauncherSettings& s, LogFile& log);
bool buildAgentCommandLine(LauncherSettings& s, LogFile& log);

// The elements joined with single blanks, with no quoting added.
std::string joinCommandLine(const ArgVector& vector);

}  // namespace stelvo
