// Small Win32 helpers that several test programs and benchmarks share.
#pragma once

#include <windows.h>

#include <string>

#include "mirravon/last_error.h"

namespace mirravon_test {

// The system's text for `code` as FormatMessage gives it, line end included;
// empty when the system has none. Tests compare what reached Java with it.
inline std::string SystemTextOf(DWORD code) { return mirravon::SystemTextA(code).value_or(std::string()); }

// True in the 64-bit test pass: this 32-bit program runs under WOW64, beside
// 64-bit programs and with a 64-bit registry view of its own.
inline bool RunningUnderWow64() {
    BOOL wow64 = FALSE;
    return ::IsWow64Process(::GetCurrentProcess(), &wow64) && wow64;
}

// Skips a case that needs 64-bit Windows when the pass is the 32-bit one.
#define MIRRAVON_SKIP_UNLESS_WOW64()                     \
    if (!::mirravon_test::RunningUnderWow64())           \
    GTEST_SKIP() << "needs a 64-bit Windows: runs in the 64-bit pass"

// Seconds on the performance counter, for benchmarks.
inline double Now() {
    static const LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        ::QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER t;
    ::QueryPerformanceCounter(&t);
    return static_cast<double>(t.QuadPart) / static_cast<double>(frequency.QuadPart);
}

}  // namespace mirravon_test
