// Diagnostics of tavrodvxjni: single lines on the debugger output, no line end.
#pragma once

#include <windows.h>

#include <string>

inline void DebugLine(const std::string& line) { ::OutputDebugStringA(line.c_str()); }

// A number the way "%d" prints it.
inline std::string DecimalText(unsigned long value) { return std::to_string(static_cast<long>(value)); }
