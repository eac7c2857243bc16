// Quoting and the installer's and the agent's argument vectors.
#include "stelvo/program_command_lines.h"
#include "fake_platform.h"

#include <gtest/gtest.h>

using namespace stelvo;
using stelvo_test::FakePlatform;
using Elements = std::vector<std::string>;

TEST(Quoting, QuoteArgument) {
    EXPECT_EQ(quoteArgument("plain"), "plain");
    EXPECT_EQ(quoteArgument("A=b"), "A=b");
    EXPECT_EQ(quoteArgument("KEY=a b"), "KEY=\"a b\"");
    EXPECT_EQ(quoteArgument("a b"), "\"a b\"");
    // More "=" than the original room allowed for: every one gets its quote.
    EXPECT_EQ(quoteArgument("a=b=c=d=e f"), "a=\"b=\"c=\"d=\"e f\"");
    EXPECT_EQ(plainQuote("a b"), "\"a b\"");
    EXPECT_EQ(plainQuote("K=a b"), "\"K=a b\"");
    EXPECT_EQ(plainQuote("ab"), "ab");
}

TEST(Quoting, EscapeQuotesStaysWithin255) {
    std::string out;
    ASSERT_TRUE(escapeQuotes("K=\"a b\"", out));
    EXPECT_EQ(out, "K=\\\"a b\\\"");
    ASSERT_TRUE(escapeQuotes(std::string(253, 'x') + "\"", out));
    EXPECT_EQ(out.size(), 255u);
    EXPECT_FALSE(escapeQuotes(std::string(254, 'x') + "\"", out));
    EXPECT_EQ(out, "");
}

class Builders : public ::testing::Test {
protected:
    void SetUp() override {
        s.launcherDir.assign("C:\\img\\");
        s.refLocation.assign("C:\\Program Files\\Q");
        s.iniManagerLauncher.assign("bin\\agent.exe");
    }
    FakePlatform p;
    LauncherSettings s;
    LogFile log;
};

TEST_F(Builders, SilentSetupProgramPacksItsPropertiesIntoOneEscapedSwitch) {
    s.iniInstallerLocation.assign("setup\\setup.exe");
    s.isSilent = 1;
    s.iniInstallerArgs.append("INSTALLDIR=C:\\My Agent");
    s.appDataLocation.assign("D:\\data\\");
    ASSERT_TRUE(buildInstallerCommandLine(s, log));
    EXPECT_EQ(s.installerProgram.str(), "C:\\img\\setup\\setup.exe");
    EXPECT_EQ(
        s.installerArglist.elements,
        (Elements{"\"C:\\img\\setup\\setup.exe\"", "/S",
                  "/v\"/qn INSTALLDIR=\\\"C:\\My Agent\\\" STANDALONE=false APPDATALOCATION=\\\"D:\\data\\\\\"\""}));
}

TEST_F(Builders, SetupProgramWithoutSilenceOrExtras) {
    s.iniInstallerLocation.assign("setup.exe");
    ASSERT_TRUE(buildInstallerCommandLine(s, log));
    EXPECT_EQ(s.installerArglist.elements, (Elements{"\"C:\\img\\setup.exe\"", "/v\"STANDALONE=false\""}));
}

TEST_F(Builders, MsiTakesMsiexecFromTheSystemFolder) {
    s.iniInstallerLocation.assign("agent.msi");
    s.isSilent = 1;
    s.iniInstallerArgs.append("IGNORED=1");
    s.argInstallerArgs.append("INSTALLDIR=C:\\My Agent");
    s.appDataLocation.assign("D:\\data\\");
    p.files["C:\\work\\msiexec.exe"] = "planted";  // beside the launcher's current directory
    p.environment["PATH"] = "C:\\tools";
    ASSERT_TRUE(buildMsiCommandLine(s, log, p));
    EXPECT_EQ(s.installerProgram.str(), "C:\\windows\\system32\\msiexec.exe");
    EXPECT_EQ(s.msiImagePath.str(), "C:\\img\\agent.msi");
    EXPECT_EQ(s.installerArglist.elements,
              (Elements{"C:\\windows\\system32\\msiexec.exe", "/i", "\"C:\\img\\agent.msi\"", "/q",
                        "\"INSTALLDIR=C:\\My Agent\"", "STANDALONE=false", "APPDATALOCATION=\"D:\\data\\\""}));
}

TEST_F(Builders, MsiexecFallsBackToTheSearchOnlyWhenTheSystemFolderLacksIt) {
    s.iniInstallerLocation.assign("agent.msi");
    p.files.erase("C:\\windows\\system32\\msiexec.exe");
    p.environment["PATH"] = "C:\\tools";
    p.files["C:\\tools\\msiexec.exe"] = "";
    ASSERT_TRUE(buildMsiCommandLine(s, log, p));
    EXPECT_EQ(s.installerProgram.str(), "C:\\tools\\msiexec.exe");
    EXPECT_EQ(s.installerArglist.elements,
              (Elements{"C:\\tools\\msiexec.exe", "/i", "\"C:\\img\\agent.msi\"", "STANDALONE=false"}));
}

TEST_F(Builders, MsiSelectionIsExactAndNeedsMoreThanTheExtension) {
    for (const char* name : {"a.msi", "dir\\x.msi"}) {
        s.iniInstallerLocation.assign(name);
        EXPECT_TRUE(isMsiInstaller(s)) << name;
    }
    for (const char* name : {".msi", "a.MSI", "a.msix", "setup.exe"}) {
        s.iniInstallerLocation.assign(name);
        EXPECT_FALSE(isMsiInstaller(s)) << name;
    }
}

TEST_F(Builders, AgentVectorInOrder) {
    s.isSilent = 1;
    s.iniManagerLauncherSilent.assign("bin\\agentc.exe");
    s.iniIsAdmin.assign("YES");
    s.inputFile.assign("C:\\img\\my input.xml");
    s.appDataLocation.assign("D:\\my data\\");
    s.iniManagerArgs.append("from ini");
    s.argManagerArgs.append("-x");
    s.argManagerArgs.append("a b");
    s.isDebug = 1;
    log.openInMemory();
    ASSERT_TRUE(buildAgentCommandLine(s, log));
    EXPECT_EQ(s.agentProgram.str(), "C:\\Program Files\\Q\\bin\\agentc.exe");
    const Elements expected{"\"C:\\Program Files\\Q\\bin\\agentc.exe\"",
                            "-silent",
                            "-nosplash",
                            "-isAdmin",
                            "-input",
                            "\"C:\\img\\my input.xml\"",
                            "-dataLocation",
                            "\"D:\\my data\"",
                            "-x",
                            "\"a b\""};
    EXPECT_EQ(s.agentArglist.elements, expected);
    EXPECT_EQ(joinCommandLine(s.agentArglist),
              "\"C:\\Program Files\\Q\\bin\\agentc.exe\" -silent -nosplash -isAdmin -input \"C:\\img\\my input.xml\" "
              "-dataLocation \"D:\\my data\" -x \"a b\"");
    EXPECT_EQ(log.memory().substr(0, 120),
              std::string("\nCommand to launch agent\n======================================================\n"
                          "AgentProgram: (C:\\Program Files\\Q\\bin\\agentc.exe)\n")
                  .substr(0, 120));
    EXPECT_NE(log.memory().find("agentArglist[9]: (\"a b\")\n"), std::string::npos);
}

TEST_F(Builders, AgentSilentWithoutSilentLauncherAndResolvedAdminPlaysNoPart) {
    s.isSilent = 1;
    s.isUserAdmin = 1;
    s.appDataLocation.assign("D:/d/");
    ASSERT_TRUE(buildAgentCommandLine(s, log));
    EXPECT_EQ(s.agentArglist.elements,
              (Elements{"\"C:\\Program Files\\Q\\bin\\agent.exe\"", "-silent", "-nosplash", "-dataLocation", "D:/d"}));
}

TEST_F(Builders, JavaLaunchersGetTheStartupJar) {
    s.refLocation.assign("C:\\Q");
    for (const char* java : {"jre\\bin\\javaw.exe", "jre\\bin\\java", "java.exe", "javaw"}) {
        s.iniManagerLauncher.assign(java);
        ASSERT_TRUE(buildAgentCommandLine(s, log));
        ASSERT_GE(s.agentArglist.count(), 3u) << java;
        EXPECT_EQ(s.agentArglist.elements[1], "-jar");
        EXPECT_EQ(s.agentArglist.elements[2], "C:\\Q\\eclipse\\startup.jar");
    }
    s.iniManagerLauncher.assign("jre\\bin\\Javaw.exe");
    ASSERT_TRUE(buildAgentCommandLine(s, log));
    EXPECT_EQ(s.agentArglist.count(), 1u);
}

TEST_F(Builders, VectorsBeyondTheirLimitsAreRefusedWhole) {
    s.isDebug = 1;
    log.openInMemory();
    for (int i = 0; i < 253; ++i) s.argManagerArgs.append("a");
    ASSERT_TRUE(buildAgentCommandLine(s, log));  // 254 elements fit
    EXPECT_EQ(s.agentArglist.count(), 254u);
    s.argManagerArgs.append("b");
    EXPECT_FALSE(buildAgentCommandLine(s, log));
    EXPECT_TRUE(s.agentArglist.empty());

    s.iniInstallerLocation.assign("setup.exe");
    s.iniInstallerArgs.append("P=" + std::string(250, 'p') + " \"");
    EXPECT_FALSE(buildInstallerCommandLine(s, log));  // an escaped item over 255
    EXPECT_TRUE(s.installerArglist.empty());
    EXPECT_NE(log.memory().find("agentArglist refused: more than 255 elements, end marker included\n"),
              std::string::npos);
    EXPECT_NE(log.memory().find("installerArglist refused: an escaped item of the \"/v\" element longer than "
                                "255 characters\n"),
              std::string::npos);

    LauncherSettings t;
    t.launcherDir.assign("C:\\img\\");
    t.iniInstallerLocation.assign("setup.exe");
    for (int i = 0; i < 5; ++i) t.iniInstallerArgs.append(std::string(200, 'q'));
    EXPECT_FALSE(buildInstallerCommandLine(t, log));  // the "/v" element over 1023
    t.iniInstallerArgs.clear();
    for (int i = 0; i < 4; ++i) t.iniInstallerArgs.append(std::string(200, 'q'));
    EXPECT_TRUE(buildInstallerCommandLine(t, log));
    EXPECT_EQ(t.installerArglist.elements[1].size(), 3u + 4 * 201 + 16 + 1);
}
