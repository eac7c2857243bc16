// The test line that called a check helper. A helper that checks for its caller
// takes `Caller where = {}` as its last parameter and opens a `CallerTrace`
// first, so that each of its failures also names that line. The builtins in the
// member initialisers are evaluated where the defaulted argument is made: at the
// call (GCC and Clang).
#pragma once

#include <gtest/gtest.h>

namespace mirravon_test {

struct Caller {
    const char* file = __builtin_FILE();
    int line = __builtin_LINE();
};

class CallerTrace {
public:
    explicit CallerTrace(const Caller& where) : m_trace(where.file, where.line, "called from here") {}

private:
    ::testing::ScopedTrace m_trace;
};

}  // namespace mirravon_test
