#include "stelvo/text_lines.h"

#include "stelvo/platform.h"

#include <algorithm>
#include <cstring>

namespace stelvo {

std::size_t MemoryReader::read(char* buffer, std::size_t room) {
    const std::size_t n = std::min({room, m_chunk, m_text.size()});
    std::memcpy(buffer, m_text.data(), n);
    m_text.remove_prefix(n);
    return n;
}

TextLines::TextLines(std::unique_ptr<ChunkReader> file, Reopen again, Platform& platform)
    : m_file(std::move(file)),
      m_decoder(*m_file, std::move(again), platform),
      m_buffer(new char[kReadChunk]),
      m_faults(new TextFault[kReadChunk]) {}

TextLines::TextLines(std::string_view text, Platform& platform, std::size_t chunk)
    : TextLines(
          std::make_unique<MemoryReader>(text, chunk), [text] { return std::make_unique<MemoryReader>(text); },
          platform) {}

bool TextLines::fill() {
    if (m_begin > 0) {
        std::memmove(m_buffer.get(), m_buffer.get() + m_begin, m_end - m_begin);
        std::copy(m_faults.get() + m_begin, m_faults.get() + m_end, m_faults.get());
        m_end -= m_begin;
        m_begin = 0;
    }
    if (m_end == kReadChunk) return false;
    const std::size_t got = m_decoder.read(m_buffer.get() + m_end, m_faults.get() + m_end, kReadChunk - m_end);
    m_end += got;
    return got > 0;
}

bool TextLines::next(std::string& line) {
    if (m_begin == m_end && !fill()) return false;
    line.clear();
    m_fault = TextFault::None;
    m_faultAt = std::string::npos;
    while (line.size() < kLinePiece) {
        if (m_begin == m_end && !fill()) break;
        // Copy the run up to the next line end, CR or the piece's limit at once.
        const std::size_t limit = std::min(m_end - m_begin, kLinePiece - line.size());
        const char* run = m_buffer.get() + m_begin;
        std::size_t n = 0;
        while (n < limit && run[n] != '\n' && run[n] != '\r') ++n;
        if (m_faultAt == std::string::npos && m_decoder.faulted()) {
            const TextFault* faults = m_faults.get() + m_begin;
            const TextFault* first = std::find_if(faults, faults + n, [](TextFault f) { return f != TextFault::None; });
            if (first != faults + n) {
                m_fault = *first;
                m_faultAt = line.size() + static_cast<std::size_t>(first - faults);
            }
        }
        line.append(run, n);
        m_begin += n;
        if (n == limit) continue;
        char c = m_buffer[m_begin++];
        if (c == '\r' && (m_begin < m_end || fill()) && m_buffer[m_begin] == '\n') c = m_buffer[m_begin++];
        line.push_back(c);
        if (c == '\n') break;
    }
    const std::size_t nul = line.find('\0');
    if (nul != std::string::npos) {
        line.resize(nul);
        if (m_faultAt != std::string::npos && m_faultAt >= nul) {
            m_fault = TextFault::None;
            m_faultAt = std::string::npos;
        }
    }
    const std::size_t newline = line.find('\n');
    if (newline != std::string::npos) line.erase(newline, 1);
    return true;
}

std::unique_ptr<TextLines> openTextLines(Platform& platform, const std::string& path) {
    std::unique_ptr<ChunkReader> file = platform.openFile(path);
    if (!file) return nullptr;
    return std::make_unique<TextLines>(
        std::move(file), [&platform, path] { return platform.openFile(path); }, platform);
}

bool splitKeyValue(std::string_view line, std::string_view& key, std::string_view& value) {
    const std::size_t equals = line.find('=');
    if (equals == std::string_view::npos || equals == 0) return false;
    key = line.substr(0, equals);
    value = line.substr(equals + 1);
    return true;
}

bool splitPiece(const TextLines& lines, std::string_view line, std::string_view& key, std::string_view& value,
                TextFault& fault) {
    if (!splitKeyValue(line, key, value) || lines.faultAt() < key.size()) return false;
    // The "=" is never a fault's placeholder, so any fault left stands in the value.
    fault = lines.fault();
    return true;
}

}  // namespace stelvo
