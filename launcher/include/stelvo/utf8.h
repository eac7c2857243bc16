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

}  // namespace stelvo
