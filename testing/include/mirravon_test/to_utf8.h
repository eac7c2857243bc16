// UTF-16 text as UTF-8, for test messages and comparisons (GoogleTest prints
// std::wstring poorly under MinGW) and for the stand-in VM's strings. A
// surrogate without its partner keeps its own three bytes, so that a message
// still shows what the text held.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace mirravon_test {
namespace detail {

template <typename Unit> std::string utf16ToUtf8(const Unit* units, std::size_t count) {
    std::string out;
    for (std::size_t i = 0; i < count; ++i) {
        std::uint32_t c = static_cast<std::uint16_t>(units[i]);
        const std::uint32_t next = i + 1 < count ? static_cast<std::uint16_t>(units[i + 1]) : 0;
        if (c >= 0xD800 && c < 0xDC00 && next >= 0xDC00 && next < 0xE000) {
            c = 0x10000 + ((c - 0xD800) << 10) + (next - 0xDC00);
            ++i;
        }
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += static_cast<char>(0xE0 | (c >> 12));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (c >> 18));
            out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

}  // namespace detail

inline std::string toUtf8(std::u16string_view text) { return detail::utf16ToUtf8(text.data(), text.size()); }

#ifdef _WIN32
// wchar_t is a UTF-16 unit on Windows.
inline std::string toUtf8(std::wstring_view text) { return detail::utf16ToUtf8(text.data(), text.size()); }
#endif

}  // namespace mirravon_test
