// Small Win32 helpers that several test programs and benchmarks share.
#pragma once

#include <windows.h>

#include <string>

#include "mirravon/last_error.h"

namespace mirravon_test {

// The system's text for `code` as FormatMessage gives it, line end included;
// empty when the system has none. Tests compare what reached Java with it.
inline std::string SystemTextOf(DWORD code) { return mirravon::SystemTextA(code).value_or(std::string()); }

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
