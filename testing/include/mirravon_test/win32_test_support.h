// Small Win32 helpers that several test programs and benchmarks share.
#pragma once

#include <windows.h>
#include <winioctl.h>

#include <string>

#include "mirravon/system_text.h"
#include "mirravon/unique_owner.h"

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
#define MIRRAVON_SKIP_UNLESS_WOW64() \
    if (!::mirravon_test::RunningUnderWow64()) GTEST_SKIP() << "needs a 64-bit Windows: runs in the 64-bit pass"

// True where programs of both architectures run: a 64-bit process, or a 32-bit
// one under WOW64. The cases that need a program of the other architecture.
inline bool RunningOn64BitWindows() { return sizeof(void*) == 8 || RunningUnderWow64(); }

#define MIRRAVON_SKIP_UNLESS_64BIT_WINDOWS() \
    if (!::mirravon_test::RunningOn64BitWindows()) GTEST_SKIP() << "needs a 64-bit Windows: runs in the 64-bit pass"

// True where this process has a second registry view: on a 64-bit Windows.
inline bool HasOtherRegistryView() { return RunningOn64BitWindows(); }

// Skips a case that needs the other registry view where there is none.
#define MIRRAVON_SKIP_UNLESS_OTHER_VIEW() \
    if (!::mirravon_test::HasOtherRegistryView()) GTEST_SKIP() << "needs a 64-bit Windows: runs in the 64-bit pass"

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

// Makes a file of `size` bytes that holds `head` and `tail` around a hole of
// zeros, marked sparse so the hole costs no disk space; false when it cannot.
inline bool WriteSparseFile(const std::string& path, const std::string& head, LONGLONG size, const std::string& tail) {
    mirravon::unique_hfile file(
        ::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    DWORD done = 0;
    ::DeviceIoControl(file.get(), FSCTL_SET_SPARSE, nullptr, 0, nullptr, 0, &done, nullptr);
    LARGE_INTEGER at;
    at.QuadPart = size - static_cast<LONGLONG>(tail.size());
    return ::WriteFile(file.get(), head.data(), static_cast<DWORD>(head.size()), &done, nullptr) &&
           ::SetFilePointerEx(file.get(), at, nullptr, FILE_BEGIN) &&
           ::WriteFile(file.get(), tail.data(), static_cast<DWORD>(tail.size()), &done, nullptr);
}

}  // namespace mirravon_test
