// Version comparison, the reference-file store and agent discovery.
#include "stelvo/agent.h"
#include "fake_platform.h"
#include "stelvo/property_table.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

using namespace stelvo;
using stelvo_test::FakePlatform;

namespace {
int sign(int v) { return (v > 0) - (v < 0); }
}  // namespace

TEST(CompareVersions, Table) {
    struct Case {
        const char* installed;
        const char* expected;
        int result;
    };
    // clang-format off
    const Case cases[] = {
        {"7.0.1", "7.0", 1},          {"1.2", "1.2.0", 0},          {"1.10", "1.9", 1},
        {"1.0.0.beta", "1.0.0", -1},  {"1.0.0", "1.0.0.beta", 1},   {"1.0.0.beta", "1.0.0.beta", 0},
        {"1.0.0", "1.0.0.final", -1}, {"1.0.0.final", "1.0.0.alpha", 1},
        {"1.0.0.BETA", "1.0.0", 1},   {"1.0.0", "1.0.0.BETA", -1},  {"5a", "5", 0},
        {"", "0.0.0", 0},             {"2.", "2.0.0", 0},           {"1..5", "1.0.5", 0},
        {" 3.-1", "3.0", -1},         {"1.2.3.x.y", "1.2.3.x", 1},  {"1.2.3.", "1.2.3", 0},
        {"99999999999", "2147483647", 0}, {"1.2.3.\xe9", "1.2.3.a", 1}, {"6.9.9", "7", -1},
    };
    // clang-format on
    for (const Case& c : cases)
        EXPECT_EQ(sign(compareVersions(c.installed, c.expected)), c.result) << c.installed << " vs " << c.expected;
}

TEST(CompareVersions, Parts) {
    const VersionParts p = parseVersion("8.1.2.rc.1");
    EXPECT_EQ(p.major, 8);
    EXPECT_EQ(p.minor, 1);
    EXPECT_EQ(p.micro, 2);
    EXPECT_EQ(p.qualifier, "rc.1");
    EXPECT_EQ(parseVersion("1.2.").qualifier, "");
    EXPECT_EQ(parseVersion("1.2..q").qualifier, "q");
}

TEST(PropertyTable, FirstLineOfAKeyWinsAndNothingIsTrimmed) {
    FakePlatform p;
    PropertyTable t;
    t.loadText(p, "version=1\nversion=2\n location=x\nk=a=b\n#c=d\nnoequals\n=v\nempty=\r\nab=1\ncd\n");
    EXPECT_EQ(*t.lookup("version"), "1");
    EXPECT_FALSE(t.contains("location"));
    EXPECT_EQ(*t.lookup(" location"), "x");
    EXPECT_EQ(*t.lookup("k"), "a=b");
    EXPECT_EQ(*t.lookup("#c"), "d");
    EXPECT_EQ(*t.lookup("empty"), "");
    // A line without "=", or that starts with it, is no pair, and never takes the previous line's.
    EXPECT_FALSE(t.contains("noequals"));
    EXPECT_FALSE(t.contains(""));
    EXPECT_FALSE(t.contains("cd"));
    EXPECT_EQ(t.lookup("Version"), nullptr);
    EXPECT_FALSE(t.add("version", "3"));
    EXPECT_TRUE(t.add("new", "n"));
    t.loadText(p, "other=1\n");
    EXPECT_EQ(t.lookup("new"), nullptr);
}

TEST(PropertyTable, ReadOneProperty) {
    FakePlatform p;
    p.files["C:\\ref.properties"] = "location=C:\\Q\nversion=7.1\n";
    LogFile log;
    ReferenceText out;
    out.assign("before");
    EXPECT_FALSE(readProperty(p, log, "C:\\missing", "version", out, "refVersion"));
    EXPECT_EQ(out.str(), "before");
    EXPECT_FALSE(readProperty(p, log, "C:\\ref.properties", "absent", out, "refVersion"));
    EXPECT_EQ(out.str(), "");
    EXPECT_TRUE(readProperty(p, log, "C:\\ref.properties", "version", out, "refVersion"));
    EXPECT_EQ(out.str(), "7.1");
    PropertyTable t;
    EXPECT_FALSE(t.load(p, "C:\\missing"));
    EXPECT_TRUE(t.empty());
}

// The reference file shares the settings file's reading: any encoding, and a
// value the code page cannot hold is refused (and logged) on the key's first
// line, which decides.
TEST(PropertyTable, ReferenceFileInUtf16AndAValueTheCodePageCannotHold) {
    FakePlatform p;
    LogFile log;
    log.openInMemory();
    p.files["C:\\ref.properties"] =
        stelvo_test::utf16File("version=7.1\r\nlocation=C:\\\xd0\x94\xd0\xbe\xd0\xbc\r\nlocation=C:\\Q\r\n");
    ReferenceText version, location;
    location.assign("before");
    EXPECT_TRUE(readProperty(p, log, "C:\\ref.properties", "version", version, "refVersion"));
    EXPECT_EQ(version.str(), "7.1");
    EXPECT_FALSE(readProperty(p, log, "C:\\ref.properties", "location", location, "refLocation"));
    EXPECT_EQ(location.str(), "");
    EXPECT_EQ(log.memory(), "refLocation refused: a character that the ANSI code page cannot hold exactly\n");
    PropertyTable t;
    ASSERT_TRUE(t.load(p, "C:\\ref.properties"));
    EXPECT_EQ(*t.lookup("version"), "7.1");
    EXPECT_TRUE(t.contains("location"));
    EXPECT_EQ(t.lookup("location"), nullptr);
}

class Discovery : public ::testing::Test {
protected:
    void SetUp() override {
        s.iniManagerLocationKey.assign("Software\\Q");
        s.isDebug = 1;
        log.openInMemory();
    }
    FakePlatform p;
    LauncherSettings s;
    LogFile log;
};

TEST_F(Discovery, RegistryHiveFollowsTheAdministratorFlag) {
    p.registry[{RegistryRoot::CurrentUser, "Software\\Q"}] = {{"location", "C:\\Q"}, {"version", "7.0"}};
    s.isUserAdmin = 1;
    discoverAgent(s, log, p);
    EXPECT_TRUE(s.refVersion.empty());
    s.isUserAdmin = 0;
    discoverAgent(s, log, p);
    EXPECT_EQ(s.refLocation.str(), "C:\\Q");
    EXPECT_EQ(s.refVersion.str(), "7.0");
}

TEST_F(Discovery, UnopenableSourceKeepsEarlierValuesAbsentValueEmptiesThem) {
    p.registry[{RegistryRoot::CurrentUser, "Software\\Q"}] = {{"location", "C:\\Q"}, {"version", "7.0"}};
    discoverAgent(s, log, p);
    p.registry.clear();
    discoverAgent(s, log, p);
    EXPECT_EQ(s.refVersion.str(), "7.0");
    p.registry[{RegistryRoot::CurrentUser, "Software\\Q"}] = {{"location", "C:\\Q"}};
    discoverAgent(s, log, p);
    EXPECT_EQ(s.refLocation.str(), "C:\\Q");
    EXPECT_TRUE(s.refVersion.empty());
    p.registry[{RegistryRoot::CurrentUser, "Software\\Q"}] = {{"version", std::string(255, '9')}};
    discoverAgent(s, log, p);
    EXPECT_TRUE(s.refVersion.empty());
    EXPECT_NE(log.memory().find("refVersion refused: the registry value \"version\" needs more than 255 bytes\n"),
              std::string::npos);
}

TEST_F(Discovery, RegistryWinsOverTheReferenceFileAndTheLogSaysSo) {
    s.iniManagerLocationFile.assign("<APPDATA>\\q.properties");
    p.files["C:\\users\\u\\AppData\\Roaming\\q.properties"] = "version=9\nlocation=F\n";
    p.admin = true;
    discoverAgent(s, log, p);
    EXPECT_TRUE(s.refVersion.empty());
    EXPECT_EQ(log.memory(),
              "\nGet Installed Agent Info\n======================================================\n"
              "iniManagerLocationKey: (Software\\Q)\niniManagerLocationFile: (<APPDATA>\\q.properties)\n"
              "isAdmin(): (1)\nisUserAdmin: (0)\nGet current agent location from Registry: \n"
              "iniManagerLocationKey: (Software\\Q)\n");
}

TEST_F(Discovery, ReferenceFileWithAPlaceholder) {
    s.iniManagerLocationKey.clear();
    s.iniManagerLocationFile.assign("<APPDATA>\\q.properties");
    p.files["C:\\users\\u\\AppData\\Roaming\\q.properties"] = "version=9\nlocation=F\n";
    discoverAgent(s, log, p);
    EXPECT_EQ(s.refVersion.str(), "9");
    EXPECT_EQ(s.refLocation.str(), "F");
    EXPECT_NE(log.memory().find("Get current agent location from Reference File: \n"
                                "refFile: (C:\\users\\u\\AppData\\Roaming\\q.properties)\n"),
              std::string::npos);
    s.isUserAdmin = 1;  // the common folder holds no file: the values stay
    discoverAgent(s, log, p);
    EXPECT_EQ(s.refVersion.str(), "9");
    s.iniManagerLocationFile.assign("<APPDATA>\\" + std::string(245, 'r'));  // 260 characters once expanded
    discoverAgent(s, log, p);
    EXPECT_NE(log.memory().find("refFile refused: longer than 255 characters\nGet current agent location from "
                                "Reference File: \nrefFile: ()\n"),
              std::string::npos);
}

// The machine's key is read in one view for both values: the default view's
// when it holds either, else the other view's (where a 64-bit agent writes).
TEST_F(Discovery, LocationAndVersionComeFromOneViewOfTheKey) {
    using Values = std::map<std::string, std::string>;
    const Values oldAgent{{"location", "C:\\Old"}};
    const Values newAgent{{"location", "C:\\New"}, {"version", "9.9"}};
    const Values none;
    struct Case {
        const char* name;
        RegistryRoot root;
        const Values* inDefault;  // null: the key is absent from the view
        const Values* inOther;
        const char* location;
        const char* version;
    };
    const Values tooLong{{"version", std::string(255, '9')}};
    const Case cases[] = {
        {"default view holds one value", RegistryRoot::LocalMachine, &oldAgent, &newAgent, "C:\\Old", ""},
        {"default view lacks the key", RegistryRoot::LocalMachine, nullptr, &newAgent, "C:\\New", "9.9"},
        {"default view's key holds neither", RegistryRoot::LocalMachine, &none, &newAgent, "C:\\New", "9.9"},
        {"a refused value settles the view", RegistryRoot::LocalMachine, &tooLong, &newAgent, "", ""},
        {"opened keys without values empty the fields", RegistryRoot::LocalMachine, &none, nullptr, "", ""},
        {"only the other view's key, empty", RegistryRoot::LocalMachine, nullptr, &none, "", ""},
        {"no key in either view keeps the fields", RegistryRoot::LocalMachine, nullptr, nullptr, "before", "0.1"},
        {"the user's hive has the default view only", RegistryRoot::CurrentUser, nullptr, &newAgent, "before", "0.1"},
    };
    for (const Case& c : cases) {
        p.registry.clear();
        p.otherView.clear();
        if (c.inDefault) p.registry[{c.root, "Software\\Q"}] = *c.inDefault;
        if (c.inOther) p.otherView[{c.root, "Software\\Q"}] = *c.inOther;
        s.isUserAdmin = c.root == RegistryRoot::LocalMachine ? 1 : 0;
        s.refLocation.assign("before");
        s.refVersion.assign("0.1");
        discoverAgent(s, log, p);
        EXPECT_EQ(s.refLocation.str(), c.location) << c.name;
        EXPECT_EQ(s.refVersion.str(), c.version) << c.name;
    }
}

// The stored-text rule itself is tested with common's; here, the launcher's room.
TEST(RegistryValue, TextEndsAtItsTerminatorAndMustFit255BytesWithIt) {
    using namespace std::string_literals;
    EXPECT_EQ(registryValueText("7.0\0junk"s), "7.0");
    EXPECT_EQ(registryValueText(std::string(254, '9')), std::string(254, '9'));
    EXPECT_EQ(registryValueText(std::string(255, '9')), "");  // no room left for the terminator
}

TEST(Acceptance, EmptyVersionIsNeverAcceptedEqualIs) {
    LauncherSettings s;
    s.iniManagerVersion.assign("");
    EXPECT_FALSE(isAgentAcceptable(s));
    s.iniManagerVersion.assign("7.0");
    s.refVersion.assign("7.0");
    EXPECT_TRUE(isAgentAcceptable(s));
    s.refVersion.assign("6.9");
    EXPECT_FALSE(isAgentAcceptable(s));
}
