// The error of a failing Win32 call, read at once, before any clean-up or
// logging call can overwrite the thread's last-error value, and the system's
// text for an error code.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

namespace mirravon {

struct Win32Error {
    DWORD code;

    // Call straight after the failing API, as the first thing.
    static Win32Error capture() noexcept { return Win32Error{::GetLastError()}; }
};

enum class LineEnd { Keep, Trim };

// The system's text for `code` in the ANSI code page, in `language` (by
// default the system's default language), with the line end the system ends
// it with kept or trimmed; nothing when the system has no text for the code.
// Inserts are ignored: a text such as "%1 is not a valid Win32 application"
// would otherwise fail to format without arguments.
std::optional<std::string> SystemTextA(DWORD code, LineEnd lineEnd = LineEnd::Keep,
                                       LANGID language = MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT));

}  // namespace mirravon
