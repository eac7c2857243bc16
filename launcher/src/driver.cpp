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
void logInstalledAndExpected(LauncherSettings& s, const char* title) {
    logLine(s, "%s", title);
    logLine(s, "%s", kBanner);
    logLine(s, "refVersion: (%s)\n", s.refVersion.c_str());
    logLine(s, "refLocation: (%s)\n", s.refLocation.c_str());
    logLine(s, "\nExpected Agent Info\n");
    logLine(s, "%s", kBanner);
    logLine(s, "refVersion: (%s)\n", s.refVersion.c_str());
    logLine(s, "iniManagerVersion: (%s)\n", s.iniManagerVersion.c_str());
}

// Ends the run when no installer is configured; the mode chooses the log lines and the message.
int endWithoutInstaller(LauncherSettings& s, Platform& platform) {
    unsigned message = kMsgVersionNotFound;
    switch (s.runMode) {
    case INSTALL:
        logLine(s, "Running in INSTALL Mode.  \n");
        logLine(s, "Agent is not detected on the system. Install cannot continue \n");
        break;
    case UNINSTALL:
        logLine(s, "Running in UNINSTALL Mode.  \n");
        logLine(s, "Agent is not detected on the system. Uninstall cannot continue \n");
        break;
    case EXTENSION:
        logLine(s, "Running in EXTENSION Mode.  \n");
        logLine(s, "Agent is not detected on the system. Install cannot continue. \n");
        message = kMsgVersionNotFoundExtension;
        break;
    }
    showErrorBox(s, platform, message, s.iniManagerVersion.str());
    return 1;
}

enum class InstallOutcome { Installed, Ended };

// Runs the installer and judges its exit code; on Ended, `exitCode` holds the run's result.
InstallOutcome runInstaller(LauncherSettings& s, Platform& platform, int& exitCode) {
    const bool msi = isMsiInstaller(s);
    bool built = false;
    if (msi) {
        built = buildMsiCommandLine(s, platform);
        if (platform.fileKind(s.msiImagePath.str()) == FileKind::Missing) {
            logLine(s, "MSI installer image is not found: %s\n", s.msiImagePath.c_str());
            showErrorBox(s, platform, kMsgInstallerNotFound, s.msiImagePath.str());
            exitCode = 1;
            return InstallOutcome::Ended;
        }
    } else {
        built = buildInstallerCommandLine(s);
        if (platform.fileKind(s.installerProgram.str()) == FileKind::Missing) {
            logLine(s, "Installer does not exist: %s\n", s.installerProgram.c_str());
            showErrorBox(s, platform, kMsgInstallerNotFound, s.installerProgram.str());
            exitCode = 1;
            return InstallOutcome::Ended;
        }
    }

    // A command line refused for its limits is never started.
    const long rc = built ? platform.runAndWait(s.installerProgram.str(), joinCommandLine(s.installerArglist)) : -1;
    logLine(s, "\nReturn code of agent installer\n");
    logLine(s, "%s", kBanner);
    logLine(s, "rc: (%d)\n", static_cast<int>(rc));
    logLine(s, "InstallerProgram: (%s)\n", s.installerProgram.c_str());

    if (rc == 0) return InstallOutcome::Installed;
    if (rc == kInstallRestartRequired) {
        logLine(s, "Install succeeded; a restart is required to complete it \n");
        return InstallOutcome::Installed;
    }
    if (rc == kInstallRestartStarted) {
        // The installer has already started the restart: end quietly with its code.
        logLine(s, "Install succeeded; the installer has started a restart \n");
        exitCode = static_cast<int>(rc);
        return InstallOutcome::Ended;
    }
    if (rc == kInstallCancelled || (rc == kSetupCancelled && !msi)) {
        logLine(s, "Install Cancelled by user \n");
        exitCode = static_cast<int>(rc);
        return InstallOutcome::Ended;
    }
    logLine(s, "Error installing agent\n");
    showErrorBox(s, platform, kMsgInstallerError, std::to_string(static_cast<int>(rc)));
    exitCode = static_cast<int>(rc);
    return InstallOutcome::Ended;
}

int startAgent(LauncherSettings& s, Platform& platform) {
    const bool built = buildAgentCommandLine(s);
    // A folder would pass for a program and then fail to start: it counts as missing.
    const FileKind kind = platform.fileKind(s.agentProgram.str());
    if (kind != FileKind::Regular) {
        if (kind == FileKind::Other)
            logLine(s, "Agent program is a folder, not a program: %s \n", s.agentProgram.c_str());
        logLine(s, "Agent program cannot be found: %s \n", s.agentProgram.c_str());
        showErrorBox(s, platform, kMsgVersionNotFound, s.iniManagerVersion.str());
        return 1;
    }
    logLine(s, "isWait: (%d)\n", s.isWait);
    s.log.close();

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

}  // namespace

void findLauncherLocation(LauncherSettings& s, Platform& platform, const char* programName) {
    // The system's answer first: searching for the program name would find a
    // same-named program in the current folder or on PATH, and read the
    // settings file beside it, which names the installer to run.
    std::string path;
    if (!platform.ownProgramPath(path) || path.size() > Text::kWidth) {
        const std::string name = programName ? programName : "";
        path = findProgram(platform, name);
        if (path.empty()) path = findProgram(platform, name + ".exe");
    }
    // A location that does not fit its fields is refused; the settings file
    // name is then made from the empty fields.
    if (!s.launcherFullPath.assign(path)) {
        logRefusal(s, "launcherFullPath", "longer than " + std::to_string(Text::kWidth) + " characters");
        return;
    }
    s.launcherDir.assign(folderPart(path));
    if (s.launcherFile.assign(filePart(path))) s.launcherName.assign(baseName(path));
    else logRefusal(s, "launcherFile", "longer than " + std::to_string(NameText::kWidth) + " characters");
}

int runLauncher(LauncherSettings& s, Platform& platform, int argc, const char* const* argv) {
    findLauncherLocation(s, platform, argc > 0 ? argv[0] : nullptr);

    const std::string settingsPath = s.launcherDir.str() + s.launcherName.str() + ".ini";
    if (!readSettingsFile(s, platform, settingsPath)) return 1;

    if (!parseCommandLine(s, platform, argc, argv)) return 0;

    if (s.isDebug == 1) {
        s.log.open(s.argLogFile.str());
        writeInformationDump(s);
    }

    resolveSettings(s, platform);
    discoverAgent(s, platform);
    logInstalledAndExpected(s, "\nInstalled Agent Info\n");

    if (!isAgentAcceptable(s)) {
        logLine(s, "Agent is not installed.  Prepare to install.\n");
        if (s.iniInstallerLocation.empty()) return endWithoutInstaller(s, platform);

        int exitCode = 0;
        if (runInstaller(s, platform, exitCode) == InstallOutcome::Ended) return exitCode;

        discoverAgent(s, platform);
        logInstalledAndExpected(s, "\nInstalled Agent Info (after install agent) \n");
        if (!isAgentAcceptable(s)) {
            logLine(s, "Correct agent cannot be found \n");
            showErrorBox(s, platform, kMsgVersionNotFound, s.iniManagerVersion.str());
            return 1;
        }
    }
    return startAgent(s, platform);
}

}  // namespace stelvo
