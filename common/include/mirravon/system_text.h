// The system's text for a Windows error code.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

namespace mirravon {

enum class LineEnd { Keep, Trim };

// The system's text for `code` in the ANSI code page, in the system's default
// language, with the line end the system ends it with kept or trimmed; nothing
// when the system has no text for the code.
// Inserts are ignored: a text such as "%1 is not a valid Win32 application"
// would otherwise fail to format without arguments.
std::optional<std::string> SystemTextA(DWORD code, LineEnd lineEnd = LineEnd::Keep);

}  // namespace mirravon
