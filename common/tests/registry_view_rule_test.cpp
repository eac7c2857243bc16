// The registry view rule, on the host: which view's key answers for values
// read together. The Win32 open and the launcher's discovery use it as it is.
#include "mirravon/registry_view_rule.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace mirravon {
namespace {

using Reads = std::vector<ValueRead>;

// A key that opened, whose values read as `reads`; how many were read.
KeyAnswer AnswerOf(const Reads& reads, int* asked = nullptr) {
    int n = 0;
    const KeyAnswer answer = AnswerOfKey(true, reads, [&](ValueRead read) {
        ++n;
        return read;
    });
    if (asked) *asked = n;
    return answer;
}

// A value that is there settles the view, also when its read refuses it; a
// read that fails for any other reason counts as the value absent.
TEST(RegistryViewRule, OnlyAValueShownToBeThereSettlesTheView) {
    EXPECT_EQ(AnswerOf({ValueRead::Read}), KeyAnswer::HoldsSome);
    EXPECT_EQ(AnswerOf({ValueRead::NotFound, ValueRead::Refused}), KeyAnswer::HoldsSome);
    EXPECT_EQ(AnswerOf({ValueRead::NotFound, ValueRead::Failed}), KeyAnswer::HoldsNone);
    int asked = 0;
    EXPECT_EQ(AnswerOf({ValueRead::Read, ValueRead::Failed}, &asked), KeyAnswer::HoldsSome);
    EXPECT_EQ(asked, 1) << "the first value there settles it";
    // A key asked for alone answers when it opens; one that does not open holds nothing.
    EXPECT_EQ(AnswerOf({}), KeyAnswer::HoldsSome);
    EXPECT_EQ(AnswerOfKey(false, Reads{ValueRead::Read}, [](ValueRead read) { return read; }), KeyAnswer::NotOpened);
}

TEST(RegistryViewRule, OneViewAnswersForAllValues) {
    constexpr KeyAnswer kNoKey = KeyAnswer::NotOpened, kNone = KeyAnswer::HoldsNone, kSome = KeyAnswer::HoldsSome;
    struct Case {
        KeyAnswer inDefault, inOther;
        std::optional<KeyView> answering;
        bool otherAsked;
    };
    const Case cases[] = {
        {kSome, kSome, KeyView::Default, false},  // the default view first, the other never asked
        {kNone, kSome, KeyView::Other, true},     // a default key that holds none sends all to the other
        {kNoKey, kSome, KeyView::Other, true},
        {kNone, kNone, KeyView::Default, true},  // nothing anywhere: an opened key reports all absent
        {kNone, kNoKey, KeyView::Default, true},
        {kNoKey, kNone, KeyView::Other, true},
        {kNoKey, kNoKey, std::nullopt, true},
    };
    for (const Case& c : cases) {
        bool otherAsked = false;
        const auto answering = AnsweringView([&](KeyView view) {
            if (view == KeyView::Default) return c.inDefault;
            otherAsked = true;
            return c.inOther;
        });
        const std::string name =
            std::to_string(static_cast<int>(c.inDefault)) + "/" + std::to_string(static_cast<int>(c.inOther));
        EXPECT_EQ(answering, c.answering) << name;
        EXPECT_EQ(otherAsked, c.otherAsked) << name;
    }
}

}  // namespace
}  // namespace mirravon
