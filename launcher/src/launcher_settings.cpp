#include "stelvo/launcher_settings.h"

#include "stelvo/log_file.h"
#include "stelvo/messages.h"
#include "stelvo/paths.h"
#include "stelvo/text_lines.h"

namespace stelvo {
namespace {

enum class Section { None, Installer, Manager, Common };

std::string_view trimBlanks(std::string_view text) {
    while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
    return text;
}

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        const char x = (a[i] >= 'A' && a[i] <= 'Z') ? static_cast<char>(a[i] - 'A' + 'a') : a[i];
        const char y = (b[i] >= 'A' && b[i] <= 'Z') ? static_cast<char>(b[i] - 'A' + 'a') : b[i];
        if (x != y) return false;
    }
    return true;
}

// A value with a fault (a character the code page cannot hold, a broken
// sequence) is refused whole, as one too wide for its field: the field keeps
// what it held and the log names it.
void applyKey(LauncherSettings& s, LogFile& log, Section section, std::string_view key, std::string_view value,
              TextFault fault) {
    const auto refused = [&](const char* field) {
        if (fault == TextFault::None) return false;
        logRefusal(log, field, faultReason(fault));
        return true;
    };
    const auto take = [&](Text& field, const char* name) {
        if (!refused(name)) field.assign(value);
    };
    const auto append = [&](TextList& list, const char* name) {
        if (!refused(name)) appendOrLog(log, list, value, name);
    };
    switch (section) {
    case Section::Installer:
        if (key == "LOCATION") take(s.iniInstallerLocation, "iniInstallerLocation");
        else if (key == "ARG") append(s.iniInstallerArgs, "iniInstallerArgs");
        break;
    case Section::Manager:
        if (key == "LOCATION_KEY") take(s.iniManagerLocationKey, "iniManagerLocationKey");
        else if (key == "LOCATION_FILE") take(s.iniManagerLocationFile, "iniManagerLocationFile");
        else if (key == "VERSION") take(s.iniManagerVersion, "iniManagerVersion");
        else if (key == "LAUNCHER") take(s.iniManagerLauncher, "iniManagerLauncher");
        else if (key == "LAUNCHER_SILENT") take(s.iniManagerLauncherSilent, "iniManagerLauncherSilent");
        else if (key == "INPUT_FILE") take(s.iniManagerInput, "iniManagerInput");
        else if (key == "ARG") append(s.iniManagerArgs, "iniManagerArgs");
        else if (key == "MODE" && !refused("iniMode")) {
            s.iniMode.assign(value);
            const std::string_view mode = trimBlanks(value);
            if (mode == "INSTALL") s.runMode = INSTALL;
            else if (mode == "UNINSTALL") s.runMode = UNINSTALL;
            else if (mode == "EXTENSION") s.runMode = EXTENSION;
        }
        break;
    case Section::Common:
        if (key == "SILENT") take(s.iniSilent, "iniSilent");
        else if (key == "ISADMIN") take(s.iniIsAdmin, "iniIsAdmin");
        else if (key == "APPDATALOCATION") take(s.iniAppDataLocation, "iniAppDataLocation");
        break;
    case Section::None: break;
    }
}

}  // namespace

bool appendOrLog(LogFile& log, TextList& list, std::string_view value, const char* field) {
    if (list.append(value)) return true;
    const bool full = list.count() >= TextList::kEntries;
    logRefusal(log, field,
               full ? "more than " + std::to_string(TextList::kEntries) + " entries"
                    : "an entry longer than " + std::to_string(kTextWidth) + " characters");
    return false;
}

bool isTrueWord(std::string_view text) { return equalsIgnoringCase(text, "true") || equalsIgnoringCase(text, "yes"); }
bool isFalseWord(std::string_view text) { return equalsIgnoringCase(text, "false") || equalsIgnoringCase(text, "no"); }

void parseSettingsText(LauncherSettings& s, LogFile& log, Platform& platform, std::string_view text) {
    TextLines lines(text, platform);
    parseSettingsLines(s, log, lines);
}

void parseSettingsLines(LauncherSettings& s, LogFile& log, TextLines& lines) {
    s.iniInstallerArgs.clear();
    s.iniManagerArgs.clear();
    Section section = Section::None;
    std::string line;
    while (lines.next(line)) {
        if (!line.empty() && line[0] == ';') continue;
        const std::string_view trimmed = trimBlanks(line);
        if (trimmed == "[INSTALLER]") {
            section = Section::Installer;
            continue;
        }
        if (trimmed == "[MANAGER]") {
            section = Section::Manager;
            continue;
        }
        if (trimmed == "[COMMON]") {
            section = Section::Common;
            continue;
        }
        if (!line.empty() && line[0] == '[') {
            section = Section::None;
            continue;
        }
        std::string_view key, value;
        TextFault fault = TextFault::None;
        if (splitPiece(lines, line, key, value, fault)) applyKey(s, log, section, key, value, fault);
    }
}

bool readSettingsFile(LauncherSettings& s, LogFile& log, Platform& platform, const std::string& path) {
    // The file lies beside the launcher. A name without a folder (the launcher's
    // own location is unknown) would be opened in the current folder, where
    // anyone can leave one: it counts as a file that cannot be opened.
    const std::unique_ptr<TextLines> lines = folderPart(path).empty() ? nullptr : openTextLines(platform, path);
    if (!lines) {
        const std::string text = formatMessage(loadMessage(platform, kMsgCannotOpenIni), platform.ansiToUtf8(path));
        showMessageBox(platform, text, "", kBoxError);
        return false;
    }
    parseSettingsLines(s, log, *lines);
    return true;
}

void writeInformationDump(const LauncherSettings& s, LogFile& log) {
    logSection(log, "\nLauncher info\n");
    logLine(log, "launcherFullPath: (%s)\n", s.launcherFullPath.c_str());
    logLine(log, "launcherDir: (%s)\n", s.launcherDir.c_str());
    logLine(log, "launcherFile: (%s)\n", s.launcherFile.c_str());
    logLine(log, "launcherName: (%s)\n", s.launcherName.c_str());

    logSection(log, "\nINI File info\n");
    logLine(log, "iniInstallerLocation: (%s)\n", s.iniInstallerLocation.c_str());
    logLine(log, "iniManagerLocationKey: (%s)\n", s.iniManagerLocationKey.c_str());
    logLine(log, "iniManagerLocationFile: (%s)\n", s.iniManagerLocationFile.c_str());
    logLine(log, "iniManagerVersion: (%s)\n", s.iniManagerVersion.c_str());
    logLine(log, "iniManagerLauncher: (%s)\n", s.iniManagerLauncher.c_str());
    logLine(log, "iniManagerLauncherSilent: (%s)\n", s.iniManagerLauncherSilent.c_str());
    logLine(log, "iniManagerInput: (%s)\n", s.iniManagerInput.c_str());
    logLine(log, "iniMode: (%s)\n", s.iniMode.c_str());
    logLine(log, "iniSilent: (%s)\n", s.iniSilent.c_str());
    logLine(log, "iniIsAdmin: (%s)\n", s.iniIsAdmin.c_str());
    logLine(log, "iniAppDataLocation: (%s)\n", s.iniAppDataLocation.c_str());
    for (std::size_t i = 0; i < s.iniInstallerArgs.count(); ++i)
        logLine(log, "iniInstallerArgs[%d]: (%s)\n", static_cast<int>(i), s.iniInstallerArgs[i].c_str());
    for (std::size_t i = 0; i < s.iniManagerArgs.count(); ++i)
        logLine(log, "iniManagerArgs[%d]: (%s)\n", static_cast<int>(i), s.iniManagerArgs[i].c_str());

    logSection(log, "\nCommandline Arguments\n");
    logLine(log, "argInputFile: (%s)\n", s.argInputFile.c_str());
    logLine(log, "argLogFile: (%s)\n", s.argLogFile.c_str());
    logLine(log, "argIsSilent: (%d)\n", s.argIsSilent);
    logLine(log, "argIsUserAdmin: (%d)\n", s.argIsUserAdmin);
    logLine(log, "isDebug: (%d)\n", s.isDebug);
    logLine(log, "isWait: (%d)\n", s.isWait);
    logLine(log, "argAppDataLocation: (%s)\n", s.argAppDataLocation.c_str());
    for (std::size_t i = 0; i < s.argInstallerArgs.count(); ++i)
        logLine(log, "argInstallerArgs[%d]: (%s)\n", static_cast<int>(i), s.argInstallerArgs[i].c_str());
    for (std::size_t i = 0; i < s.argManagerArgs.count(); ++i)
        logLine(log, "argManagerArgs[%d]: (%s)\n", static_cast<int>(i), s.argManagerArgs[i].c_str());

    writeKeptRefusals(log);
}

void resolveSettings(LauncherSettings& s, LogFile& log, Platform& platform) {
    if (s.argIsSilent == 1 || isTrueWord(s.iniSilent.str())) {
        s.isSilent = 1;
        s.isWait = 1;
        s.isDialogAllowed = 0;
    }

    if (s.argIsUserAdmin == 1 || isTrueWord(s.iniIsAdmin.str())) s.isUserAdmin = 1;
    else if (isFalseWord(s.iniIsAdmin.str())) s.isUserAdmin = 0;
    else s.isUserAdmin = platform.isUserAnAdmin() ? 1 : 0;

    if (!s.argAppDataLocation.empty()) s.appDataLocation.assign(s.argAppDataLocation.str());
    else if (!s.iniAppDataLocation.empty()) s.appDataLocation.assign(s.iniAppDataLocation.str());
    else s.appDataLocation.clear();

    const std::string& input = !s.argInputFile.empty() ? s.argInputFile.str() : s.iniManagerInput.str();
    if (input.empty()) {
        s.inputFile.clear();
    } else if (!platform.pathIsRelative(input)) {
        normalizeOrLog(log, input, s.inputFile, "inputFile");
    } else {
        normalizeOrLog(log, joinPath(s.launcherDir.str(), input), s.inputFile, "inputFile");
    }

    logSection(log, "\nMode\n");
    logLine(log, "isSilent: (%d)\n", s.isSilent);
    logLine(log, "isDialogAllowed: (%d)\n", s.isDialogAllowed);
    logLine(log, "isUserAdmin: (%d)\n", s.isUserAdmin);
    logLine(log, "appDataLocation: (%s)\n", s.appDataLocation.c_str());
    logLine(log, "inputFile: (%s)\n", s.inputFile.c_str());
}

}  // namespace stelvo
