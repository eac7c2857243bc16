// The launcher's single record, the reader of the settings file beside the
// program, the merge of settings and command line into the run state, and the
// information dump the log starts with.
#pragma once

#include "stelvo/bounded_text.h"
#include "stelvo/platform.h"
#include "stelvo/text_lines.h"

#include <string>
#include <string_view>
#include <vector>

namespace stelvo {

// Widths of the record's fields.
constexpr std::size_t kTextWidth = 255;          // settings values, paths, command-line values
constexpr std::size_t kNameWidth = 51;           // the launcher's file and base name
constexpr std::size_t kReferenceWidth = 254;     // the discovered agent's folder and version
constexpr std::size_t kProgramPathWidth = 1023;  // installer and agent program paths
constexpr std::size_t kListEntries = 255;        // entries of each argument list

using Text = BoundedText<kTextWidth>;
using NameText = BoundedText<kNameWidth>;
using ReferenceText = BoundedText<kReferenceWidth>;
using ProgramPath = BoundedText<kProgramPathWidth>;
using TextList = BoundedList<kListEntries, kTextWidth>;

enum RunMode { INSTALL = 0, UNINSTALL = 1, EXTENSION = 2 };

// An argument vector: element 0 is the program as written on the command line.
// The end marker is implicit; with it the vector holds at most 255 elements.
struct ArgVector {
    static constexpr std::size_t kMaxElements = 254;
    std::vector<std::string> elements;

    std::size_t count() const noexcept { return elements.size(); }
    bool empty() const noexcept { return elements.empty(); }
};

struct LauncherSettings {
    // The launcher's own location.
    Text launcherFullPath;
    Text launcherDir;  // ends with a backslash
    NameText launcherFile;
    NameText launcherName;

    // From the settings file.
    Text iniInstallerLocation;
    TextList iniInstallerArgs;
    Text iniManagerLocationKey;
    Text iniManagerLocationFile;
    Text iniManagerVersion;
    Text iniManagerLauncher;
    Text iniManagerLauncherSilent;
    Text iniManagerInput;
    Text iniMode;
    TextList iniManagerArgs;
    Text iniSilent;
    Text iniIsAdmin;
    Text iniAppDataLocation;
    RunMode runMode = INSTALL;

    // From the command line.
    Text argInputFile;
    Text argAppDataLocation;
    Text argLogFile;
    int argIsSilent = 0;
    int argIsUserAdmin = 0;
    int isWait = 0;
    int isDebug = 0;
    TextList argInstallerArgs;
    TextList argManagerArgs;

    // Resolved.
    int isSilent = 0;
    int isDialogAllowed = 1;
    int isUserAdmin = 0;
    Text appDataLocation;
    Text inputFile;

    // The discovered agent.
    ReferenceText refLocation;
    ReferenceText refVersion;

    // The built command lines.
    ProgramPath installerProgram;
    Text msiImagePath;
    ArgVector installerArglist;
    ProgramPath agentProgram;
    ArgVector agentArglist;
};

class LogFile;

// Judges the settings file's lines into the record.
void parseSettingsLines(LauncherSettings& s, LogFile& log, TextLines& lines);
void parseSettingsText(LauncherSettings& s, LogFile& log, Platform& platform, std::string_view text);
// Reads the settings file; when it cannot be opened, shows message 1 with the
// path in an untitled error box and returns false.
bool readSettingsFile(LauncherSettings& s, LogFile& log, Platform& platform, const std::string& path);
void writeInformationDump(const LauncherSettings& s, LogFile& log);
void resolveSettings(LauncherSettings& s, LogFile& log, Platform& platform);

// Appends to a list; an entry the list refuses (full, or too wide) is logged.
bool appendOrLog(LogFile& log, TextList& list, std::string_view value, const char* field);

// "true"/"yes" and "false"/"no", ignoring case.
bool isTrueWord(std::string_view text);
bool isFalseWord(std::string_view text);

}  // namespace stelvo
