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

// The ANSI form of `units` UTF-16 units only when the code page holds every
// character as it is (no best-fit look-alike, no default character), as a path
// must be to name the same file; nothing otherwise (ERROR_NO_UNICODE_TRANSLATION
// in `*error` for a character without its form).
std::optional<std::string> AnsiFromWideExactly(const wchar_t* text, std::size_t units, DWORD* error = nullptr);

}  // namespace mirravon
