#include "mirravon/ansi_text.h"

#include <climits>

namespace mirravon {
namespace {

std::nullopt_t Refused(DWORD* error, DWORD code) {
    if (error != nullptr) *error = code;
    return std::nullopt;
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
    if (units == 0) return std::string();
    if (units > INT_MAX) return Refused(error, ERROR_ARITHMETIC_OVERFLOW);
    const int length = static_cast<int>(units);
    const int bytes = ::WideCharToMultiByte(CP_ACP, 0, text, length, nullptr, 0, nullptr, nullptr);
    if (bytes <= 0) return Refused(error, ::GetLastError());
    std::string narrow(static_cast<std::size_t>(bytes), '\0');
    if (::WideCharToMultiByte(CP_ACP, 0, text, length, narrow.data(), bytes, nullptr, nullptr) == 0)
        return Refused(error, ::GetLastError());
    return narrow;
}

}  // namespace mirravon
