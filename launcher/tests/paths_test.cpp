// Normalisation, folder placeholders, program search and path splits.
#include "stelvo/paths.h"
#include "fake_platform.h"
#include "mirravon_test/caller.h"

#include <gtest/gtest.h>

using namespace stelvo;
using stelvo_test::FakePlatform;

namespace {

std::string normalized(const std::string& source, int expectedStatus = kNormalized, std::size_t width = 255,
                       mirravon_test::Caller where = {}) {
    const mirravon_test::CallerTrace trace(where);
    std::string out = "junk";
    EXPECT_EQ(normalizePath(source, out, width), expectedStatus) << source;
    return out;
}

}  // namespace

TEST(NormalizePath, DropsDotsAndDoubledSeparators) {
    EXPECT_EQ(normalized("C:/a/./b/../c//d/"), "C:\\a\\c\\d");
    EXPECT_EQ(normalized("a/b"), "a\\b");
    EXPECT_EQ(normalized("C:\\img\\\\setup.exe"), "C:\\img\\setup.exe");
    EXPECT_EQ(normalized(""), "");
    EXPECT_EQ(normalized("C:/a/.."), "C:\\a\\..");  // the last component is kept literally
    EXPECT_EQ(normalized("a/."), "a\\.");
    EXPECT_EQ(normalized("C:/../x"), "x");  // a drive is an ordinary component
}

TEST(NormalizePath, LeadingSeparatorsFormThePrefix) {
    EXPECT_EQ(normalized("//server/share/x"), "\\\\server\\share\\x");
    EXPECT_EQ(normalized("/x/y"), "\\x\\y");
    EXPECT_EQ(normalized("\\\\\\x"), "\\\\\\x");
}

TEST(NormalizePath, UnresolvableParentLeavesTheSource) {
    EXPECT_EQ(normalized("C:/../../x", kUnresolvable), "C:/../../x");
    EXPECT_EQ(normalized("../x", kUnresolvable), "../x");
}

TEST(NormalizePath, LimitsAreRefusedWithAnEmptyResult) {
    EXPECT_EQ(normalized("C:\\" + std::string(256, 'c') + "\\x", kBeyondLimits), "");
    EXPECT_EQ(normalized("C:\\" + std::string(255, 'c'), kNormalized, 1023).size(), 258u);
    std::string many;
    for (int i = 0; i < 256; ++i) many += "a\\";
    EXPECT_EQ(normalized(many, kBeyondLimits, 1023), "");
    // 255 components fit.
    EXPECT_EQ(normalized(many.substr(2), kNormalized, 1023).size(), 255u * 2 - 1);
    // A result longer than the destination is refused, exactly at the width.
    EXPECT_EQ(normalized("C:\\" + std::string(252, 'x')).size(), 255u);
    EXPECT_EQ(normalized("C:\\" + std::string(253, 'x'), kBeyondLimits), "");
    // An unresolvable source that does not fit cannot be kept either.
    EXPECT_EQ(normalized("../" + std::string(10, 'y'), kUnresolvable, 8), "");
}

TEST(NormalizePath, IntoABoundedField) {
    Text field;
    field.assign("old");
    normalizePath("C:/x/../y", field);
    EXPECT_EQ(field.str(), "C:\\y");
    normalizePath("C:\\" + std::string(300, 'z'), field);
    EXPECT_TRUE(field.empty());
}

TEST(FolderPlaceholder, TableOrderFirstOccurrenceOnly) {
    FakePlatform p;
    LauncherSettings s;
    s.launcherDir.assign("C:\\img\\");
    EXPECT_EQ(expandFolderPlaceholder(s, p, "<HOME>\\q"), "C:\\users\\u\\Documents\\q");
    EXPECT_EQ(expandFolderPlaceholder(s, p, "<My Documents>\\q"), "C:\\users\\u\\Documents\\q");
    EXPECT_EQ(expandFolderPlaceholder(s, p, "<APPDATA>\\x<PROFILE>\\y"), "<APPDATA>\\xC:\\users\\u\\y");
    EXPECT_EQ(expandFolderPlaceholder(s, p, "<CURRDIR>\\ref.txt"), "C:\\img\\\\ref.txt");
    EXPECT_EQ(expandFolderPlaceholder(s, p, "<HOME>/<HOME>"), "C:\\users\\u\\Documents/<HOME>");
    EXPECT_EQ(expandFolderPlaceholder(s, p, "<home>\\q"), "<home>\\q");
    EXPECT_EQ(expandFolderPlaceholder(s, p, "pre<PROFILE>post"), "preC:\\users\\upost");
}

TEST(FolderPlaceholder, AppDataFollowsTheAdministratorFlag) {
    FakePlatform p;
    LauncherSettings s;
    s.isUserAdmin = 1;
    EXPECT_EQ(expandFolderPlaceholder(s, p, "<APPDATA>\\q"), "C:\\ProgramData\\q");
    s.isUserAdmin = 0;
    EXPECT_EQ(expandFolderPlaceholder(s, p, "<APPDATA>\\q"), "C:\\users\\u\\AppData\\Roaming\\q");
    p.shellFolders.clear();
    EXPECT_EQ(expandFolderPlaceholder(s, p, "<APPDATA>\\q"), "\\q");
}

TEST(FindProgram, AbsoluteAndRelativeNames) {
    FakePlatform p;
    p.files["C:\\tools\\a.exe"] = "";
    p.files["C:\\work\\sub\\b.exe"] = "";
    EXPECT_EQ(findProgram(p, "C:\\tools\\a.exe"), "C:\\tools\\a.exe");
    EXPECT_EQ(findProgram(p, "C:\\tools\\missing.exe"), "");
    EXPECT_EQ(findProgram(p, "sub\\b.exe"), "C:\\work\\sub\\b.exe");
    p.currentDir = "C:\\work\\";
    EXPECT_EQ(findProgram(p, "sub\\b.exe"), "C:\\work\\sub\\b.exe");
    p.currentDirFits = false;
    EXPECT_EQ(findProgram(p, "sub\\b.exe"), "");
}

TEST(FindProgram, BareNamesSearchTheCurrentDirectoryThenPath) {
    FakePlatform p;
    p.environment["PATH"] = ";C:\\tools\\;..;C:\\bin";
    p.folders.insert("C:\\tools\\prog");
    p.files["C:\\bin\\prog"] = "";
    EXPECT_EQ(findProgram(p, "prog"), "C:\\bin\\prog");  // the folder on PATH is passed over
    p.files["C:\\work\\..\\prog"] = "";
    EXPECT_EQ(findProgram(p, "prog"), "C:\\work\\..\\prog");
    p.files["C:\\work\\.\\prog"] = "";
    EXPECT_EQ(findProgram(p, "prog"), "C:\\work\\.\\prog");  // the current directory comes first
    p.files["C:\\tools\\x/y"] = "";
    EXPECT_EQ(findProgram(p, "x/y"), "C:\\tools\\x/y");
    p.environment.erase("PATH");
    EXPECT_EQ(findProgram(p, "x/y"), "");
}

TEST(PathSplits, FolderFileAndBaseName) {
    EXPECT_EQ(folderPart("C:\\img\\stelvo.exe"), "C:\\img\\");
    EXPECT_EQ(filePart("C:\\img\\stelvo.exe"), "stelvo.exe");
    EXPECT_EQ(baseName("C:\\img\\stelvo.exe"), "stelvo");
    EXPECT_EQ(folderPart("C:\\img\\"), "C:\\img\\");
    EXPECT_EQ(filePart("C:\\img\\"), "");
    EXPECT_EQ(folderPart("stelvo"), "");
    EXPECT_EQ(filePart("stelvo"), "stelvo");
    EXPECT_EQ(baseName("a.b.exe"), "a.b");
    EXPECT_EQ(baseName("name."), "name.");
    EXPECT_EQ(baseName("C:\\x.d\\name"), "name");
}

// A folder path without a terminator in the system call's fixed room is no
// answer; one terminated in its last byte is whole.
TEST(FolderPath, AnAnswerWithoutTerminatorInItsFixedRoomIsNone) {
    std::string text = "kept";
    char room[8] = {'C', ':', '\\', 'a', '\0', 'x', 'x', 'x'};
    EXPECT_TRUE(textInFixedRoom(room, sizeof room, text));
    EXPECT_EQ(text, "C:\\a");
    const char full[8] = {'C', ':', '\\', 'a', 'b', 'c', 'd', '\0'};  // terminated, but in the last byte
    const char unterminated[8] = {'C', ':', '\\', 'a', 'b', 'c', 'd', 'e'};
    EXPECT_FALSE(textInFixedRoom(unterminated, sizeof unterminated, text));
    EXPECT_EQ(text, "C:\\a");
    EXPECT_TRUE(textInFixedRoom(full, sizeof full, text));
    EXPECT_EQ(text, "C:\\abcd");
}
