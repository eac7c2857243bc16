#include "stelvo/driver.h"

#include "stelvo/agent.h"
#include "stelvo/launcher_options.h"
#include "stelvo/messages.h"
#include "stelvo/paths.h"
#include "stelvo/program_command_lines.h"

#include <string>

namespace stelvo {
namespace {

// `title` differs between the first discovery and the one after an install.
void logInstalledAndExpected(const LauncherSettings& s, LogFile& log, const char* title) {
    logSection(log, title);
    logLine(log, "refVersion: (%s)\n", s.refVersion.c_str());
    logLine(log, "refLocation: (%s)\n", s.refLocation.c_str());
    logSection(log, "\nExpected Agent Info\n");
    logLine(log, "refVersion: (%s)\n", s.refVersion.c_str());
    logLine(log, "iniManagerVersion: (%s)\n", s.iniManagerVersion.c_str());
}

// Ends the run when no installer is configured; the mode chooses the log lines and the message.
int endWithoutInstaller(const LauncherSettings& s, LogFile& log, Platform& platform) {
    unsigned message = kMsgVersionNotFound;
    switch (s.runMode) {
    case INSTALL:
        logLine(log, "Running in INSTALL Mode.  \n");
        logLine(log, "Agent is not detected on the system. Install cannot continue \n");
        break;
    case UNINSTALL:
        logLine(log, "Running in UNINSTALL Mode.  \n");
        logLine(log, "Agent is not detected on the system. Uninstall cannot continue \n");
        break;
    case EXTENSION:
        logLine(log, "Running in EXTENSION Mode.  \n");
        logLine(log, "Agent is not detected on the system. Install cannot continue. \n");
        message = kMsgVersionNotFoundExtension;
        break;
    }
    showErrorBox(s, platform, message, s.iniManagerVersion.str());
    return 1;
}

enum class InstallOutcome { Installed, Ended };

// Runs the installer and judges its exit code; on Ended, `exitCode` holds the run's result.
InstallOutcome runInstaller(LauncherSettings& s, LogFile& log, Platform& platform, int& exitCode) {
    const bool msi = isMsiInstaller(s);
    bool built = false;
    // A folder would pass for the installer and then fail in it: it counts as missing.
    if (msi) {
        built = buildMsiCommandLine(s, log, platform);
        const FileKind kind = platform.fileKind(s.msiImagePath.str());
        if (kind != FileKind::Regular) {
            if (kind == FileKind::Other)
                logLine(log, "MSI installer image is a folder, not a package: %s\n", s.msiImagePath.c_str());
            logLine(log, "MSI installer image is not found: %s\n", s.msiImagePath.c_str());
            showErrorBox(s, platform, kMsgInstallerNotFound, s.msiImagePath.str());
            exitCode = 1;
            return InstallOutcome::Ended;
        }
    } else {
        built = buildInstallerCommandLine(s, log);
        const FileKind kind = platform.fileKind(s.installerProgram.str());
        if (kind != FileKind::Regular) {
            if (kind == FileKind::Other)
                logLine(log, "Installer is a folder, not a program: %s\n", s.installerProgram.c_str());
            logLine(log, "Installer does not exist: %s\n", s.installerProgram.c_str());
            showErrorBox(s, platform, kMsgInstallerNotFound, s.installerProgram.str());
            exitCode = 1;
            return InstallOutcome::Ended;
        }
    }

    // A command line refused for its limits is never started.
    const long rc = built ? platform.runAndWait(s.installerProgram.str(), joinCommandLine(s.installerArglist)) : -1;
    logSection(log, "\nReturn code of agent installer\n");
    logLine(log, "rc: (%d)\n", static_cast<int>(rc));
    logLine(log, "InstallerProgram: (%s)\n", s.installerProgram.c_str());

    if (rc == 0) return InstallOutcome::Installed;
    if (rc == kInstallRestartRequired) {
        logLine(log, "Install succeeded; a restart is required to complete it \n");
        return InstallOutcome::Installed;
    }
    if (rc == kInstallRestartStarted) {
        // The installer has already started the restart: end quietly with its code.
        logLine(log, "Install succeeded; the installer has started a restart \n");
        exitCode = static_cast<int>(rc);
        return InstallOutcome::Ended;
    }
    if (rc == kInstallCancelled || (rc == kSetupCancelled && !msi)) {
        logLine(log, "Install Cancelled by user \n");
        exitCode = static_cast<int>(rc);
        return InstallOutcome::Ended;
    }
    logLine(log, "Error installing agent\n");
    showErrorBox(s, platform, kMsgInstallerError, std::to_string(static_cast<int>(rc)));
    exitCode = static_cast<int>(rc);
    return InstallOutcome::Ended;
}

int startAgent(LauncherSettings& s, LogFile& log, Platform& platform) {
    const bool built = buildAgentCommandLine(s, log);
    // A folder would pass for a program and then fail to start: it counts as missing.
    const FileKind kind = platform.fileKind(s.agentProgram.str());
    if (kind != FileKind::Regular) {
        if (kind == FileKind::Other)
            logLine(log, "Agent program is a folder, not a program: %s \n", s.agentProgram.c_str());
        logLine(log, "Agent program cannot be found: %s \n", s.agentProgram.c_str());
        showErrorBox(s, platform, kMsgVersionNotFound, s.iniManagerVersion.str());
        return 1;
    }
    logLine(log, "isWait: (%d)\n", s.isWait);
    log.close();

    if (!built) return -1;
    const std::string commandLine = joinCommandLine(s.agentArglist);
    long result;
    if (s.isWait == 1) {
        result = platform.runAndWait(s.agentProgram.str(), commandLine);
    } else {
        if (platform.startProcess(s.agentProgram.str(), commandLine)) return 0;
        result = -1;
    }
    while (result == kAgentRestart) result = platform.runAndWait(s.agentProgram.str(), commandLine);
    return static_cast<int>(result);
}

// Why a path cannot be the launcher's location.
enum class Misfit { None, NotAnsi, Path, Name };

Misfit misfitOf(std::string_view path) {
    if (path.size() > Text::kWidth) return Misfit::Path;
    // The base name is never longer than the file name.
    if (filePart(path).size() > NameText::kWidth) return Misfit::Name;
    return Misfit::None;
}

// The system's UTF-16 path as the record holds it: exactly in ANSI, and fitting its fields.
Misfit fromSystem(Platform& platform, std::u16string_view path, std::string& ansi) {
    if (!platform.ansiFromUtf16(path, ansi)) return Misfit::NotAnsi;
    return misfitOf(ansi);
}

void logMisfit(LogFile& log, Misfit misfit) {
    switch (misfit) {
    case Misfit::NotAnsi:
        logRefusal(log, "launcherFullPath", "the system's path was cut or is not exactly in the ANSI code page");
        break;
    case Misfit::Path:
        logRefusal(log, "launcherFullPath", "longer than " + std::to_string(Text::kWidth) + " characters");
        break;
    case Misfit::Name:
        logRefusal(log, "launcherFile", "longer than " + std::to_string(NameText::kWidth) + " characters");
        break;
    case Misfit::None: break;
    }
}

// The launcher's own path from the system, in ANSI; false (logged) when it cannot be used.
bool ownPathFromSystem(Platform& platform, LogFile& log, const std::u16string& path, std::string& ansi) {
    const Misfit misfit = fromSystem(platform, path, ansi);
    if (misfit == Misfit::None) return true;
    // A folder the code page cannot hold, or a deep one, has a short form made
    // of ANSI characters (where the volume keeps short names), and every path
    // made from the location works through it. The file name stays as it is:
    // the settings file is named after it, and the short form of a long file
    // name is an alias that another file's name may share.
    std::u16string shortForm;
    const std::size_t file = path.rfind(u'\\') + 1;
    if (platform.shortPath(path, shortForm)) {
        const std::size_t shortFile = shortForm.rfind(u'\\') + 1;
        const std::u16string joined = shortForm.substr(0, shortFile) + path.substr(file);
        if (fromSystem(platform, joined, ansi) == Misfit::None) return true;
    }
    logMisfit(log, misfit);
    return false;
}

}  // namespace

void findLauncherLocation(LauncherSettings& s, LogFile& log, Platform& platform, const char* programName) {
    // The system's answer first: searching for the program name would find a
    // same-named program in the current folder or on PATH, and read the
    // settings file beside it, which names the installer to run. An answer
    // that cannot be used is not replaced by the search either, which could
    // only find this same file or such another program: the fields stay empty.
    std::u16string own;
    std::string path;
    switch (platform.ownProgramPath(own)) {
    case OwnPath::Unusable: logMisfit(log, Misfit::NotAnsi); return;
    case OwnPath::Given:
        if (!ownPathFromSystem(platform, log, own, path)) return;
        break;
    case OwnPath::NoAnswer: {
        const std::string name = programName ? programName : "";
        path = findProgram(platform, name);
        if (path.empty()) path = findProgram(platform, name + ".exe");
        // A location that does not fit its fields is refused whole; the
        // settings file name is then made from the empty fields.
        const Misfit misfit = misfitOf(path);
        logMisfit(log, misfit);
        if (misfit != Misfit::None) return;
        break;
    }
    }
    s.launcherFullPath.assign(path);
    s.launcherDir.assign(folderPart(path));
    s.launcherFile.assign(filePart(path));
    s.launcherName.assign(baseName(path));
}

int runLauncher(LauncherSettings& s, LogFile& log, Platform& platform, int argc, const char* const* argv) {
    findLauncherLocation(s, log, platform, argc > 0 ? argv[0] : nullptr);

    const std::string settingsPath = s.launcherDir.str() + s.launcherName.str() + ".ini";
    if (!readSettingsFile(s, log, platform, settingsPath)) return 1;

    if (!parseCommandLine(s, log, platform, argc, argv)) return 0;

    if (s.isDebug == 1) {
        log.open(s.argLogFile.str());
        writeInformationDump(s, log);
    }

    resolveSettings(s, log, platform);
    discoverAgent(s, log, platform);
    logInstalledAndExpected(s, log, "\nInstalled Agent Info\n");

    if (!isAgentAcceptable(s)) {
        logLine(log, "Agent is not installed.  Prepare to install.\n");
        if (s.iniInstallerLocation.empty()) return endWithoutInstaller(s, log, platform);

        int exitCode = 0;
        if (runInstaller(s, log, platform, exitCode) == InstallOutcome::Ended) return exitCode;

        discoverAgent(s, log, platform);
        logInstalledAndExpected(s, log, "\nInstalled Agent Info (after install agent) \n");
        if (!isAgentAcceptable(s)) {
            logLine(log, "Correct agent cannot be found \n");
            showErrorBox(s, platform, kMsgVersionNotFound, s.iniManagerVersion.str());
            return 1;
        }
    }
    return startAgent(s, log, platform);
}

}  // namespace stelvo
