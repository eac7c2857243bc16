// The line reading that the settings file and the reference file share: a line
// is read up to its newline, at most 254 characters at a time; each piece is a
// line of its own, with its first newline removed. A CR before a LF goes, as
// text-mode reading does; a text ends at a NUL byte.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace stelvo {

constexpr std::size_t kLinePiece = 254;

class TextLines {
public:
    explicit TextLines(std::string_view text) : m_text(text) {}
    // False at the end of the text.
    bool next(std::string& line);

private:
    std::string_view m_text;
    std::size_t m_pos = 0;
};

}  // namespace stelvo
