// Small Win32 helpers that several test programs and benchmarks share.
#pragma once

#include <windows.h>

#include <string>

namespace mirravon_test {

// The system's text for `code` as FormatMessage gives it, line end included;
// empty when the system has none. Tests compare what reached Java with it.
inline std::string SystemTextOf(DWORD code) {
    char* raw = nullptr;
    const DWORD n = ::FormatMessageA(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code,
        MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), reinterpret_cast<LPSTR>(&raw), 0, nullptr);
    std::string text = n ? std::string(raw, n) : std::string();
    ::LocalFree(raw);
    return text;
}

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
