// stelvo.exe as a black box under Wine: real processes, a real Windows
// Installer package, stand-in setup and agent programs that record their
// command lines, and a watcher that reads and closes the launcher's boxes.
#include "box_watcher.h"
#include "example_run_log.h"
#include "mirravon/ansi_text.h"
#include "mirravon/unique_owner.h"
#include "mirravon_test/caller.h"
#include "mirravon_test/child_process.h"
#include "mirravon_test/scratch_dir.h"
#include "mirravon_test/scratch_key.h"
#include "mirravon_test/test_main.h"
#include "mirravon_test/to_utf8.h"
#include "mirravon_test/win32_test_support.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

using mirravon_test::Caller;
using mirravon_test::CallerTrace;
using mirravon_test::ChildProcess;
using mirravon_test::toUtf8;
using stelvo_e2e::BoxWatcher;
using stelvo_e2e::IconKind;
using stelvo_e2e::SeenBox;

namespace {

std::string g_stelvo, g_standin, g_msi, g_msi64;

const wchar_t* const kMsiKey = L"Software\\Mirravon Example\\Quillmont";

void writeFile(const std::string& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary);
    out << text;
}

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream content;
    content << in.rdbuf();
    return content.str();
}

std::vector<std::string> readLines(const std::string& path) {
    std::ifstream in(path);
    std::vector<std::string> lines;
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

// An ANSI path as the UTF-16 text a registry value holds.
std::wstring wide(const std::string& ansi) { return mirravon::WideFromAnsi(ansi.data(), ansi.size()).value_or(L""); }

// Places a stand-in program at `path` with its script beside it.
void placeStandin(const std::string& path, const std::string& script, Caller where = {}) {
    const CallerTrace trace(where);
    ::CreateDirectoryA(path.substr(0, path.rfind('\\')).c_str(), nullptr);
    ASSERT_TRUE(::CopyFileA(g_standin.c_str(), path.c_str(), FALSE)) << path;
    writeFile(path.substr(0, path.rfind('.')) + ".cfg", script);
}

struct Outcome {
    DWORD exitCode = 0;
    std::vector<SeenBox> boxes;
};

// Runs the program file `program` with the command line (the program name the
// launcher sees first) in `currentDir`, presses OK on every box, and fails the
// test if the run does not end within the bound.
Outcome runProgram(const std::string& program, const std::string& commandLine, const std::string& currentDir,
                   Caller where = {}) {
    const CallerTrace trace(where);
    Outcome outcome;
    const ChildProcess launcher(commandLine, program, currentDir);
    if (!launcher.started()) {
        ADD_FAILURE() << "cannot start the launcher: " << launcher.startError();
        return outcome;
    }
    BoxWatcher watcher(launcher.id());
    if (!launcher.wait(180000)) {
        ADD_FAILURE() << "the launcher did not end: " << commandLine;
        launcher.terminate(99);
    }
    outcome.boxes = watcher.stop();
    outcome.exitCode = launcher.exitCode();
    return outcome;
}

// An install image of its own for each scenario: the launcher and its settings
// file, in a scratch folder.
class Image {
    mirravon_test::ScratchDir m_folder;  // before `dir`, which is made from it

public:
    Image(const wchar_t* name, const std::string& ini)
        : m_folder(std::wstring(L"stelvo-e2e-") + name), dir(m_folder.ansiPath() + "\\") {
        ::CopyFileA(g_stelvo.c_str(), (dir + "stelvo.exe").c_str(), FALSE);
        if (!ini.empty()) writeFile(dir + "stelvo.ini", ini);
    }

    // Runs the launcher with the arguments, presses OK on every box, and
    // fails the test if the run does not end within the bound.
    Outcome run(const std::string& args, Caller where = {}) const {
        return runAs("\"" + dir + "stelvo.exe\"", dir, args, where);
    }

    // The same with the program name the launcher sees and its current folder chosen.
    Outcome runAs(const std::string& programName, const std::string& currentDir, const std::string& args,
                  Caller where = {}) const {
        return runProgram(dir + "stelvo.exe", programName + " " + args, currentDir, where);
    }

    const std::string dir;  // with its trailing backslash
};

void expectBox(const Outcome& o, const std::string& title, const std::string& text, IconKind icon, Caller where = {}) {
    const CallerTrace trace(where);
    ASSERT_EQ(o.boxes.size(), 1u);
    EXPECT_EQ(toUtf8(o.boxes[0].title), title);
    EXPECT_EQ(toUtf8(o.boxes[0].text), text);
    EXPECT_EQ(o.boxes[0].icon, icon);
}

// The example image with the package `msi`, run twice with "-log LOG -wait":
// the real Windows Installer (from the system folder, not the one planted
// beside the launcher) installs the sample agent into `agentDir`, its values
// into the registry view `view`; the agent ends with 23 twice and is started
// again each time; a second run finds the agent and skips the install. The log
// is compared line by line.
void expectInstallThenSecondRunSkipsIt(const std::string& msi, const std::string& agentDir, mirravon::RegistryView view,
                                       Caller where = {}) {
    const CallerTrace trace(where);
    // The package is installed for real: an earlier run that stopped half-way
    // may have left it installed, and this run takes it away again at its end.
    const auto removeAgent = [&] { ChildProcess("msiexec.exe /x \"" + msi + "\" /q").wait(180000); };
    removeAgent();
    const mirravon_test::ScratchKey agentKey(HKEY_LOCAL_MACHINE, kMsiKey, view);
    const mirravon_test::ScratchKey defaultViewKey(HKEY_LOCAL_MACHINE, kMsiKey);
    const auto removeAgentAtEnd = mirravon::scope_exit(removeAgent);
    Image image(L"msi", readFile(g_msi.substr(0, g_msi.rfind('\\') + 1) + "stelvo.ini"));
    ASSERT_TRUE(::CopyFileA(msi.c_str(), (image.dir + "quillmont-agent.msi").c_str(), FALSE));
    ::CreateDirectoryA(agentDir.c_str(), nullptr);
    ::DeleteFileA((agentDir + "QuillmontAgent.exe.record").c_str());
    writeFile(agentDir + "QuillmontAgent.cfg", "restarts=2\ncode=5\n");

    // An msiexec.exe planted beside the launcher (its current directory) must not be run.
    placeStandin(image.dir + "msiexec.exe", "record=" + image.dir + "planted.record\ncode=232\n");

    const std::string log = image.dir + "run.log";
    const Outcome first = image.run("-log \"" + log + "\" -wait");
    EXPECT_EQ(::GetFileAttributesA((image.dir + "planted.record").c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(first.exitCode, 5u);
    EXPECT_TRUE(first.boxes.empty());
    EXPECT_EQ(agentKey.text(L"installedWith"), "STANDALONE=false APPDATALOCATION=C:\\users\\Public\\Quillmont data\\");
    if (view != mirravon::RegistryView::Default) {
        EXPECT_EQ(defaultViewKey.text(L"version"), "<absent>") << "the values are in the other view only";
    }
    const std::string agentLine =
        "\"" + agentDir + "QuillmontAgent.exe\" -dataLocation \"C:\\users\\Public\\Quillmont data\"";
    EXPECT_EQ(readLines(agentDir + "QuillmontAgent.exe.record"),
              (std::vector<std::string>{agentLine, agentLine, agentLine}));

    const std::vector<std::string> expected = stelvo_test::exampleRunLog({image.dir, log, agentDir, 0});
    const std::vector<std::string> got = readLines(log);
    for (std::size_t i = 0; i < std::max(got.size(), expected.size()); ++i) {
        EXPECT_EQ(i < got.size() ? got[i] : "<missing>", i < expected.size() ? expected[i] : "<extra>")
            << "log line " << i + 1;
    }

    const Outcome second = image.run("-log \"" + log + "\" -wait");
    EXPECT_EQ(second.exitCode, 5u);
    EXPECT_EQ(readLines(agentDir + "QuillmontAgent.exe.record").size(), 4u);
    // The log is a text file: CRLF line ends on Windows.
    const std::string secondLog = readFile(log);
    EXPECT_EQ(secondLog.find("Command to launch agent install"), std::string::npos);
    EXPECT_NE(secondLog.find("refVersion: (7.1.0)\r\nrefLocation: (" + agentDir + ")\r\n"), std::string::npos);
}

// The folder "Quillmont" below the program folder that the environment
// variable `name` names, with a trailing backslash.
std::string agentFolderIn(const char* name) {
    char folder[MAX_PATH] = {};
    ::ExpandEnvironmentStringsA((std::string("%") + name + "%\\Quillmont\\").c_str(), folder, MAX_PATH);
    return folder;
}

}  // namespace

TEST(EndToEnd, MsiInstallThenAgentRestartsThenSecondRunSkipsTheInstall) {
    expectInstallThenSecondRunSkipsIt(g_msi, agentFolderIn("ProgramFiles"), mirravon::RegistryView::Default);
}

// On a 64-bit Windows the x64 package puts a 64-bit agent into the 64-bit
// program folder and its values into the 64-bit view only, which the launcher
// reads when the default view has none: found after the install, and again by
// the second run.
TEST(EndToEnd, X64PackageInstallsA64BitAgentThatTheSecondRunFinds) {
    MIRRAVON_SKIP_UNLESS_WOW64();
    expectInstallThenSecondRunSkipsIt(g_msi64, agentFolderIn("ProgramW6432"), mirravon::RegistryView::Bits64);
}

// An old agent's folder alone in the default (32-bit) view and a newer agent in
// the 64-bit view: the default view's key answers for both values, so the old
// agent is not taken for the newer one; without that key the 64-bit view
// answers for both.
TEST(EndToEnd, AgentKeyIsReadInOneViewForBothValues) {
    MIRRAVON_SKIP_UNLESS_WOW64();
    const wchar_t* const path = L"Software\\Mirravon Tests\\stelvo-views";
    const mirravon_test::ScratchKey inDefault(HKEY_LOCAL_MACHINE, path);
    const mirravon_test::ScratchKey in64(HKEY_LOCAL_MACHINE, path, mirravon::RegistryView::Bits64);
    Image image(L"views", "[MANAGER]\nLOCATION_KEY=" + toUtf8(path) +
                              "\nVERSION=9.9\nLAUNCHER=agent.exe\n[COMMON]\nISADMIN=true\n");
    for (const char* folder : {"old", "new"})
        placeStandin(image.dir + folder + "\\agent.exe", "record=" + image.dir + folder + ".record\ncode=4\n");
    inDefault.setString(L"location", wide(image.dir + "old"));
    in64.setString(L"location", wide(image.dir + "new"));
    in64.setString(L"version", L"9.9");

    const Outcome old = image.run("-wait");
    EXPECT_EQ(old.exitCode, 1u);
    expectBox(old, "Error", "Quillmont version 9.9 or later cannot be found.", IconKind::Error);
    EXPECT_TRUE(readLines(image.dir + "old.record").empty());

    inDefault.remove();
    EXPECT_EQ(image.run("-wait").exitCode, 4u);
    EXPECT_EQ(readLines(image.dir + "new.record").size(), 1u);
}

// A setup program gets "/S" and one "/v" element; it writes the reference file
// that a folder placeholder names and ends with 3010 (success, restart needed).
TEST(EndToEnd, SilentSetupProgramWithReferenceFilePlaceholder) {
    Image image(L"setup",
                "[INSTALLER]\nLOCATION=setup\\setup.exe\nARG=INSTALLDIR=C:\\My Agent\n"
                "[MANAGER]\nLOCATION_FILE=<CURRDIR>\\agent.properties\nVERSION=2.0\nLAUNCHER=agent.exe\n"
                "LAUNCHER_SILENT=agentc.exe\nINPUT_FILE=input file.xml\n");
    const std::string d = image.dir;
    placeStandin(d + "setup\\setup.exe", "record=" + d + "setup.record\nref_file=" + d +
                                             "agent.properties\nlocation=" + d + "agent\nversion=2.1\ncode=3010\n");
    placeStandin(d + "agent\\agentc.exe", "record=" + d + "agent.record\ncode=7\n");
    const Outcome o = image.run("-silent -appDataLocation \"D:\\x y\" -managerArgs one \"two words\"");
    EXPECT_EQ(o.exitCode, 7u);
    EXPECT_TRUE(o.boxes.empty());
    EXPECT_EQ(readLines(d + "setup.record"),
              (std::vector<std::string>{"\"" + d +
                                        "setup\\setup.exe\" /S /v\"/qn INSTALLDIR=\\\"C:\\My Agent\\\" "
                                        "STANDALONE=false APPDATALOCATION=\\\"D:\\x y\\\"\""}));
    EXPECT_EQ(readLines(d + "agent.record"),
              (std::vector<std::string>{"\"" + d + "agent\\agentc.exe\" -silent -nosplash -input \"" + d +
                                        "input file.xml\" -dataLocation \"D:\\x y\" one \"two words\""}));
}

// The installer's codes: failure with a box, cancellations and a started restart quietly.
TEST(EndToEnd, InstallerExitCodes) {
    struct Case {
        long code;
        DWORD exit;
        bool box;
    };
    for (const Case& c :
         {Case{1603, 1603, true}, Case{1602, 1602, false}, Case{232, 232, false}, Case{1641, 1641, false}}) {
        Image image(L"codes",
                    "[INSTALLER]\nLOCATION=setup.exe\n[MANAGER]\nLOCATION_FILE=<CURRDIR>agent.properties\n"
                    "VERSION=2.0\nLAUNCHER=agent.exe\n");
        placeStandin(image.dir + "setup.exe", "record=" + image.dir + "setup.record\nref_file=" + image.dir +
                                                  "agent.properties\nlocation=" + image.dir +
                                                  "\nversion=2.0\ncode=" + std::to_string(c.code) + "\n");
        placeStandin(image.dir + "agent.exe", "record=" + image.dir + "agent.record\n");
        const Outcome o = image.run("");
        EXPECT_EQ(o.exitCode, c.exit) << c.code;
        if (c.box) {
            expectBox(o, "Error",
                      "The installer encountered an error when installing Quillmont.  Installation has discontinued. "
                      "\nReturn Code=1603",
                      IconKind::Error);
        } else {
            EXPECT_TRUE(o.boxes.empty()) << c.code;
        }
        EXPECT_EQ(readLines(image.dir + "setup.record").size(), 1u);
        EXPECT_TRUE(readLines(image.dir + "agent.record").empty()) << c.code;
    }
}

// Runs that end before any program starts, each with its box (or none when silent).
TEST(EndToEnd, BoxesOfTheEarlyEnds) {
    Image none(L"none", "[MANAGER]\nVERSION=9.9\n");
    expectBox(none.run(""), "Error", "Quillmont version 9.9 or later cannot be found.", IconKind::Error);
    const Outcome silent = none.run("-silent");
    EXPECT_EQ(silent.exitCode, 1u);
    EXPECT_TRUE(silent.boxes.empty());

    Image extension(L"extension", "[MANAGER]\nVERSION=9.9\nMODE=EXTENSION\n");
    const Outcome e = extension.run("");
    EXPECT_EQ(e.exitCode, 1u);
    ASSERT_EQ(e.boxes.size(), 1u);
    EXPECT_EQ(toUtf8(e.boxes[0].text).rfind("Quillmont version 9.9 or later cannot be found.  Check the product", 0),
              0u);

    // A missing package, and a folder where the setup program should be: neither is an installer.
    Image msi(L"nomsi", "[INSTALLER]\nLOCATION=missing.msi\n[MANAGER]\nVERSION=1\n");
    Image folder(L"setupfolder", "[INSTALLER]\nLOCATION=setup.exe\n[MANAGER]\nVERSION=1\n");
    ::CreateDirectoryA((folder.dir + "setup.exe").c_str(), nullptr);
    for (const auto& [image, installer] : {std::pair{&msi, "missing.msi"}, std::pair{&folder, "setup.exe"}}) {
        const Outcome o = image->run("");
        EXPECT_EQ(o.exitCode, 1u) << installer;
        expectBox(o, "Error",
                  "The installer for Quillmont cannot be found.  \nInstaller Location=" + image->dir + installer,
                  IconKind::Error);
    }

    Image noIni(L"noini", "");
    const Outcome n = noIni.run("-silent");
    EXPECT_EQ(n.exitCode, 1u);
    expectBox(n, "", "Cannot open INI file: " + noIni.dir + "stelvo.ini\n", IconKind::Error);

    for (const char* option : {"-help", "-h"}) {
        const Outcome help = none.run(std::string("-wait ") + option);
        EXPECT_EQ(help.exitCode, 0u) << option;
        expectBox(
            help, "Usage:",
            "stelvo [-h] [-input INPUT_FILE] [-silent] [-installerArgs arg1 arg2...] [-managerArgs arg1 arg2 ...]",
            IconKind::Information);
    }
}

// Started by its bare name from a folder that holds another stelvo.exe and
// stelvo.ini, the launcher still reads the settings file beside itself. From a
// folder that the ANSI code page cannot hold (Cyrillic here), or at a path
// longer than 255 characters, it reads that file through the path's short
// form; a launcher whose own file name the code page cannot hold reads none
// (box 1 for ".ini").
TEST(EndToEnd, OwnPathComesFromTheSystemNotFromAPlantedCopy) {
    Image image(L"ownpath", "[MANAGER]\nVERSION=9.9\n");
    const std::string planted = image.dir + "planted\\";
    ::CreateDirectoryA(planted.c_str(), nullptr);
    ASSERT_TRUE(::CopyFileA(g_stelvo.c_str(), (planted + "stelvo.exe").c_str(), FALSE));
    writeFile(planted + "stelvo.ini", "[MANAGER]\nVERSION=6.6\n");
    const Outcome o = image.runAs("stelvo", planted, "");
    EXPECT_EQ(o.exitCode, 1u);
    expectBox(o, "Error", "Quillmont version 9.9 or later cannot be found.", IconKind::Error);

    // A stelvo.exe whose path has 257 characters, in folders of up to 60.
    std::string deep = image.dir;
    while (deep.size() + 61 < 247) deep += std::string(60, 'd') + "\\";
    deep += std::string(247 - 1 - deep.size(), 'e') + "\\";
    ASSERT_EQ((deep + "stelvo.exe").size(), 257u);
    // The parent folders first: each is made only once the one above it exists.
    for (std::size_t at = image.dir.size(); at < deep.size(); at = deep.find('\\', at) + 1)
        ::CreateDirectoryA(deep.substr(0, deep.find('\\', at)).c_str(), nullptr);
    const std::wstring cyrillic = wide(image.dir) + L"\u041f\u0430\u043f\u043a\u0430";  // "Folder"
    ::CreateDirectoryW(cyrillic.c_str(), nullptr);
    const std::pair<std::wstring, bool> programs[] = {
        {wide(deep + "stelvo.exe"), true},
        {cyrillic + L"\\stelvo.exe", true},
        {wide(image.dir) + L"\x4E2D.exe", false},
    };
    for (const auto& [program, found] : programs) {
        ASSERT_TRUE(::CopyFileW(wide(g_stelvo).c_str(), program.c_str(), FALSE)) << toUtf8(program);
        const std::wstring ini = program.substr(0, program.size() - 3) + L"ini";
        ::CopyFileW(wide(image.dir + "stelvo.ini").c_str(), ini.c_str(), FALSE);
        // The test starts programs by an ANSI name: the short path, which the code page holds.
        wchar_t shortPath[MAX_PATH] = {};
        ASSERT_NE(::GetShortPathNameW(program.c_str(), shortPath, MAX_PATH), 0u) << toUtf8(program);
        const Outcome run =
            runProgram(mirravon::AnsiFromWide(shortPath, ::wcslen(shortPath)).value_or(""), "stelvo", planted);
        EXPECT_EQ(run.exitCode, 1u) << toUtf8(program);
        if (found) expectBox(run, "Error", "Quillmont version 9.9 or later cannot be found.", IconKind::Error);
        else expectBox(run, "", "Cannot open INI file: .ini\n", IconKind::Error);
    }
}

// A settings file of 600 MB (sparse: a header, zeros, a key at the very end) is
// read through, and one that Notepad saved as "Unicode" (UTF-16LE) is read in
// the ANSI code page; reference files that are devices count as unopenable.
TEST(EndToEnd, SettingsAndReferenceFilesOfAnySizeOrKind) {
    Image big(L"bigini", "");
    ASSERT_TRUE(mirravon_test::WriteSparseFile(big.dir + "stelvo.ini", "[MANAGER]\n", 600LL << 20, "\nVERSION=9.9\n"));
    const Outcome o = big.run("");
    EXPECT_EQ(o.exitCode, 1u);
    expectBox(o, "Error", "Quillmont version 9.9 or later cannot be found.", IconKind::Error);

    Image unicode(L"utf16ini", "");
    const std::wstring text = L"\xFEFF[MANAGER]\r\nVERSION=9.9\u00e9\r\n";
    writeFile(unicode.dir + "stelvo.ini", std::string(reinterpret_cast<const char*>(text.data()), text.size() * 2));
    expectBox(unicode.run(""), "Error", "Quillmont version 9.9\xc3\xa9 or later cannot be found.", IconKind::Error);

    for (const std::string device : {"Z:\\dev\\zero", "AUX"}) {
        Image ref(L"deviceref", "[MANAGER]\nLOCATION_FILE=" + device + "\nVERSION=9.9\n");
        const Outcome r = ref.run("");
        EXPECT_EQ(r.exitCode, 1u) << device;
        expectBox(r, "Error", "Quillmont version 9.9 or later cannot be found.", IconKind::Error);
    }
}

// The log is opened non-inheritable: neither the installer (started while the
// log is open) nor the agent holds a handle to it (else they end with 32).
TEST(EndToEnd, TheInstallerAndTheAgentDoNotHoldTheLog) {
    Image image(L"loghandle",
                "[INSTALLER]\nLOCATION=setup.exe\n[MANAGER]\nLOCATION_FILE=<CURRDIR>agent.properties\n"
                "VERSION=3.0\nLAUNCHER=agent.exe\n");
    const std::string log = image.dir + "run.log";
    placeStandin(image.dir + "setup.exe", "not_holding=" + log + "\nref_file=" + image.dir +
                                              "agent.properties\nlocation=" + image.dir + "\nversion=3.0\n");
    placeStandin(image.dir + "agent.exe", "not_holding=" + log + "\nrecord=" + image.dir + "agent.record\n");
    const Outcome o = image.run("-log \"" + log + "\" -wait");
    EXPECT_EQ(o.exitCode, 0u);
    EXPECT_TRUE(o.boxes.empty());
    EXPECT_EQ(readLines(image.dir + "agent.record").size(), 1u);
}

// The agent's program: missing or a folder (the version box), or not a program at all (-1, no box).
TEST(EndToEnd, AgentProgramMissingOrNotCreatable) {
    Image image(L"agentfail", "");
    writeFile(image.dir + "agent.properties", "location=" + image.dir + "\nversion=3.0\n");
    writeFile(image.dir + "broken.exe", "not a program");
    writeFile(image.dir + "stelvo.ini",
              "[MANAGER]\nLOCATION_FILE=" + image.dir + "agent.properties\nVERSION=3.0\nLAUNCHER=broken.exe\n");
    const Outcome broken = image.run("-wait");
    EXPECT_EQ(broken.exitCode, 0xFFFFFFFFu);
    EXPECT_TRUE(broken.boxes.empty());

    writeFile(image.dir + "stelvo.ini",
              "[MANAGER]\nLOCATION_FILE=" + image.dir + "agent.properties\nVERSION=3.0\nLAUNCHER=missing.exe\n");
    const Outcome missing = image.run("");
    EXPECT_EQ(missing.exitCode, 1u);
    expectBox(missing, "Error", "Quillmont version 3.0 or later cannot be found.", IconKind::Error);

    // A folder where the program should be counts as missing, not as a start that fails.
    ::CreateDirectoryA((image.dir + "folder.exe").c_str(), nullptr);
    writeFile(image.dir + "stelvo.ini",
              "[MANAGER]\nLOCATION_FILE=" + image.dir + "agent.properties\nVERSION=3.0\nLAUNCHER=folder.exe\n");
    const Outcome folder = image.run("-wait");
    EXPECT_EQ(folder.exitCode, 1u);
    expectBox(folder, "Error", "Quillmont version 3.0 or later cannot be found.", IconKind::Error);
}

// An installer that succeeds but leaves an agent that is still too old.
TEST(EndToEnd, AgentStillTooOldAfterInstall) {
    Image image(L"tooold",
                "[INSTALLER]\nLOCATION=setup.exe\n[MANAGER]\nLOCATION_FILE=<CURRDIR>agent.properties\n"
                "VERSION=2.0\nLAUNCHER=agent.exe\n");
    placeStandin(image.dir + "setup.exe",
                 "ref_file=" + image.dir + "agent.properties\nlocation=" + image.dir + "\nversion=1.9.9\n");
    const Outcome o = image.run("");
    EXPECT_EQ(o.exitCode, 1u);
    expectBox(o, "Error", "Quillmont version 2.0 or later cannot be found.", IconKind::Error);
}

// Run with LC_ALL=de_DE.UTF-8: the boxes speak the user's language.
TEST(EndToEndGerman, BoxesInTheUsersLanguage) {
    ASSERT_EQ(::GetUserDefaultLangID(), 0x0407) << "run with LC_ALL=de_DE.UTF-8";
    Image image(L"german", "[MANAGER]\nVERSION=9.9\n");
    const Outcome o = image.run("");
    EXPECT_EQ(o.exitCode, 1u);
    expectBox(o, "Fehler", "Quillmont Version 9.9 oder h\xc3\xb6her wurde nicht gefunden.", IconKind::Error);
}

// Run with LC_ALL=en_GB.UTF-8, de_AT.UTF-8 or nl_NL.UTF-8: a language without a
// table of its own takes its primary language's table, else English.
TEST(EndToEndLanguage, BoxesFallBackToThePrimaryLanguageThenEnglish) {
    const LANGID user = ::GetUserDefaultLangID();
    ASSERT_TRUE(user == 0x0809 || user == 0x0C07 || user == 0x0413)
        << std::hex << user << ": run with LC_ALL=en_GB.UTF-8, de_AT.UTF-8 or nl_NL.UTF-8";
    const bool german = user == 0x0C07;
    Image image(L"language", "[MANAGER]\nVERSION=9.9\n");
    expectBox(image.run(""), german ? "Fehler" : "Error",
              german ? "Quillmont Version 9.9 oder h\xc3\xb6her wurde nicht gefunden."
                     : "Quillmont version 9.9 or later cannot be found.",
              IconKind::Error);
    const Outcome usage = image.run("-h");
    ASSERT_EQ(usage.boxes.size(), 1u);
    EXPECT_EQ(toUtf8(usage.boxes[0].title), german ? "Aufruf:" : "Usage:");
    EXPECT_EQ(toUtf8(usage.boxes[0].text).rfind("stelvo [-h]", 0), 0u);
}

int main(int argc, char** argv) {
    return mirravon_test::RunTestsWithPaths(argc, argv, "STELVO_EXE STANDIN_EXE AGENT_MSI AGENT_MSI_X64",
                                            {&g_stelvo, &g_standin, &g_msi, &g_msi64});
}
