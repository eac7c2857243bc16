#include "mirravon/ansi_text.h"

#include <gtest/gtest.h>

using namespace mirravon;

TEST(AnsiText, ExactlyRefusesWhatTheCodePageHasNoFormFor) {
    if (::GetACP() != 1252) GTEST_SKIP() << "written for code page 1252";
    EXPECT_EQ(AnsiFromWideExactly(L"C:\\J\u00fcrgen", 9), "C:\\J\xfcrgen");
    EXPECT_EQ(AnsiFromWideExactly(L"", 0), "");
    DWORD error = 0;
    // A character outside the code page, and one with only a look-alike ("A" for U+0100).
    for (const wchar_t* text : {L"C:\\\u898B", L"C:\\\u0100"}) {
        EXPECT_FALSE(AnsiFromWideExactly(text, 4, &error).has_value());
        EXPECT_EQ(error, static_cast<DWORD>(ERROR_NO_UNICODE_TRANSLATION));
        EXPECT_TRUE(AnsiFromWide(text, 4).has_value());  // the lenient form stands in a character
    }
}
