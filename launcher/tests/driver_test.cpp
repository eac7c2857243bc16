// The driver's paths from start to exit code, through the platform interface.
#include "stelvo/driver.h"
#include "example_run_log.h"
#include "fake_platform.h"
#include "mirravon_test/wine_paths.h"
#include "stelvo/messages.h"
#include "stelvo/paths.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>

using namespace stelvo;
using stelvo_test::ExampleRun;
using stelvo_test::exampleRunLog;
using stelvo_test::FakePlatform;
using stelvo_test::Start;

namespace {

std::string readFile(const std::string& path) {
    std::ifstream in(path);
    std::stringstream content;
    content << in.rdbuf();
    return content.str();
}

// A file of the source tree, from the host build or under Wine.
std::string sourceFile(const char* path) {
#ifdef _WIN32
    return readFile(mirravon_test::toWindowsPath(path));
#else
    return readFile(path);
#endif
}

// The example image's settings file, as the end-to-end test runs it.
std::string exampleSettings() { return sourceFile(STELVO_EXAMPLE_INI); }

const char* const kIni =
    "[INSTALLER]\nLOCATION=agent.msi\n"
    "[MANAGER]\nLOCATION_KEY=Software\\Q\nVERSION=7.0\nLAUNCHER=bin\\agent.exe\n";

class Driver : public ::testing::Test {
protected:
    void SetUp() override {
        p.files["C:\\img\\stelvo.exe"] = "";
        p.files["C:\\img\\stelvo.ini"] = kIni;
        p.files["C:\\img\\agent.msi"] = "";
        p.files["C:\\Q\\bin\\agent.exe"] = "";
    }
    void installAgent(const std::string& version) {
        p.registry[{RegistryRoot::CurrentUser, "Software\\Q"}] = {{"location", "C:\\Q"}, {"version", version}};
    }
    int run(std::vector<const char*> args = {}) {
        args.insert(args.begin(), "C:\\img\\stelvo.exe");
        return runLauncher(s, log, p, static_cast<int>(args.size()), args.data());
    }
    // The installer "installs" the agent when it ends with one of these codes.
    void installerInstalls(long code, const std::string& version = "7.0") {
        p.onRun = [this, code, version](const Start& start) -> long {
            if (start.program.find("msiexec") != std::string::npos ||
                start.program.find("setup") != std::string::npos) {
                installAgent(version);
                return code;
            }
            return 0;
        };
    }
    std::string boxText(std::size_t i = 0) const { return p.boxText(i); }

    FakePlatform p;
    LauncherSettings s;
    LogFile log;
};

}  // namespace

TEST_F(Driver, AcceptableAgentIsStartedWithoutInstallAndWithoutWaiting) {
    installAgent("7.0");
    EXPECT_EQ(run(), 0);
    ASSERT_EQ(p.starts.size(), 1u);
    EXPECT_EQ(p.starts[0].program, "C:\\Q\\bin\\agent.exe");
    EXPECT_EQ(p.starts[0].commandLine, "\"C:\\Q\\bin\\agent.exe\"");
    EXPECT_FALSE(p.starts[0].waited);
    EXPECT_TRUE(p.boxes.empty());
    EXPECT_EQ(s.launcherName.str(), "stelvo");
}

TEST_F(Driver, LauncherStartedByBareNameFindsItselfWithExe) {
    installAgent("7.0");
    p.currentDir = "C:\\img";
    // The fake file system does not resolve "." itself.
    p.files["C:\\img\\.\\stelvo.exe"] = "";
    p.files["C:\\img\\.\\stelvo.ini"] = kIni;
    const char* args[] = {"stelvo"};
    EXPECT_EQ(runLauncher(s, log, p, 1, args), 0);
    EXPECT_EQ(s.launcherFullPath.str(), "C:\\img\\.\\stelvo.exe");
    EXPECT_EQ(s.launcherDir.str(), "C:\\img\\.\\");
}

TEST_F(Driver, OwnPathComesFromTheSystemSoAPlantedLauncherIsNotTaken) {
    installAgent("7.0");
    p.currentDir = "C:\\Downloads";
    p.files["C:\\Downloads\\.\\stelvo.exe"] = "";
    p.files["C:\\Downloads\\.\\stelvo.ini"] = "[INSTALLER]\nLOCATION=planted.exe\n[MANAGER]\nVERSION=99\n";
    p.ownPath = "C:\\img\\stelvo.exe";
    const char* args[] = {"stelvo"};
    EXPECT_EQ(runLauncher(s, log, p, 1, args), 0);
    EXPECT_EQ(s.launcherFullPath.str(), "C:\\img\\stelvo.exe");
    EXPECT_EQ(s.iniManagerVersion.str(), "7.0");

    // A system path that does not fit the field (256 characters) and has no
    // short form, or that was cut, is not replaced by the search: the location
    // stays empty and ".ini" is not opened, not even one left in the current folder.
    for (const bool unusable : {false, true}) {
        FakePlatform fp;
        fp.files = p.files;
        fp.files[".ini"] = p.files["C:\\Downloads\\.\\stelvo.ini"];
        fp.currentDir = p.currentDir;
        fp.ownPath = "C:\\" + std::string(242, 'd') + "\\stelvo.exe";
        fp.ownPathCut = unusable;
        LauncherSettings ls;
        LogFile lslog;
        EXPECT_EQ(runLauncher(ls, lslog, fp, 1, args), 1) << unusable;
        EXPECT_EQ(ls.launcherFullPath.str(), "") << unusable;
        ASSERT_EQ(fp.boxes.size(), 1u) << unusable;
        EXPECT_EQ(fp.boxText(0), "Cannot open INI file: .ini\n") << unusable;
    }
}

TEST_F(Driver, MissingSettingsFileShowsItsBoxEvenWhenSilent) {
    p.files.erase("C:\\img\\stelvo.ini");
    EXPECT_EQ(run({"-silent"}), 1);
    ASSERT_EQ(p.boxes.size(), 1u);
    EXPECT_EQ(boxText(), "Cannot open INI file: C:\\img\\stelvo.ini\n");
    EXPECT_TRUE(p.starts.empty());
}

// A file name beyond its field leaves the whole location empty: no settings
// file is read, neither "<dir>.ini" beside the launcher nor ".ini".
TEST_F(Driver, LauncherNameBeyond51CharactersIsRefused) {
    const std::string longName = "C:\\img\\" + std::string(48, 'n') + ".exe";  // 52 characters
    p.files[longName] = "";
    p.files["C:\\img\\.ini"] = kIni;
    p.files[".ini"] = kIni;
    const char* args[] = {longName.c_str()};
    EXPECT_EQ(runLauncher(s, log, p, 1, args), 1);
    EXPECT_TRUE(s.launcherFile.empty());
    EXPECT_TRUE(s.launcherDir.empty());
    EXPECT_EQ(boxText(), "Cannot open INI file: .ini\n");
    EXPECT_EQ(p.opens, 0);
}

// A path that the record cannot hold (a folder outside the ANSI code page, a
// path beyond 255 characters) is taken in its short form, which every path
// made from the location then uses; the file name keeps its own form. Without
// a short form that fits, nothing is read.
TEST_F(Driver, OwnPathThatTheRecordCannotHoldIsTakenInItsShortForm) {
    const std::string cyrillic = "C:\\\xd0\x94\xd0\xbe\xd0\xbc\\";  // C:\Дом\ in UTF-8
    const std::string deep = "C:\\" + std::string(242, 'd') + "\\";
    struct Case {
        std::string own;
        std::string shortForm;  // empty: none
        std::string location;   // empty: refused
    };
    const Case cases[] = {
        {cyrillic + "stelvo.exe", "C:\\DOM~1\\STELVO.EXE", "C:\\DOM~1\\stelvo.exe"},
        {deep + "stelvo.exe", "C:\\DDDDDD~1\\stelvo.exe", "C:\\DDDDDD~1\\stelvo.exe"},
        {cyrillic + "stelvo.exe", "", ""},
        {cyrillic + "stelvo.exe", "C:\\\xd0\x94\xd0\xbe\xd0\xbc\\stelvo.exe", ""},       // short names off
        {cyrillic + "stelvo.exe", "C:\\" + std::string(250, 'D') + "\\STELVO.EXE", ""},  // still too long
        {"C:\\img\\\xd0\x94.exe", "C:\\img\\D8A3~1.EXE", ""},  // the file name itself is outside the code page
        {"C:\\img\\" + std::string(48, 'n') + ".exe", "C:\\img\\NNNNNN~1.EXE", ""},
    };
    for (const Case& c : cases) {
        FakePlatform fp;
        fp.registry[{RegistryRoot::CurrentUser, "Software\\Q"}] = {{"location", "C:\\Q"}, {"version", "7.0"}};
        fp.files["C:\\Q\\bin\\agent.exe"] = "";
        fp.files[".ini"] = kIni;
        fp.files["C:\\img\\.ini"] = kIni;
        fp.ownPath = c.own;
        if (!c.shortForm.empty()) fp.shortPaths[c.own] = c.shortForm;
        if (!c.location.empty()) fp.files[folderPart(c.location) + "stelvo.ini"] = kIni;
        LauncherSettings ls;
        LogFile lslog;
        const char* args[] = {"stelvo"};
        EXPECT_EQ(runLauncher(ls, lslog, fp, 1, args), c.location.empty() ? 1 : 0) << c.own;
        EXPECT_EQ(ls.launcherFullPath.str(), c.location) << c.own;
        if (c.location.empty()) {
            ASSERT_EQ(fp.boxes.size(), 1u) << c.own;
            EXPECT_EQ(fp.boxText(0), "Cannot open INI file: .ini\n") << c.own;
            EXPECT_EQ(fp.opens, 0) << c.own;
        } else {
            EXPECT_EQ(ls.launcherDir.str(), folderPart(c.location));
            EXPECT_EQ(ls.launcherName.str(), "stelvo");
            EXPECT_EQ(ls.iniManagerVersion.str(), "7.0") << c.own;
        }
    }
}

TEST_F(Driver, HelpShowsUsageAndEndsWithZero) {
    EXPECT_EQ(run({"/?"}), 0);
    ASSERT_EQ(p.boxes.size(), 1u);
    EXPECT_EQ(p.boxTitle(0), "Usage:");
    EXPECT_TRUE(p.starts.empty());
}

TEST_F(Driver, NoAgentNoInstallerBoxByMode) {
    struct Case {
        const char* mode;
        const char* message;
        const char* logLine;
    };
    const Case cases[] = {
        {"INSTALL", "Quillmont version 7.0 or later cannot be found.", "Install cannot continue \n"},
        {"UNINSTALL", "Quillmont version 7.0 or later cannot be found.", "Uninstall cannot continue \n"},
        {"EXTENSION", "Quillmont version 7.0 or later cannot be found.  Check", "Install cannot continue. \n"},
    };
    for (const Case& c : cases) {
        FakePlatform fp;
        fp.files = p.files;
        fp.files["C:\\img\\stelvo.ini"] = std::string("[MANAGER]\nVERSION=7.0\nMODE=") + c.mode + "\n";
        LauncherSettings ls;
        LogFile lslog;
        lslog.openInMemory();
        ls.isDebug = 1;
        const char* args[] = {"C:\\img\\stelvo.exe"};
        EXPECT_EQ(runLauncher(ls, lslog, fp, 1, args), 1);
        ASSERT_EQ(fp.boxes.size(), 1u);
        EXPECT_EQ(fp.boxText(0).rfind(c.message, 0), 0u) << c.mode;
        EXPECT_NE(lslog.memory().find(std::string("Running in ") + c.mode + " Mode.  \n"), std::string::npos);
        EXPECT_NE(lslog.memory().find(c.logLine), std::string::npos);
    }
}

TEST_F(Driver, MsiInstallThenAgentStart) {
    installerInstalls(0);
    EXPECT_EQ(run({"-wait", "-appDataLocation", "D:\\d"}), 0);
    ASSERT_EQ(p.starts.size(), 2u);
    EXPECT_EQ(p.starts[0].program, "C:\\windows\\system32\\msiexec.exe");
    EXPECT_EQ(
        p.starts[0].commandLine,
        "C:\\windows\\system32\\msiexec.exe /i \"C:\\img\\agent.msi\" STANDALONE=false APPDATALOCATION=\"D:\\d\"");
    EXPECT_TRUE(p.starts[1].waited);
    EXPECT_EQ(p.starts[1].commandLine, "\"C:\\Q\\bin\\agent.exe\" -dataLocation D:\\d");
}

TEST_F(Driver, InstallerCodes) {
    struct Case {
        long rc;
        bool msi;
        int exit;
        bool box;
        bool agentStarted;
    };
    const Case cases[] = {
        {1602, true, 1602, false, false}, {232, false, 232, false, false}, {232, true, 232, true, false},
        {1603, true, 1603, true, false},  {3010, true, 0, false, true},    {1641, true, 1641, false, false},
        {3010, false, 0, false, true},    {-5, false, -5, true, false},
    };
    for (const Case& c : cases) {
        FakePlatform fp;
        fp.files = p.files;
        if (!c.msi) {
            fp.files["C:\\img\\setup.exe"] = "";
            fp.files["C:\\img\\stelvo.ini"] =
                "[INSTALLER]\nLOCATION=setup.exe\n[MANAGER]\nLOCATION_KEY=Software\\Q\nVERSION=7.0\n"
                "LAUNCHER=bin\\agent.exe\n";
        }
        const long rc = c.rc;
        fp.onRun = [&fp, rc](const Start& start) -> long {
            if (start.program.find("agent.exe") != std::string::npos) return 0;
            fp.registry[{RegistryRoot::CurrentUser, "Software\\Q"}] = {{"location", "C:\\Q"}, {"version", "7.0"}};
            return rc;
        };
        LauncherSettings ls;
        LogFile lslog;
        ls.isDebug = 1;
        lslog.openInMemory();
        const char* args[] = {"C:\\img\\stelvo.exe", "-wait"};
        EXPECT_EQ(runLauncher(ls, lslog, fp, 2, args), c.exit) << c.rc << (c.msi ? " msi" : " setup");
        EXPECT_EQ(fp.boxes.size(), c.box ? 1u : 0u) << c.rc;
        if (c.box) {
            EXPECT_NE(fp.boxText(0).find("Return Code=" + std::to_string(c.rc)), std::string::npos);
        }
        EXPECT_EQ(fp.starts.size(), c.agentStarted ? 2u : 1u) << c.rc;
        EXPECT_NE(lslog.memory().find("rc: (" + std::to_string(c.rc) + ")\n"), std::string::npos);
    }
}

TEST_F(Driver, InstallerThatCannotStartIsAnErrorMinusOne) {
    p.processesCreatable = false;
    EXPECT_EQ(run(), -1);
    ASSERT_EQ(p.boxes.size(), 1u);
    EXPECT_NE(boxText().find("Return Code=-1"), std::string::npos);
}

TEST_F(Driver, MissingInstallerFiles) {
    p.files.erase("C:\\img\\agent.msi");
    EXPECT_EQ(run(), 1);
    ASSERT_EQ(p.boxes.size(), 1u);
    EXPECT_EQ(boxText(), "The installer for Quillmont cannot be found.  \nInstaller Location=C:\\img\\agent.msi");
    EXPECT_TRUE(p.starts.empty());

    FakePlatform fp;
    fp.files = p.files;
    fp.files["C:\\img\\stelvo.ini"] = "[INSTALLER]\nLOCATION=sub\\..\\setup.exe\n[MANAGER]\nVERSION=1\n";
    LauncherSettings ls;
    LogFile lslog;
    const char* args[] = {"C:\\img\\stelvo.exe", "-silent"};
    EXPECT_EQ(runLauncher(ls, lslog, fp, 2, args), 1);
    EXPECT_TRUE(fp.boxes.empty());
}

// A folder where the package or the setup program should be is not an installer.
TEST_F(Driver, InstallerThatIsAFolderCountsAsMissing) {
    struct Case {
        const char* location;
        const char* lines;
    };
    const Case cases[] = {
        {"agent.msi",
         "MSI installer image is a folder, not a package: C:\\img\\agent.msi\n"
         "MSI installer image is not found: C:\\img\\agent.msi\n"},
        {"setup.exe",
         "Installer is a folder, not a program: C:\\img\\setup.exe\n"
         "Installer does not exist: C:\\img\\setup.exe\n"},
    };
    for (const Case& c : cases) {
        FakePlatform fp;
        fp.files = p.files;
        fp.files.erase("C:\\img\\agent.msi");
        fp.folders.insert(std::string("C:\\img\\") + c.location);
        fp.files["C:\\img\\stelvo.ini"] =
            std::string("[INSTALLER]\nLOCATION=") + c.location + "\n[MANAGER]\nVERSION=1\n";
        LauncherSettings ls;
        ls.isDebug = 1;
        LogFile lslog;
        lslog.openInMemory();
        const char* args[] = {"C:\\img\\stelvo.exe"};
        EXPECT_EQ(runLauncher(ls, lslog, fp, 1, args), 1) << c.location;
        EXPECT_TRUE(fp.starts.empty()) << c.location;
        ASSERT_EQ(fp.boxes.size(), 1u) << c.location;
        EXPECT_EQ(
            fp.boxText(0),
            std::string("The installer for Quillmont cannot be found.  \nInstaller Location=C:\\img\\") + c.location);
        EXPECT_NE(lslog.memory().find(c.lines), std::string::npos) << c.location;
    }
}

TEST_F(Driver, AgentStillTooOldAfterInstall) {
    installerInstalls(0, "6.9");
    EXPECT_EQ(run(), 1);
    ASSERT_EQ(p.boxes.size(), 1u);
    EXPECT_EQ(boxText(), "Quillmont version 7.0 or later cannot be found.");
}

TEST_F(Driver, AgentProgramMissingGivesTheVersionBox) {
    installAgent("7.1");
    p.files.erase("C:\\Q\\bin\\agent.exe");
    EXPECT_EQ(run(), 1);
    ASSERT_EQ(p.boxes.size(), 1u);
    EXPECT_EQ(boxText(), "Quillmont version 7.0 or later cannot be found.");
    EXPECT_TRUE(p.starts.empty());
}

TEST_F(Driver, AgentProgramThatIsAFolderCountsAsMissing) {
    installAgent("7.1");
    p.files.erase("C:\\Q\\bin\\agent.exe");
    p.folders.insert("C:\\Q\\bin\\agent.exe");
    s.isDebug = 1;
    log.openInMemory();
    EXPECT_EQ(run({"-wait"}), 1);
    ASSERT_EQ(p.boxes.size(), 1u);
    EXPECT_EQ(boxText(), "Quillmont version 7.0 or later cannot be found.");
    EXPECT_TRUE(p.starts.empty());
    const std::string& written = log.memory();
    EXPECT_NE(written.find("Agent program is a folder, not a program: C:\\Q\\bin\\agent.exe \n"
                           "Agent program cannot be found: C:\\Q\\bin\\agent.exe \n"),
              std::string::npos);
    EXPECT_EQ(written.find("isWait: (1)\n", written.find("Command to launch agent")), std::string::npos);
}

TEST_F(Driver, EachRefusedValueIsLoggedOnceWithItsReason) {
    installAgent("7.0");
    std::string ini = "[INSTALLER]\n";
    for (int i = 0; i < 256; ++i) ini += "ARG=a\n";
    ini += "[MANAGER]\nLOCATION_KEY=Software\\Q\nVERSION=7.0\nLAUNCHER=bin\\agent.exe\n";
    p.files["C:\\img\\stelvo.ini"] = ini;
    const std::string launcher = "C:\\img\\stelvo.exe";
    const std::string logPath = ::testing::TempDir() + "stelvo_refusals_test.log";
    const std::string tooLong(256, 'x');
    const std::string input(250, 'i');  // fits, but not once joined to the launcher's folder
    const char* args[] = {
        launcher.c_str(), "-appDataLocation", tooLong.c_str(), "-input",       input.c_str(),   "-log",
        logPath.c_str(),  "-appDataLocation", tooLong.c_str(), "-managerArgs", tooLong.c_str(), "b"};
    EXPECT_EQ(runLauncher(s, log, p, 12, args), 0);
    const std::string written = readFile(logPath);
    std::remove(logPath.c_str());
    const std::string early =
        "iniInstallerArgs refused: more than 255 entries\n"
        "argAppDataLocation refused: longer than 255 characters\n"
        "argManagerArgs refused: an entry longer than 255 characters\n";
    // Refusals from before the log opened follow the information dump.
    const std::string joined =
        "inputFile refused: longer than 255 characters, or beyond 255 components of up to "
        "255 characters\n";
    EXPECT_NE(written.find("argAppDataLocation: ()\nargManagerArgs[0]: (b)\n" + early + joined + "\nMode\n"),
              std::string::npos);
    EXPECT_NE(written.find("inputFile: ()\n"), std::string::npos);
    for (const char* field : {"iniInstallerArgs", "argAppDataLocation", "inputFile"})
        EXPECT_EQ(written.find(field + std::string(" refused"), written.find(field + std::string(" refused")) + 1),
                  std::string::npos)
            << field;
    ASSERT_EQ(p.starts.size(), 1u);
    EXPECT_EQ(p.starts[0].commandLine, "\"C:\\Q\\bin\\agent.exe\" b");
}

TEST_F(Driver, AgentNotCreatableIsMinusOneWithoutBox) {
    installAgent("7.0");
    p.processesCreatable = false;
    EXPECT_EQ(run(), -1);
    EXPECT_EQ(run({"-wait"}), -1);
    EXPECT_TRUE(p.boxes.empty());
}

TEST_F(Driver, AgentEndingWith23IsStartedAgainWaiting) {
    installAgent("7.0");
    int runs = 0;
    p.onRun = [&runs](const Start&) -> long { return ++runs < 4 ? 23 : 9; };
    EXPECT_EQ(run({"-wait"}), 9);
    EXPECT_EQ(p.starts.size(), 4u);

    // Without waiting the launcher has ended with 0 before any restart.
    FakePlatform fp;
    fp.files = p.files;
    fp.registry = p.registry;
    LauncherSettings ls;
    LogFile lslog;
    const char* args[] = {"C:\\img\\stelvo.exe"};
    EXPECT_EQ(runLauncher(ls, lslog, fp, 1, args), 0);
    EXPECT_EQ(fp.starts.size(), 1u);
}

TEST_F(Driver, SilentRunShowsNoBoxButKeepsTheExitCode) {
    p.files["C:\\img\\stelvo.ini"] = "[MANAGER]\nVERSION=7.0\n[COMMON]\nSILENT=Yes\n";
    EXPECT_EQ(run(), 1);
    EXPECT_TRUE(p.boxes.empty());
}

TEST_F(Driver, UninstallModeWithAnAcceptableAgentStartsIt) {
    p.files["C:\\img\\stelvo.ini"] = std::string(kIni) + "MODE=UNINSTALL\n";
    installAgent("8.0");
    EXPECT_EQ(run(), 0);
    EXPECT_EQ(p.starts.size(), 1u);
}

TEST_F(Driver, LogFileHoldsEverySectionInOrder) {
    // The end-to-end test's run over the example image, here with an installer
    // that asks for a restart.
    const ExampleRun example{"C:\\img\\", ::testing::TempDir() + "stelvo_driver_test.log",
                             "C:\\Program Files\\Quillmont\\", 3010};
    const std::string settings = exampleSettings();
    ASSERT_FALSE(settings.empty()) << "cannot read " << STELVO_EXAMPLE_INI;
    p.admin = true;
    p.files["C:\\img\\stelvo.ini"] = settings;
    p.files["C:\\img\\quillmont-agent.msi"] = "";
    p.files[example.agentDir + "QuillmontAgent.exe"] = "";
    p.onRun = [this, &example](const Start& start) -> long {
        if (start.program.find("msiexec") == std::string::npos) return 0;
        p.registry[{RegistryRoot::LocalMachine, "Software\\Mirravon Example\\Quillmont"}] = {
            {"location", example.agentDir}, {"version", "7.1.0"}};
        return example.installerCode;
    };
    std::remove(example.logPath.c_str());
    EXPECT_EQ(run({"-log", example.logPath.c_str(), "-wait"}), 0);
    EXPECT_FALSE(log.isOpen());  // closed before the agent starts
    std::string expected;
    for (const std::string& line : exampleRunLog(example)) expected += line + "\n";
    EXPECT_EQ(readFile(example.logPath), expected);
    EXPECT_EQ(std::remove(example.logPath.c_str()), 0);
}

TEST_F(Driver, UnopenableLogFileLeavesTheRunUnchanged) {
    installAgent("7.0");
    EXPECT_EQ(run({"-log", "/nonexistent-folder/x/y.log"}), 0);
    EXPECT_EQ(p.starts.size(), 1u);
}

// The release's example settings file names only placeholders the launcher expands.
TEST(ExampleSettings, EveryPlaceholderItNamesIsOneTheLauncherExpands) {
    const std::string text = sourceFile(STELVO_EXAMPLE_SETTINGS);
    ASSERT_FALSE(text.empty()) << "cannot read " << STELVO_EXAMPLE_SETTINGS;
    FakePlatform p;
    LauncherSettings s;
    s.launcherDir.assign("C:\\img\\");
    int named = 0;
    for (std::size_t open = text.find('<'); open != std::string::npos; open = text.find('<', open + 1)) {
        const std::size_t close = text.find_first_of(">\n", open);
        ASSERT_TRUE(close != std::string::npos && text[close] == '>') << text.substr(open, 40);
        const std::string placeholder = text.substr(open, close - open + 1);
        EXPECT_EQ(expandFolderPlaceholder(s, p, placeholder).find('<'), std::string::npos) << placeholder;
        ++named;
    }
    EXPECT_GT(named, 0);
}
