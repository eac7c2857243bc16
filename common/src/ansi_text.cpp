#include "mirravon/ansi_text.h"

#include <climits>

namespace mirravon {
namespace {

std::nullopt_t Refused(DWORD* error, DWORD code) {
    if (error != nullptr) *error = code;
    return std::nullopt;
}

std::optional<std::string> Narrow(const wchar_t* text, std::size_t units, bool exact, DWORD* error) {
    if (units == 0) return std::string();
    if (units > INT_MAX) return Refused(error, ERROR_ARITHMETIC_OVERFLOW);
    const int length = static_cast<int>(units);
    // UTF-8 as the ANSI code page holds every character and takes neither the
    // best-fit flag nor a default character: only a broken surrogate has no form.
    const bool utf8 = ::GetACP() == CP_UTF8;
    const DWORD flags = !exact ? 0 : utf8 ? WC_ERR_INVALID_CHARS : WC_NO_BEST_FIT_CHARS;
    BOOL usedDefault = FALSE;
    BOOL* const used = exact && !utf8 ? &usedDefault : nullptr;
    const int bytes = ::WideCharToMultiByte(CP_ACP, flags, text, length, nullptr, 0, nullptr, used);
    if (bytes <= 0) return Refused(error, ::GetLastError());
    if (usedDefault) return Refused(error, ERROR_NO_UNICODE_TRANSLATION);
    std::string narrow(static_cast<std::size_t>(bytes), '\0');
    if (::WideCharToMultiByte(CP_ACP, flags, text, length, narrow.data(), bytes, nullptr, nullptr) == 0)
        return Refused(error, ::GetLastError());
    return narrow;
}

}  // namespace

std::optional<std::wstring> WideFromAnsi(const char* text, std::size_t bytes, DWORD* error) {
    // The system refuses a length of 0, which is simply the empty text.
    if (bytes == 0) return std::wstring();
    if (bytes > INT_MAX) return Refused(error, ERROR_ARITHMETIC_OVERFLOW);
    const int length = static_cast<int>(bytes);
    const int units = ::MultiByteToWideChar(CP_ACP, MB_PRECOMPOSED, text, length, nullptr, 0);
    if (units <= 0) return Refused(error, ::GetLastError());
    std::wstring wide(static_cast<std::size_t>(units), L'\0');
    if (::MultiByteToWideChar(CP_ACP, MB_PRECOMPOSED, text, length, wide.data(), units) == 0)
        return Refused(error, ::GetLastError());
    return wide;
}

std::optional<std::string> AnsiFromWide(const wchar_t* text, std::size_t units, DWORD* error) {
    return Narrow(text, units, false, error);
}

std::optional<std::string> AnsiFromWideExactly(const wchar_t* text, std::size_t units, DWORD* error) {
    return Narrow(text, units, true, error);
}

}  // namespace mirravon
