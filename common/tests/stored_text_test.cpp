// The stored registry text rule, on the host, with each caller's room.
#include "mirravon/stored_text.h"

#include <gtest/gtest.h>

#include <string>

namespace mirravon {
namespace {

TEST(StoredTextLength, EndsAtTerminatorOrDataWithinTheBuffer) {
    const char16_t terminated[] = {u'a', u'b', 0, u'x'};
    EXPECT_EQ(StoredTextLength(terminated, 8, SameRoom(4)), 2u);
    // Only a terminator (a 2-byte value): the empty text, present.
    const char16_t only[] = {0};
    EXPECT_EQ(StoredTextLength(only, 2, SameRoom(4)), 0u);
    // No terminator stored: the text ends with the data while one still fits...
    const char16_t bare[] = {u'a', u'b', u'c', u'?'};
    EXPECT_EQ(StoredTextLength(bare, 6, SameRoom(4)), 3u);
    // ...and counts as absent when the buffer has no room left for it.
    EXPECT_FALSE(StoredTextLength(bare, 8, SameRoom(4)).has_value());
    // An odd trailing byte is no unit.
    EXPECT_EQ(StoredTextLength(bare, 7, SameRoom(4)), 3u);
    // More bytes than the buffer holds never reads beyond it.
    EXPECT_FALSE(StoredTextLength(bare, 10, SameRoom(4)).has_value());
}

// tavroos's string values: size 0 is absent, and so is a text the destination
// cannot hold with its terminator.
TEST(StoredTextLength, EmptyDataAndTheDestinationsRoom) {
    const char16_t only[] = {0};
    const char16_t terminated[] = {u'a', u'b', 0, u'x'};
    EXPECT_EQ(StoredTextLength(only, 0, SameRoom(4)), 0u);
    EXPECT_FALSE(StoredTextLength(only, 0, StoredTextRoom{4, 4, true}).has_value());
    EXPECT_EQ(StoredTextLength(only, 2, StoredTextRoom{4, 1, true}), 0u);
    EXPECT_EQ(StoredTextLength(terminated, 8, StoredTextRoom{4, 3, true}), 2u);
    EXPECT_FALSE(StoredTextLength(terminated, 8, StoredTextRoom{4, 2, true}).has_value());
}

// The launcher's ANSI values in 255 bytes, terminator included.
TEST(StoredTextLength, NarrowBytesInTheLaunchersRoom) {
    const auto length = [](const std::string& data) {
        return StoredTextLength(data.data(), data.size(), SameRoom(255));
    };
    using namespace std::string_literals;
    EXPECT_EQ(length("7.0\0junk"s), 3u);
    EXPECT_EQ(length("7.0"), 3u);  // stored without a terminator
    EXPECT_EQ(length(std::string(254, '9') + '\0'), 254u);
    EXPECT_EQ(length(std::string(254, '9')), 254u);
    EXPECT_FALSE(length(std::string(255, '9')).has_value());  // no room left for the terminator
    EXPECT_EQ(length("7.0\0"s + std::string(251, 'x')), 3u);
    EXPECT_FALSE(length("7.0\0"s + std::string(252, 'x')).has_value());  // 256 bytes, however short the text
}

}  // namespace
}  // namespace mirravon
