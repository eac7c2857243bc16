// The launcher's Win32 side under Windows itself: what it hands over from the
// system's environment, code page and file names.
#include "win32_platform.h"
#include "mirravon_test/scratch_dir.h"

#include <gtest/gtest.h>

#include <string>

using stelvo::Win32Platform;

TEST(Win32Platform, EnvironmentVariablesAreReadWholeAndAnUnsetOneIsNone) {
    Win32Platform platform;
    const char* const name = "STELVO_PLATFORM_TEST";
    std::string value = "kept";
    ASSERT_TRUE(::SetEnvironmentVariableA(name, nullptr) || ::GetLastError() == ERROR_ENVVAR_NOT_FOUND);
    EXPECT_FALSE(platform.environmentVariable(name, value));
    EXPECT_EQ(value, "kept");
    for (const std::string& set : {std::string("v"), std::string(5000, 'x') + "end"}) {
        ASSERT_TRUE(::SetEnvironmentVariableA(name, set.c_str()));
        EXPECT_TRUE(platform.environmentVariable(name, value));
        EXPECT_EQ(value, set);
    }
    ::SetEnvironmentVariableA(name, nullptr);
}

// The code page here is 1252: a character it holds is taken, one it holds only
// as a look-alike (U+0100 as "A") or not at all is refused.
TEST(Win32Platform, TextIsConvertedToTheAnsiCodePageExactlyOrNotAtAll) {
    ASSERT_EQ(::GetACP(), 1252u);
    Win32Platform platform;
    std::string ansi;
    EXPECT_TRUE(platform.ansiFromUtf16(u"caf\u00e9", ansi));
    EXPECT_EQ(ansi, "caf\xe9");
    EXPECT_FALSE(platform.ansiFromUtf16(u"\u0100", ansi));
    EXPECT_FALSE(platform.ansiFromUtf16(u"\u0414", ansi));
    EXPECT_TRUE(platform.ansiFromUtf16(u"", ansi));
    EXPECT_EQ(ansi, "");
}

// A file in a folder named in Cyrillic has a short path in ANSI characters.
TEST(Win32Platform, AFolderOutsideTheCodePageHasAShortFormInIt) {
    const mirravon_test::ScratchDir dir(L"stelvo-platform");
    dir.folder(L"\u0414\u043e\u043c");
    dir.file(L"\u0414\u043e\u043c\\stelvo.exe");
    const std::wstring file = dir / L"\u0414\u043e\u043c\\stelvo.exe";
    Win32Platform platform;
    std::u16string shortForm;
    ASSERT_TRUE(platform.shortPath(std::u16string(file.begin(), file.end()), shortForm));
    std::string ansi;
    EXPECT_TRUE(platform.ansiFromUtf16(shortForm, ansi)) << ansi;
    EXPECT_NE(ansi.find("\\stelvo.exe"), std::string::npos) << ansi;
    EXPECT_FALSE(platform.shortPath(u"C:\\no such folder\\stelvo.exe", shortForm));
}
