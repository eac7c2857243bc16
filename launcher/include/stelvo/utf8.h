// The launcher's one transcoder between UTF-8 (how it keeps user-visible
// texts) and UTF-16 (the string tables and the boxes). Portable: it needs no
// code page, so the host and fuzz builds use the same code as the program.
#pragma once

#include <string>
#include <string_view>

namespace stelvo {

// Invalid sequences (a lone surrogate, a malformed or overlong UTF-8 sequence) become U+FFFD.
std::string utf16ToUtf8(std::u16string_view text);
std::u16string utf8ToUtf16(std::string_view text);

// The text cut to at most `units`, never between the halves of a surrogate pair.
std::u16string cutUtf16(std::u16string text, std::size_t units);

// The character that `bytes` starts with: the length of its UTF-8 sequence (1
// to 4) with the character in `c`; 0 when `bytes` ends inside a sequence that
// is valid so far; -1 when the first byte starts no valid sequence (malformed,
// overlong, an encoded surrogate, beyond U+10FFFF).
int decodeUtf8(std::string_view bytes, char32_t& c);

// Appends the character as one unit, or two for a surrogate pair.
void appendUtf16(std::u16string& out, char32_t c);

// UTF-16 unit classes.
constexpr bool isHighSurrogate(char16_t u) { return u >= 0xD800 && u <= 0xDBFF; }
constexpr bool isLowSurrogate(char16_t u) { return u >= 0xDC00 && u <= 0xDFFF; }

}  // namespace stelvo
