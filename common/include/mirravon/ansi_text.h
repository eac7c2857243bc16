// Text between the process's ANSI code page and UTF-16: one converter per
// direction. What a refused conversion means is the caller's decision.
#pragma once

#include <windows.h>

#include <cstddef>
#include <optional>
#include <string>

namespace mirravon {

// The UTF-16 form of `bytes` bytes of ANSI text, with precomposed characters;
// a zero byte among them stays a zero unit. Nothing when the system refuses the
// conversion; its error code is then in `*error`.
std::optional<std::wstring> WideFromAnsi(const char* text, std::size_t bytes, DWORD* error = nullptr);

// The ANSI form of `units` UTF-16 units; a character the code page cannot hold
// becomes its default character. Nothing when the system refuses the
// conversion; its error code is then in `*error`.
std::optional<std::string> AnsiFromWide(const wchar_t* text, std::size_t units, DWORD* error = nullptr);

}  // namespace mirravon
