// Checks on the `user_err_t` records the bridge throws.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "failure/native_failure.h"
#include "mirravon_test/caller.h"

namespace toolbridge_test {

struct ToolFailure {
    bool thrown = false;
    int code = 0;
    std::vector<std::string> texts;
};

// Runs `action` and reports the `user_err_t` it threw, if any.
template <typename F> ToolFailure failureOf(F&& action) {
    ToolFailure failure;
    try {
        action();
    } catch (const user_err_t& error) {
        failure.thrown = true;
        failure.code = static_cast<int>(error.code);
        for (const auto& text : error.args) failure.texts.emplace_back(text);
    }
    return failure;
}

inline void expectFailure(const ToolFailure& failure, int code, const std::vector<std::string>& texts,
                          mirravon_test::Caller where = {}) {
    const mirravon_test::CallerTrace trace(where);
    EXPECT_TRUE(failure.thrown) << "no user_err_t was thrown";
    EXPECT_EQ(failure.code, code);
    EXPECT_EQ(failure.texts, texts);
}

}  // namespace toolbridge_test
