// The rules for the tool's home directory and the paths made from it.
#include <gtest/gtest.h>

#include <string>

#include "toolbridge/home_path.h"

using namespace toolbridge;

namespace {

bool shiftJisLead(unsigned char b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }
bool noLead(unsigned char) { return false; }

TEST(HomePath, BackslashIsAppendedOnlyWhenTheLastCharacterIsNotOne) {
    EXPECT_EQ(ToolHomeFromValue("C:\\Apps\\Tool", noLead), "C:\\Apps\\Tool\\");
    EXPECT_EQ(ToolHomeFromValue("C:\\Apps\\Tool\\", noLead), "C:\\Apps\\Tool\\");
    EXPECT_EQ(ToolHomeFromValue("Tool", noLead), "Tool\\");
    EXPECT_EQ(ToolHomeFromValue("", noLead), "");
}

TEST(HomePath, TrailByteEqualToBackslashIsNoBackslash) {
    // In Shift-JIS 0x83 0x5C is one character whose second byte is "\".
    EXPECT_FALSE(EndsWithBackslash("C:\\\x83\x5c", shiftJisLead));
    EXPECT_EQ(ToolHomeFromValue("C:\\\x83\x5c", shiftJisLead), "C:\\\x83\x5c\\");
    EXPECT_TRUE(EndsWithBackslash("C:\\\x83\x5c\\", shiftJisLead));
    // Without a double-byte code page the same bytes end in a backslash.
    EXPECT_TRUE(EndsWithBackslash("C:\\\x83\x5c", noLead));
    // A lead byte cut off at the end is a character of its own.
    EXPECT_FALSE(EndsWithBackslash("ab\x83", shiftJisLead));
}

TEST(HomePath, ValuesThatDoNotFitAPathAreTreatedAsUnset) {
    const std::string fits(258, 'a');  // 258 + "\" + terminator = 260
    EXPECT_EQ(ToolHomeFromValue(fits, noLead), fits + "\\");
    EXPECT_EQ(ToolHomeFromValue(std::string(259, 'a'), noLead), "");
    EXPECT_EQ(ToolHomeFromValue(std::string(259, 'a') + "\\", noLead), "");
    EXPECT_EQ(ToolHomeFromValue(std::string(258, 'a') + "\\", noLead), std::string(258, 'a') + "\\");
}

TEST(HomePath, JoinedPathsAreRefusedRatherThanCut) {
    EXPECT_EQ(JoinToolPath("C:\\T\\", "kvxsys.dll"), std::optional<std::string>("C:\\T\\kvxsys.dll"));
    const std::string home(249, 'h');
    EXPECT_TRUE(JoinToolPath(home, "kvxsys.dll").has_value());  // 259 + terminator
    EXPECT_FALSE(JoinToolPath(home + "h", "kvxsys.dll").has_value());
}

}  // namespace
