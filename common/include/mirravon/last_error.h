// The error of a failing Win32 call, read at once, before any clean-up or
// logging call can overwrite the thread's last-error value.
#pragma once

#include <windows.h>

#include <string>

namespace mirravon {

struct Win32Error {
    DWORD code;

    // Call straight after the failing API, as the first thing.
    static Win32Error capture() noexcept { return Win32Error{::GetLastError()}; }
};

// The system's text for `code` in the ANSI code page, without the trailing line
// end; empty when the system has none.
std::string systemMessageA(DWORD code);

}  // namespace mirravon
