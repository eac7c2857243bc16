// The line reading that the settings file and the reference file share: a line
// is read up to its newline, at most 254 characters at a time; each piece is a
// line of its own, with its first newline removed. A CR before a LF goes, as
// text-mode reading does; a piece's text ends at a NUL byte. A UTF-8 byte-order
// mark at the very start is skipped (editors write one; no ANSI file begins so).
// The text comes chunk by chunk, so memory stays bounded whatever its length.
#pragma once

#include "stelvo/chunk_reader.h"

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace stelvo {

constexpr std::size_t kLinePiece = 254;

class TextLines {
public:
    explicit TextLines(ChunkReader& reader);
    // Text in memory, which must outlive the reader.
    explicit TextLines(std::string_view text);
    // False at the end of the text.
    bool next(std::string& line);

private:
    // Keeps what is unread and reads more behind it; false when nothing more came.
    bool fill();
    void skipByteOrderMark();

    std::unique_ptr<MemoryReader> m_memory;
    ChunkReader& m_reader;
    std::vector<char> m_buffer;
    std::size_t m_begin = 0;
    std::size_t m_end = 0;
    bool m_started = false;
};

// The split of a key=value line that both files share: the key is the text
// before the first "=", the value everything after it; nothing is trimmed.
// False for a line without "=" or whose first character is "=".
bool splitKeyValue(std::string_view line, std::string_view& key, std::string_view& value);

}  // namespace stelvo
