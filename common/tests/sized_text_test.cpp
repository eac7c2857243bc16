// The sized-call rule, on the host, against a stand-in that answers as the
// Win32 functions do.
#include "mirravon/sized_text.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace mirravon {
namespace {

// Answers with `texts` in turn (the value as it stands at each call); "" fails.
struct SizedStandIn {
    std::vector<std::string> texts;
    std::size_t calls = 0;
    unsigned long operator()(char* buffer, unsigned long room) {
        const std::string& text = texts.at(calls++);
        if (text.empty()) return 0;
        if (text.size() + 1 > room) return static_cast<unsigned long>(text.size() + 1);
        std::memcpy(buffer, text.c_str(), text.size() + 1);
        return static_cast<unsigned long>(text.size());
    }
};

TEST(TextOfSizedCall, TheWholeTextOrNone) {
    SizedStandIn steady{{"C:\\a b", "C:\\a b"}};
    EXPECT_EQ(TextOfSizedCall<char>(steady), std::optional<std::string>("C:\\a b"));
    EXPECT_EQ(steady.calls, 2u);

    // Grown between the size query and the read: no cut text, no second try.
    SizedStandIn grown{{"C:\\a", "C:\\a longer"}};
    EXPECT_EQ(TextOfSizedCall<char>(grown), std::nullopt);
    EXPECT_EQ(grown.calls, 2u);

    SizedStandIn failsFirst{{""}};
    EXPECT_EQ(TextOfSizedCall<char>(failsFirst), std::nullopt);
    SizedStandIn failsSecond{{"C:\\a", ""}};
    EXPECT_EQ(TextOfSizedCall<char>(failsSecond), std::nullopt);
}

}  // namespace
}  // namespace mirravon
