#include "stelvo/text_lines.h"

#include <algorithm>
#include <cstring>

namespace stelvo {
namespace {

// Big enough that a file is read in few calls, small enough to be a constant.
constexpr std::size_t kChunk = 64 * 1024;
constexpr char kByteOrderMark[] = "\xEF\xBB\xBF";

}  // namespace

std::size_t MemoryReader::read(char* buffer, std::size_t room) {
    const std::size_t n = std::min({room, m_chunk, m_text.size()});
    std::memcpy(buffer, m_text.data(), n);
    m_text.remove_prefix(n);
    return n;
}

TextLines::TextLines(ChunkReader& reader) : m_reader(reader), m_buffer(kChunk) {}

TextLines::TextLines(std::string_view text)
    : m_memory(std::make_unique<MemoryReader>(text)), m_reader(*m_memory), m_buffer(kChunk) {}

bool TextLines::fill() {
    if (m_begin > 0) {
        std::memmove(m_buffer.data(), m_buffer.data() + m_begin, m_end - m_begin);
        m_end -= m_begin;
        m_begin = 0;
    }
    if (m_end == m_buffer.size()) return false;
    const std::size_t got = m_reader.read(m_buffer.data() + m_end, m_buffer.size() - m_end);
    m_end += got;
    return got > 0;
}

void TextLines::skipByteOrderMark() {
    const std::size_t size = sizeof kByteOrderMark - 1;
    while (m_end - m_begin < size && fill()) {}
    if (m_end - m_begin >= size && std::memcmp(m_buffer.data() + m_begin, kByteOrderMark, size) == 0) m_begin += size;
}

bool TextLines::next(std::string& line) {
    if (!m_started) {
        m_started = true;
        skipByteOrderMark();
    }
    if (m_begin == m_end && !fill()) return false;
    line.clear();
    while (line.size() < kLinePiece) {
        if (m_begin == m_end && !fill()) break;
        // Copy the run up to the next line end, CR or the piece's limit at once.
        const std::size_t limit = std::min(m_end - m_begin, kLinePiece - line.size());
        const char* run = m_buffer.data() + m_begin;
        std::size_t n = 0;
        while (n < limit && run[n] != '\n' && run[n] != '\r') ++n;
        line.append(run, n);
        m_begin += n;
        if (n == limit) continue;
        char c = m_buffer[m_begin++];
        if (c == '\r' && (m_begin < m_end || fill()) && m_buffer[m_begin] == '\n') c = m_buffer[m_begin++];
        line.push_back(c);
        if (c == '\n') break;
    }
    const std::size_t nul = line.find('\0');
    if (nul != std::string::npos) line.resize(nul);
    const std::size_t newline = line.find('\n');
    if (newline != std::string::npos) line.erase(newline, 1);
    return true;
}

bool splitKeyValue(std::string_view line, std::string_view& key, std::string_view& value) {
    const std::size_t equals = line.find('=');
    if (equals == std::string_view::npos || equals == 0) return false;
    key = line.substr(0, equals);
    value = line.substr(equals + 1);
    return true;
}

}  // namespace stelvo
