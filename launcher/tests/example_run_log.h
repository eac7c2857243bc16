// The whole log of one run over the example settings file
// (launcher/example/stelvo.ini), as an administrator with "-log LOG -wait": no
// agent yet, so msiexec installs the package, which registers version 7.1.0;
// then the agent is started and waited for. The in-memory driver test and the
// end-to-end run under Wine both compare their log with it line by line; only
// the paths and the installer's exit code differ between them.
#pragma once

#include <string>
#include <vector>

namespace stelvo_test {

struct ExampleRun {
    std::string imageDir;  // the launcher's folder, with its trailing backslash
    std::string logPath;
    std::string agentDir;  // where the package put the agent, with its trailing backslash
    long installerCode;    // 0, or 3010 (success, restart needed)
};

inline std::vector<std::string> exampleRunLog(const ExampleRun& run) {
    const std::string b = "======================================================";
    const std::string key = "iniManagerLocationKey: (Software\\Mirravon Example\\Quillmont)";
    const std::string data = "C:\\users\\Public\\Quillmont data\\";
    const std::string msiexec = "C:\\windows\\system32\\msiexec.exe";
    const std::string agent = run.agentDir + "QuillmontAgent.exe";
    const std::vector<std::string> discovery = {"",
                                                "Get Installed Agent Info",
                                                b,
                                                key,
                                                "iniManagerLocationFile: ()",
                                                "isAdmin(): (1)",
                                                "isUserAdmin: (1)",
                                                "Get current agent location from Registry: ",
                                                key};

    std::vector<std::string> log = {"",
                                    "Launcher info",
                                    b,
                                    "launcherFullPath: (" + run.imageDir + "stelvo.exe)",
                                    "launcherDir: (" + run.imageDir + ")",
                                    "launcherFile: (stelvo.exe)",
                                    "launcherName: (stelvo)",
                                    "",
                                    "INI File info",
                                    b,
                                    "iniInstallerLocation: (quillmont-agent.msi)",
                                    key,
                                    "iniManagerLocationFile: ()",
                                    "iniManagerVersion: (7.0)",
                                    "iniManagerLauncher: (QuillmontAgent.exe)",
                                    "iniManagerLauncherSilent: ()",
                                    "iniManagerInput: ()",
                                    "iniMode: ()",
                                    "iniSilent: ()",
                                    "iniIsAdmin: ()",
                                    "iniAppDataLocation: (" + data + ")",
                                    "",
                                    "Commandline Arguments",
                                    b,
                                    "argInputFile: ()",
                                    "argLogFile: (" + run.logPath + ")",
                                    "argIsSilent: (0)",
                                    "argIsUserAdmin: (0)",
                                    "isDebug: (1)",
                                    "isWait: (1)",
                                    "argAppDataLocation: ()",
                                    "",
                                    "Mode",
                                    b,
                                    "isSilent: (0)",
                                    "isDialogAllowed: (1)",
                                    "isUserAdmin: (1)",
                                    "appDataLocation: (" + data + ")",
                                    "inputFile: ()"};
    log.insert(log.end(), discovery.begin(), discovery.end());
    log.insert(log.end(), {"",
                           "Installed Agent Info",
                           b,
                           "refVersion: ()",
                           "refLocation: ()",
                           "",
                           "Expected Agent Info",
                           b,
                           "refVersion: ()",
                           "iniManagerVersion: (7.0)",
                           "Agent is not installed.  Prepare to install.",
                           "",
                           "Command to launch agent install",
                           b,
                           "installerArglist[0]: (" + msiexec + ")",
                           "installerArglist[1]: (/i)",
                           "installerArglist[2]: (\"" + run.imageDir + "quillmont-agent.msi\")",
                           "installerArglist[3]: (STANDALONE=false)",
                           "installerArglist[4]: (APPDATALOCATION=\"" + data + "\")",
                           "",
                           "Return code of agent installer",
                           b,
                           "rc: (" + std::to_string(run.installerCode) + ")",
                           "InstallerProgram: (" + msiexec + ")"});
    if (run.installerCode == 3010) log.push_back("Install succeeded; a restart is required to complete it ");
    log.insert(log.end(), discovery.begin(), discovery.end());
    log.insert(log.end(),
               {"", "Installed Agent Info (after install agent) ", b, "refVersion: (7.1.0)",
                "refLocation: (" + run.agentDir + ")", "", "Expected Agent Info", b, "refVersion: (7.1.0)",
                "iniManagerVersion: (7.0)", "", "Command to launch agent", b, "AgentProgram: (" + agent + ")",
                "agentArglist[0]: (\"" + agent + "\")", "agentArglist[1]: (-dataLocation)",
                "agentArglist[2]: (\"C:\\users\\Public\\Quillmont data\")", "isWait: (1)"});
    return log;
}

}  // namespace stelvo_test
