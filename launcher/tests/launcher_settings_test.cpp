// The settings file's grammar, the command line's states and the resolution of the run state.
#include "stelvo/launcher_settings.h"
#include "fake_platform.h"
#include "stelvo/launcher_options.h"
#include "stelvo/property_table.h"
#include "stelvo/text_lines.h"

#include <gtest/gtest.h>

#include <vector>

using namespace stelvo;
using stelvo_test::FakePlatform;

namespace {

LauncherSettings parsed(const std::string& text) {
    LauncherSettings s;
    LogFile log;
    FakePlatform p;
    parseSettingsText(s, log, p, text);
    return s;
}

bool parseArgs(LauncherSettings& s, FakePlatform& p, std::vector<const char*> args) {
    args.insert(args.begin(), "stelvo.exe");
    LogFile log;
    return parseCommandLine(s, log, p, static_cast<int>(args.size()), args.data());
}

}  // namespace

TEST(SettingsFile, KeysAreReadPerSectionExactlyAsWritten) {
    const LauncherSettings s = parsed(
        "[INSTALLER]\nLOCATION=agent.msi\nARG=A=1\n"
        "[MANAGER]\nLOCATION_KEY=Software\\Q\nLOCATION_FILE=<APPDATA>\\q.properties\nVERSION=7.0\n"
        "LAUNCHER=bin\\agent.exe\nLAUNCHER_SILENT=bin\\agentc.exe\nINPUT_FILE=in.xml\nMODE=EXTENSION\n"
        "[COMMON]\nSILENT=no\nISADMIN=maybe\nAPPDATALOCATION=D:\\data\n");
    EXPECT_EQ(s.iniInstallerLocation.str(), "agent.msi");
    ASSERT_EQ(s.iniInstallerArgs.count(), 1u);
    EXPECT_EQ(s.iniInstallerArgs[0], "A=1");
    EXPECT_EQ(s.iniManagerLocationKey.str(), "Software\\Q");
    EXPECT_EQ(s.iniManagerLocationFile.str(), "<APPDATA>\\q.properties");
    EXPECT_EQ(s.iniManagerVersion.str(), "7.0");
    EXPECT_EQ(s.iniManagerLauncher.str(), "bin\\agent.exe");
    EXPECT_EQ(s.iniManagerLauncherSilent.str(), "bin\\agentc.exe");
    EXPECT_EQ(s.iniManagerInput.str(), "in.xml");
    EXPECT_EQ(s.runMode, EXTENSION);
    EXPECT_EQ(s.iniSilent.str(), "no");
    EXPECT_EQ(s.iniIsAdmin.str(), "maybe");
    EXPECT_EQ(s.iniAppDataLocation.str(), "D:\\data");
}

TEST(SettingsFile, BlanksAroundTheEqualsSignBelongToKeyAndValue) {
    const LauncherSettings s = parsed("[MANAGER]\nVERSION =1.0\nLAUNCHER= a.exe\n");
    EXPECT_TRUE(s.iniManagerVersion.empty());
    EXPECT_EQ(s.iniManagerLauncher.str(), " a.exe");
}

TEST(SettingsFile, SectionHeadersAreTrimmedOfBlanksOnlyAndCaseSensitive) {
    LauncherSettings s = parsed("  [MANAGER]  \nVERSION=1\n[manager]\nLAUNCHER=x\n[MANAGER]\nINPUT_FILE=i\n");
    EXPECT_EQ(s.iniManagerVersion.str(), "1");
    EXPECT_TRUE(s.iniManagerLauncher.empty());  // hidden by the unknown section
    EXPECT_EQ(s.iniManagerInput.str(), "i");
    s = parsed("\t[MANAGER]\nVERSION=1\n");
    EXPECT_TRUE(s.iniManagerVersion.empty());
}

TEST(SettingsFile, CommentsKeysOutsideSectionsAndMalformedLinesAreSkipped) {
    const LauncherSettings s =
        parsed("VERSION=0\n[MANAGER]\n;VERSION=9\n=VERSION\nVERSION\n\nLAUNCHER=a;b\nUNKNOWN=1\nversion=3\n");
    EXPECT_TRUE(s.iniManagerVersion.empty());
    EXPECT_EQ(s.iniManagerLauncher.str(), "a;b");
}

TEST(SettingsFile, LastSingleValueWinsAndArgLinesAppendInOrder) {
    const LauncherSettings s = parsed("[MANAGER]\nVERSION=1\nVERSION=2\nARG=a\nARG=b\nARG=c\n[INSTALLER]\nARG=x\n");
    EXPECT_EQ(s.iniManagerVersion.str(), "2");
    EXPECT_EQ(s.iniManagerArgs.entries(), (std::vector<std::string>{"a", "b", "c"}));
    EXPECT_EQ(s.iniInstallerArgs.entries(), (std::vector<std::string>{"x"}));
}

TEST(SettingsFile, ModeIsTrimmedButCaseSensitive) {
    EXPECT_EQ(parsed("[MANAGER]\nMODE=  UNINSTALL \n").runMode, UNINSTALL);
    const LauncherSettings s = parsed("[MANAGER]\nMODE=EXTENSION\nMODE=install\n");
    EXPECT_EQ(s.runMode, EXTENSION);
    EXPECT_EQ(s.iniMode.str(), "install");
}

TEST(SettingsFile, CrLfLinesAndLongLinesCutInto254CharacterPieces) {
    const LauncherSettings crlf = parsed("[MANAGER]\r\nVERSION=1.2\r\n");
    EXPECT_EQ(crlf.iniManagerVersion.str(), "1.2");
    // A 300-character LAUNCHER line: the first piece holds 246 characters of the
    // value, the rest becomes a line of its own without "=", which is skipped.
    const std::string value(300 - 9, 'v');
    const LauncherSettings s = parsed("[MANAGER]\nLAUNCHER=" + value + "\nVERSION=3\n");
    EXPECT_EQ(s.iniManagerLauncher.str(), value.substr(0, 254 - 9));
    EXPECT_EQ(s.iniManagerVersion.str(), "3");
    // The remainder is judged as a line: here it sets a key.
    const LauncherSettings split = parsed("[MANAGER]\nX=" + std::string(252, 'x') + "VERSION=4\n");
    EXPECT_EQ(split.iniManagerVersion.str(), "4");
}

TEST(TextLines, PiecesNewlinesAndNulBytes) {
    FakePlatform p;
    const std::string text = std::string("a\nb\r\nc\rd\n\ne") + std::string("\0f\ng", 4);
    TextLines lines(text, p);
    std::vector<std::string> got;
    std::string line;
    while (lines.next(line)) got.push_back(line);
    EXPECT_EQ(got, (std::vector<std::string>{"a", "b", "c\rd", "", "e", "g"}));
    const std::string exactText = std::string(254, 'x') + "\n";
    TextLines exact(exactText, p);
    ASSERT_TRUE(exact.next(line));
    EXPECT_EQ(line.size(), 254u);
    ASSERT_TRUE(exact.next(line));
    EXPECT_EQ(line, "");
    EXPECT_FALSE(exact.next(line));
}

TEST(TextLines, ChunkBoundariesChangeNothingAndALeadingByteOrderMarkIsSkipped) {
    const std::string text = std::string("\xEF\xBB\xBF[MANAGER]\r\nVERSION=1\r\n") + std::string(300, 'x') +
                             std::string("\r\n\r\rA\0B\n\xEF\xBB\xBFlast", 16);
    const auto linesOf = [](TextLines& lines) {
        std::vector<std::string> got;
        std::string line;
        while (lines.next(line)) got.push_back(line);
        return got;
    };
    // Only the first mark is one: the later one is a character (U+FEFF) that the code page does not hold.
    const std::vector<std::string> expected = {"[MANAGER]",          "VERSION=1", std::string(254, 'x'),
                                               std::string(46, 'x'), "\r\rA",     "?last"};
    FakePlatform p;
    LogFile log;
    TextLines whole(text, p);
    EXPECT_EQ(linesOf(whole), expected);
    p.files["C:\\f"] = text;
    for (std::size_t chunk : {1, 2, 3, 253, 255}) {
        p.readChunk = chunk;
        const auto file = openTextLines(p, "C:\\f");
        EXPECT_EQ(linesOf(*file), expected) << chunk;
    }
    TextLines cutMark("\xEF\xBB", p);
    EXPECT_EQ(linesOf(cutMark), (std::vector<std::string>{"\xEF\xBB"}));

    // Both files as Notepad writes them, read through the platform.
    p.readChunk = 2;
    p.files["C:\\stelvo.ini"] = "\xEF\xBB\xBF[MANAGER]\r\nVERSION=7.0\r\n";
    p.files["C:\\ref.properties"] = "\xEF\xBB\xBFlocation=C:\\Q\r\n";
    LauncherSettings s;
    ASSERT_TRUE(readSettingsFile(s, log, p, "C:\\stelvo.ini"));
    EXPECT_EQ(s.iniManagerVersion.str(), "7.0");
    EXPECT_TRUE(readProperty(p, log, "C:\\ref.properties", "location", s.refLocation, "refLocation"));
    EXPECT_EQ(s.refLocation.str(), "C:\\Q");
}

// Notepad's and PowerShell's encodings all give the record the same ANSI
// bytes (here Latin-1): a mark decides, and a file without one is UTF-8 only
// when it holds a non-ASCII sequence; a file of ASCII is read once.
TEST(SettingsFile, EveryEncodingWindowsWritesGivesTheSameRecord) {
    const std::string utf8 =
        "[MANAGER]\r\nVERSION=7.0\r\nARG=caf\xc3\xa9\r\n[COMMON]\r\nAPPDATALOCATION=C:\\Donn\xc3\xa9"
        "es\r\n";
    const std::string ansi =
        "[MANAGER]\r\nVERSION=7.0\r\nARG=caf\xe9\r\n[COMMON]\r\nAPPDATALOCATION=C:\\Donn\xe9"
        "es\r\n";
    const std::pair<std::string, int> files[] = {
        {stelvo_test::utf16File(utf8), 1},
        {stelvo_test::utf16File(utf8, true), 1},
        {"\xEF\xBB\xBF" + utf8, 1},
        {utf8, 2},
        {ansi, 2},
    };
    for (std::size_t chunk : {std::size_t(1), std::size_t(3), std::size_t(-1)}) {
        for (const auto& [content, opens] : files) {
            FakePlatform p;
            LogFile log;
            p.readChunk = chunk;
            p.files["C:\\stelvo.ini"] = content;
            LauncherSettings s;
            ASSERT_TRUE(readSettingsFile(s, log, p, "C:\\stelvo.ini"));
            EXPECT_EQ(s.iniManagerVersion.str(), "7.0") << content;
            EXPECT_EQ(s.iniManagerArgs.entries(), (std::vector<std::string>{"caf\xe9"})) << content;
            EXPECT_EQ(s.iniAppDataLocation.str(),
                      "C:\\Donn\xe9"
                      "es")
                << content;
            EXPECT_EQ(p.opens, opens) << content;
        }
    }
    FakePlatform p;
    LogFile log;
    LauncherSettings s;
    p.files["C:\\stelvo.ini"] = "[MANAGER]\nVERSION=7.0\n";
    ASSERT_TRUE(readSettingsFile(s, log, p, "C:\\stelvo.ini"));
    EXPECT_EQ(p.opens, 1);
}

// A file without a mark is UTF-8 only when all of it is: an ANSI file whose
// first accented letters look like UTF-8 is still read byte for byte when a
// later one, beyond the first chunk, is not.
TEST(SettingsFile, AnAnsiFileIsReadByteForByteUnlessItIsUtf8Throughout) {
    const std::string head = "[MANAGER]\nLAUNCHER=\xc3\xa9.exe\n" + std::string(70000, ';') + "\n";
    for (const bool utf8 : {false, true}) {
        FakePlatform p;
        LogFile log;
        p.files["C:\\stelvo.ini"] = head + (utf8 ? "VERSION=J\xc3\xbcrgen\n" : "VERSION=J\xfcrgen\n");
        LauncherSettings s;
        ASSERT_TRUE(readSettingsFile(s, log, p, "C:\\stelvo.ini"));
        EXPECT_EQ(s.iniManagerLauncher.str(), utf8 ? "\xe9.exe" : "\xc3\xa9.exe");
        EXPECT_EQ(s.iniManagerVersion.str(), "J\xfcrgen");
    }
}

// A value with a character the code page cannot hold is refused whole and
// logged, as one too wide for its field (the field keeps what it held);
// comments, unknown keys and what follows a NUL are not values.
TEST(SettingsFile, AValueTheCodePageCannotHoldIsRefusedAndLogged) {
    const std::string dom = "\xd0\x94\xd0\xbe\xd0\xbc";  // Дом
    FakePlatform p;
    LogFile log;
    log.openInMemory();
    p.files["C:\\stelvo.ini"] = ";" + dom + "\n[MANAGER]\nVERSION=7.0\nLAUNCHER=a.exe\nLAUNCHER=" + dom +
                                ".exe\nARG=a\nARG=" + dom + "\nARG=b\nMODE=UNINSTALL\nMODE=" + dom + "\nINPUT_FILE=x" +
                                std::string(1, '\0') + dom + "\n" + dom + "=1\n[" + dom +
                                "]\nLAUNCHER_SILENT=s.exe\n[COMMON]\nAPPDATALOCATION=C:\\" + dom + "\n";
    LauncherSettings s;
    ASSERT_TRUE(readSettingsFile(s, log, p, "C:\\stelvo.ini"));
    EXPECT_EQ(s.iniManagerVersion.str(), "7.0");
    EXPECT_EQ(s.iniManagerLauncher.str(), "a.exe");
    EXPECT_EQ(s.iniManagerArgs.entries(), (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(s.runMode, UNINSTALL);
    EXPECT_EQ(s.iniMode.str(), "UNINSTALL");
    EXPECT_EQ(s.iniManagerInput.str(), "x");
    EXPECT_TRUE(s.iniManagerLauncherSilent.empty());  // an unknown section's key
    EXPECT_TRUE(s.iniAppDataLocation.empty());
    const std::string why = " refused: a character that the ANSI code page cannot hold exactly\n";
    EXPECT_EQ(log.memory(),
              "iniManagerLauncher" + why + "iniManagerArgs" + why + "iniMode" + why + "iniAppDataLocation" + why);
}

// A UTF-16 file with a lone surrogate or an odd byte count, or a UTF-8 one
// with a broken sequence, refuses the value that holds it and reads the rest.
TEST(SettingsFile, ABrokenSequenceRefusesItsValueAndNothingIsReadPastTheEnd) {
    std::string utf16 = stelvo_test::utf16File("[MANAGER]\nVERSION=");
    utf16 += std::string(
        "\x00\xD8"
        "1\x00\n\x00",
        6);  // a high surrogate without its low half, then "1"
    utf16 += stelvo_test::utf16File("LAUNCHER=a.exe\nINPUT_FILE=i").substr(2) + "x";
    std::string big = stelvo_test::utf16File("[MANAGER]\nVERSION=", true) + std::string("\xDC\x00\x00\n", 4);
    big += stelvo_test::utf16File("LAUNCHER=a.exe\n", true).substr(2);
    const std::string utf8 = "\xEF\xBB\xBF[MANAGER]\nVERSION=\xff\nLAUNCHER=a.exe\nINPUT_FILE=\xe2\x82";
    struct Case {
        std::string content;
        const char* why;
        bool input;  // the last line's INPUT_FILE is refused too
    };
    for (const Case& c : {Case{utf16, "a broken UTF-16 sequence", true}, Case{big, "a broken UTF-16 sequence", false},
                          Case{utf8, "a broken UTF-8 sequence", true}}) {
        for (std::size_t chunk : {std::size_t(1), std::size_t(-1)}) {
            FakePlatform p;
            LogFile log;
            log.openInMemory();
            p.readChunk = chunk;
            p.files["C:\\stelvo.ini"] = c.content;
            LauncherSettings s;
            ASSERT_TRUE(readSettingsFile(s, log, p, "C:\\stelvo.ini"));
            EXPECT_TRUE(s.iniManagerVersion.empty()) << c.why;
            EXPECT_EQ(s.iniManagerLauncher.str(), "a.exe") << c.why;
            EXPECT_TRUE(s.iniManagerInput.empty()) << c.why;
            const std::string refusals = "iniManagerVersion refused: " + std::string(c.why) + "\n" +
                                         (c.input ? "iniManagerInput refused: " + std::string(c.why) + "\n" : "");
            EXPECT_EQ(log.memory(), refusals) << c.why << " " << chunk;
        }
    }
}

TEST(SettingsFile, UnreadableFileShowsMessageOneInAnUntitledErrorBoxEvenWhenSilent) {
    FakePlatform p;
    LogFile log;
    LauncherSettings s;
    s.isDialogAllowed = 0;
    EXPECT_FALSE(readSettingsFile(s, log, p, "C:\\x\\stelvo.ini"));
    ASSERT_EQ(p.boxes.size(), 1u);
    EXPECT_EQ(p.boxText(0), "Cannot open INI file: C:\\x\\stelvo.ini\n");
    EXPECT_EQ(p.boxTitle(0), "");
    EXPECT_EQ(p.boxes[0].style, 0x10u);
}

TEST(SettingsFile, InformationDumpListsEveryEntryFromTheFirst) {
    LauncherSettings s;
    LogFile log;
    log.openInMemory();
    s.iniInstallerArgs.append("i0");
    s.iniManagerArgs.append("m0");
    s.iniManagerArgs.append("m1");
    s.argInstallerArgs.append("a0");
    s.argManagerArgs.append("b0");
    writeInformationDump(s, log);
    const std::string& dump = log.memory();
    EXPECT_NE(dump.find("iniAppDataLocation: ()\niniInstallerArgs[0]: (i0)\niniManagerArgs[0]: (m0)\n"
                        "iniManagerArgs[1]: (m1)\n\nCommandline Arguments\n"),
              std::string::npos);
    EXPECT_NE(dump.find("argAppDataLocation: ()\nargInstallerArgs[0]: (a0)\nargManagerArgs[0]: (b0)\n"),
              std::string::npos);
}

TEST(SettingsFile, ListsStopAt255EntriesAndAreResetWhenTheFileIsRead) {
    std::string text = "[MANAGER]\n";
    for (int i = 0; i < 300; ++i) text += "ARG=" + std::to_string(i) + "\n";
    LauncherSettings s = parsed(text);
    ASSERT_EQ(s.iniManagerArgs.count(), 255u);
    EXPECT_EQ(s.iniManagerArgs[254], "254");
    LogFile log;
    FakePlatform p;
    parseSettingsText(s, log, p, "[MANAGER]\nARG=only\n");
    EXPECT_EQ(s.iniManagerArgs.count(), 1u);
}

TEST(CommandLine, OptionsFlagsAndValues) {
    FakePlatform p;
    LauncherSettings s;
    ASSERT_TRUE(parseArgs(
        s, p, {"-input", "-silent", "-appDataLocation", "D:\\d", "-wait", "-isAdmin", "-x", "-log", "C:\\l.txt"}));
    EXPECT_EQ(s.argInputFile.str(), "-silent");
    EXPECT_EQ(s.argIsSilent, 0);
    EXPECT_EQ(s.argAppDataLocation.str(), "D:\\d");
    EXPECT_EQ(s.isWait, 1);
    EXPECT_EQ(s.argIsUserAdmin, 1);
    EXPECT_EQ(s.isDebug, 1);
    EXPECT_EQ(s.argLogFile.str(), "C:\\l.txt");
    EXPECT_TRUE(p.boxes.empty());
}

TEST(CommandLine, LogAsTheLastArgumentLeavesLoggingOff) {
    FakePlatform p;
    LauncherSettings s;
    ASSERT_TRUE(parseArgs(s, p, {"-silent", "-log"}));
    EXPECT_EQ(s.isDebug, 0);
    EXPECT_EQ(s.argIsSilent, 1);
}

TEST(CommandLine, HelpOptionsShowTheUsageBox) {
    for (const char* help : {"-help", "-?", "/help", "/?", "-h"}) {
        FakePlatform p;
        LauncherSettings s;
        s.launcherName.assign("stelvo");
        EXPECT_FALSE(parseArgs(s, p, {"-wait", help, "-silent"})) << help;
        ASSERT_EQ(p.boxes.size(), 1u);
        EXPECT_EQ(p.boxTitle(0), "Usage:");
        EXPECT_EQ(p.boxText(0).rfind("stelvo [-h] [-input INPUT_FILE]", 0), 0u);
        EXPECT_EQ(p.boxes[0].style, 0x40u);
        EXPECT_EQ(s.argIsSilent, 0);
    }
    FakePlatform p;
    LauncherSettings s;
    EXPECT_TRUE(parseArgs(s, p, {"-HELP", "help"}));
}

TEST(CommandLine, CollectingStatesSwitchAndSwallowEverythingElse) {
    FakePlatform p;
    LauncherSettings s;
    ASSERT_TRUE(parseArgs(
        s, p, {"-wait", "-installerArgs", "a", "-help", "-managerArgs", "b", "-silent", "-installerArgs", "c"}));
    EXPECT_EQ(s.argInstallerArgs.entries(), (std::vector<std::string>{"a", "-help", "c"}));
    EXPECT_EQ(s.argManagerArgs.entries(), (std::vector<std::string>{"b", "-silent"}));
    EXPECT_EQ(s.argIsSilent, 0);
    EXPECT_TRUE(p.boxes.empty());
}

TEST(CommandLine, ValuesBeyondTheFieldWidthAreRefused) {
    FakePlatform p;
    LauncherSettings s;
    const std::string fits(255, 'f'), tooLong(256, 'l');
    ASSERT_TRUE(parseArgs(s, p,
                          {"-input", fits.c_str(), "-appDataLocation", tooLong.c_str(), "-log", tooLong.c_str(),
                           "-managerArgs", tooLong.c_str(), "ok"}));
    EXPECT_EQ(s.argInputFile.str(), fits);
    EXPECT_TRUE(s.argAppDataLocation.empty());
    EXPECT_EQ(s.isDebug, 0);
    EXPECT_EQ(s.argManagerArgs.entries(), (std::vector<std::string>{"ok"}));
}

TEST(Resolve, SilentModeFromTheCommandLineOrTheSettingsInAnyCase) {
    for (const char* word : {"YES", "True", "yes"}) {
        FakePlatform p;
        LogFile log;
        LauncherSettings s;
        s.iniSilent.assign(word);
        resolveSettings(s, log, p);
        EXPECT_EQ(s.isSilent, 1);
        EXPECT_EQ(s.isWait, 1);
        EXPECT_EQ(s.isDialogAllowed, 0);
    }
    FakePlatform p;
    LogFile log;
    LauncherSettings s;
    s.iniSilent.assign("on");
    resolveSettings(s, log, p);
    EXPECT_EQ(s.isSilent, 0);
    EXPECT_EQ(s.isDialogAllowed, 1);
}

// The words are compared whole, from their first letter.
TEST(Resolve, YesAndNoWordsMustMatchFromTheirFirstLetter) {
    for (const char* word : {"xes", "frue", "yest", "ye"}) {
        FakePlatform p;
        LogFile log;
        LauncherSettings s;
        s.iniSilent.assign(word);
        s.iniIsAdmin.assign(word);
        resolveSettings(s, log, p);
        EXPECT_EQ(s.isSilent, 0) << word;
        EXPECT_EQ(p.adminQueries, 1) << word;
    }
    for (const char* word : {"xo", "ralse"}) {
        FakePlatform p;
        LogFile log;
        LauncherSettings s;
        p.admin = true;
        s.iniIsAdmin.assign(word);
        resolveSettings(s, log, p);
        EXPECT_EQ(s.isUserAdmin, 1) << word;
    }
}

TEST(Resolve, AdministratorFlagAsksTheSystemOnlyWhenUnsettled) {
    FakePlatform p;
    LogFile log;
    p.admin = true;
    LauncherSettings s;
    s.iniIsAdmin.assign("No");
    resolveSettings(s, log, p);
    EXPECT_EQ(s.isUserAdmin, 0);
    EXPECT_EQ(p.adminQueries, 0);

    LauncherSettings asked;
    asked.iniIsAdmin.assign("sometimes");
    resolveSettings(asked, log, p);
    EXPECT_EQ(asked.isUserAdmin, 1);
    EXPECT_EQ(p.adminQueries, 1);

    p.admin = false;
    LauncherSettings forced;
    forced.argIsUserAdmin = 1;
    forced.iniIsAdmin.assign("no");
    resolveSettings(forced, log, p);
    EXPECT_EQ(forced.isUserAdmin, 1);
}

TEST(Resolve, DataLocationAndInputFile) {
    FakePlatform p;
    LogFile log;
    LauncherSettings s;
    s.launcherDir.assign("C:\\img\\");
    s.iniAppDataLocation.assign("D:\\ini");
    s.iniManagerInput.assign("sub/../in.xml");
    resolveSettings(s, log, p);
    EXPECT_EQ(s.appDataLocation.str(), "D:\\ini");
    EXPECT_EQ(s.inputFile.str(), "C:\\img\\in.xml");

    s.argAppDataLocation.assign("E:\\arg");
    s.argInputFile.assign("D:/x/./y.xml");
    resolveSettings(s, log, p);
    EXPECT_EQ(s.appDataLocation.str(), "E:\\arg");
    EXPECT_EQ(s.inputFile.str(), "D:\\x\\y.xml");
}

TEST(Resolve, WritesTheModeSection) {
    FakePlatform p;
    LogFile log;
    LauncherSettings s;
    s.isDebug = 1;
    log.openInMemory();
    s.argIsSilent = 1;
    resolveSettings(s, log, p);
    EXPECT_EQ(log.memory(),
              "\nMode\n======================================================\nisSilent: (1)\n"
              "isDialogAllowed: (0)\nisUserAdmin: (0)\nappDataLocation: ()\ninputFile: ()\n");
}
