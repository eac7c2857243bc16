#include "stelvo/text_lines.h"

namespace stelvo {

bool TextLines::next(std::string& line) {
    if (m_pos >= m_text.size()) return false;
    line.clear();
    while (m_pos < m_text.size() && line.size() < kLinePiece) {
        char c = m_text[m_pos++];
        if (c == '\r' && m_pos < m_text.size() && m_text[m_pos] == '\n') c = m_text[m_pos++];
        line.push_back(c);
        if (c == '\n') break;
    }
    const std::size_t nul = line.find('\0');
    if (nul != std::string::npos) line.resize(nul);
    const std::size_t newline = line.find('\n');
    if (newline != std::string::npos) line.erase(newline, 1);
    return true;
}

}  // namespace stelvo
