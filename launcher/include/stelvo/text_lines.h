// The line reading that the settings file and the reference file share: a line
// is read up to its newline, at most 254 characters at a time; each piece is a
// line of its own, with its first newline removed. A CR before a LF goes, as
// text-mode reading does; a piece's text ends at a NUL byte. The text is the
// file's as ANSI bytes, whatever encoding it was written in (text_decoder.h),
// so widths count the bytes the record holds. It comes chunk by chunk, so
// memory stays bounded whatever its length.
#pragma once

#include "stelvo/chunk_reader.h"
#include "stelvo/text_decoder.h"

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

namespace stelvo {

class Platform;

constexpr std::size_t kLinePiece = 254;

class TextLines {
public:
    // A file's lines; `again` opens the file once more (see TextDecoder).
    TextLines(std::unique_ptr<ChunkReader> file, Reopen again, Platform& platform);
    // Text in memory, which must outlive the reader, handed over at most
    // `chunk` bytes a read.
    TextLines(std::string_view text, Platform& platform, std::size_t chunk = static_cast<std::size_t>(-1));
    // The decoder reads through the file this reader owns.
    TextLines(const TextLines&) = delete;
    TextLines& operator=(const TextLines&) = delete;
    // False at the end of the text.
    bool next(std::string& line);
    // The first fault the last piece holds (TextFault::None when it holds
    // none) and where in the piece it stands (npos when none).
    TextFault fault() const noexcept { return m_fault; }
    std::size_t faultAt() const noexcept { return m_faultAt; }

private:
    // Keeps what is unread and reads more behind it; false when nothing more came.
    bool fill();

    std::unique_ptr<ChunkReader> m_file;
    TextDecoder m_decoder;
    // kReadChunk bytes with their faults, not value-initialised.
    std::unique_ptr<char[]> m_buffer;
    std::unique_ptr<TextFault[]> m_faults;
    std::size_t m_begin = 0;
    std::size_t m_end = 0;
    TextFault m_fault = TextFault::None;
    std::size_t m_faultAt = std::string::npos;
};

// The lines of the file at `path`; null when the platform cannot open it.
std::unique_ptr<TextLines> openTextLines(Platform& platform, const std::string& path);

// The split of a key=value line that both files share: the key is the text
// before the first "=", the value everything after it; nothing is trimmed.
// False for a line without "=" or whose first character is "=".
bool splitKeyValue(std::string_view line, std::string_view& key, std::string_view& value);

// splitKeyValue over the piece `lines` read last, which is `line`; false, too,
// when the key holds a fault: every key the launcher looks for is one the code
// page holds. `fault` is the value's (TextFault::None when it holds none).
bool splitPiece(const TextLines& lines, std::string_view line, std::string_view& key, std::string_view& value,
                TextFault& fault);

}  // namespace stelvo
