#include "stelvo/text_decoder.h"

#include "stelvo/platform.h"
#include "stelvo/utf8.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string_view>

namespace stelvo {
namespace {

// What stands in the text for a character that has no exact ANSI form: not a
// line end, "=", ";", "[" or a blank, so a line keeps the shape it has.
constexpr char kPlaceholder = '?';

// How many bytes at the start of `bytes` are ASCII, eight at a time where it can.
std::size_t asciiPrefix(const char* bytes, std::size_t count) {
    std::size_t i = 0;
    for (std::uint64_t eight = 0; i + 8 <= count; i += 8) {
        std::memcpy(&eight, bytes + i, 8);
        if (eight & 0x8080808080808080u) break;
    }
    while (i < count && static_cast<unsigned char>(bytes[i]) < 0x80) ++i;
    return i;
}

}  // namespace

const char* faultReason(TextFault fault) {
    switch (fault) {
    case TextFault::NotInCodePage: return "a character that the ANSI code page cannot hold exactly";
    case TextFault::BrokenUtf8: return "a broken UTF-8 sequence";
    case TextFault::BrokenUtf16: return "a broken UTF-16 sequence";
    case TextFault::None: break;
    }
    return "";
}

bool holdsUtf8Text(ChunkReader& reader) {
    // Not value-initialised: a buffer of this size is made for every file read.
    const std::unique_ptr<char[]> buffer(new char[kReadChunk]);
    std::size_t kept = 0;
    bool nonAscii = false;
    for (;;) {
        const std::size_t got = reader.read(buffer.get() + kept, kReadChunk - kept);
        const std::size_t end = kept + got;
        std::size_t i = 0;
        while (i < end) {
            char32_t c = 0;
            const int length = decodeUtf8(std::string_view(buffer.get() + i, end - i), c);
            // A sequence that the chunk cuts is judged with the bytes that follow; the end cuts it for good.
            if (length == 0 && got > 0) break;
            if (length <= 0) return false;
            nonAscii = nonAscii || length > 1;
            i += static_cast<std::size_t>(length);
        }
        if (got == 0) return nonAscii;
        kept = end - i;
        std::memmove(buffer.get(), buffer.get() + i, kept);
    }
}

TextDecoder::TextDecoder(ChunkReader& file, Reopen again, Platform& platform)
    : m_file(file), m_again(std::move(again)), m_platform(platform), m_raw(new char[kReadChunk]) {}

std::size_t TextDecoder::read(char* bytes, TextFault* faults, std::size_t room) {
    // Text read as it stands (ANSI, or ASCII so far) goes straight to the
    // caller: a big ANSI or ASCII file costs no more than reading it.
    const bool asItStands = m_encoding == Encoding::Ansi || m_encoding == Encoding::Undecided;
    if (asItStands && m_started && !m_ended && m_outBegin == m_out.size() && m_rawBegin == m_rawEnd) {
        const std::size_t got = m_file.read(bytes, std::min(room, kReadChunk));
        if (got == 0) m_ended = true;
        const std::size_t exact = m_encoding == Encoding::Ansi ? got : asciiPrefix(bytes, got);
        std::fill_n(faults, exact, TextFault::None);
        // The first non-ASCII byte decides, on the way every other byte takes.
        std::memcpy(m_raw.get(), bytes + exact, got - exact);
        m_rawBegin = 0;
        m_rawEnd = got - exact;
        if (exact > 0) return exact;
    }
    while (m_outBegin == m_out.size()) {
        m_out.clear();
        m_outFaults.clear();
        m_outBegin = 0;
        if (!produce()) return 0;
    }
    const std::size_t n = std::min(room, m_out.size() - m_outBegin);
    std::memcpy(bytes, m_out.data() + m_outBegin, n);
    std::copy_n(m_outFaults.begin() + static_cast<std::ptrdiff_t>(m_outBegin), n, faults);
    m_outBegin += n;
    return n;
}

// Decodes what one more read brings; false once everything has been handed over.
bool TextDecoder::produce() {
    if (!m_started) {
        m_started = true;
        readByteOrderMark();
    } else if (!m_ended) {
        refill();
    }
    if (m_ended && m_rawBegin == m_rawEnd) return false;
    decode();
    return true;
}

void TextDecoder::refill() {
    std::memmove(m_raw.get(), m_raw.get() + m_rawBegin, m_rawEnd - m_rawBegin);
    m_rawEnd -= m_rawBegin;
    m_rawBegin = 0;
    const std::size_t got = m_file.read(m_raw.get() + m_rawEnd, kReadChunk - m_rawEnd);
    m_rawEnd += got;
    if (got == 0) m_ended = true;
}

void TextDecoder::readByteOrderMark() {
    while (m_rawEnd < 3 && !m_ended) refill();
    const std::string_view start(m_raw.get(), m_rawEnd);
    if (start.substr(0, 3) == "\xEF\xBB\xBF") m_encoding = Encoding::Utf8, m_rawBegin = 3;
    else if (start.substr(0, 2) == "\xFF\xFE") m_encoding = Encoding::Utf16LE, m_rawBegin = 2;
    else if (start.substr(0, 2) == "\xFE\xFF") m_encoding = Encoding::Utf16BE, m_rawBegin = 2;
}

// Without a mark, ASCII reads alike as ANSI and as UTF-8, so the first
// non-ASCII byte decides, and it decides for the whole file: a file is UTF-8
// only when all of it is valid UTF-8, which a look at the first chunk cannot
// tell (an ANSI file may hold a pair of bytes that looks like UTF-8 early and
// an accented letter that is not later). The check reads the file once more,
// in constant memory; a file of ASCII alone, however big, is read only once.
TextDecoder::Encoding TextDecoder::decideWithoutMark() {
    const std::unique_ptr<ChunkReader> again = m_again ? m_again() : nullptr;
    return again && holdsUtf8Text(*again) ? Encoding::Utf8 : Encoding::Ansi;
}

void TextDecoder::decode() {
    const char* raw = m_raw.get();
    std::size_t i = m_rawBegin;
    const std::size_t end = m_rawEnd;
    const auto unitAt = [&](std::size_t at) {
        const auto first = static_cast<unsigned char>(raw[at]), second = static_cast<unsigned char>(raw[at + 1]);
        return static_cast<char16_t>(m_encoding == Encoding::Utf16LE ? first | second << 8 : first << 8 | second);
    };
    bool waiting = false;  // the rest starts a character whose next bytes are still to come
    while (i < end && !waiting) {
        switch (m_encoding) {
        case Encoding::Undecided: {
            const std::size_t ascii = i + asciiPrefix(raw + i, end - i);
            emitExact(raw + i, ascii - i);
            i = ascii;
            if (i < end) m_encoding = decideWithoutMark();
            break;
        }
        case Encoding::Ansi:
            emitExact(raw + i, end - i);
            i = end;
            break;
        case Encoding::Utf8: {
            char32_t c = 0;
            const int length = decodeUtf8(std::string_view(raw + i, end - i), c);
            if (length == 0 && !m_ended) {
                waiting = true;
            } else if (length <= 0) {
                emitFault(TextFault::BrokenUtf8);
                ++i;
            } else {
                emitCharacter(c);
                i += static_cast<std::size_t>(length);
            }
            break;
        }
        case Encoding::Utf16LE:
        case Encoding::Utf16BE: {
            const std::size_t left = end - i;
            const char16_t unit = left >= 2 ? unitAt(i) : 0;
            const bool pair = left >= 2 && isHighSurrogate(unit);
            if ((left < 2 || (pair && left < 4)) && !m_ended) {
                waiting = true;
            } else if (left < 2) {
                // An odd byte count: the last byte is half a unit.
                emitFault(TextFault::BrokenUtf16);
                i = end;
            } else if (pair && left >= 4 && isLowSurrogate(unitAt(i + 2))) {
                emitCharacter(0x10000 + ((static_cast<char32_t>(unit) - 0xD800) << 10) + (unitAt(i + 2) - 0xDC00));
                i += 4;
            } else if (pair || isLowSurrogate(unit)) {
                emitFault(TextFault::BrokenUtf16);
                i += 2;
            } else {
                emitCharacter(unit);
                i += 2;
            }
            break;
        }
        }
    }
    flushRun();
    m_rawBegin = i;
}

void TextDecoder::emitExact(const char* bytes, std::size_t count) {
    m_out.append(bytes, count);
    m_outFaults.insert(m_outFaults.end(), count, TextFault::None);
}

void TextDecoder::emitCharacter(char32_t c) {
    if (c >= 0x80) {
        appendUtf16(m_run, c);
        return;
    }
    flushRun();
    const char ascii = static_cast<char>(c);
    emitExact(&ascii, 1);
}

void TextDecoder::emitFault(TextFault fault) {
    flushRun();
    emitPlaceholder(fault);
}

void TextDecoder::emitPlaceholder(TextFault fault) {
    m_faulted = true;
    m_out.push_back(kPlaceholder);
    m_outFaults.push_back(fault);
}

// Every ANSI code page holds ASCII as it is, so only runs of other characters
// go to the platform: a run at once, and only when the code page refuses one
// of its characters, each character on its own to find which.
void TextDecoder::flushRun() {
    if (m_run.empty()) return;
    std::string ansi;
    if (m_platform.ansiFromUtf16(m_run, ansi)) {
        emitExact(ansi.data(), ansi.size());
    } else {
        for (std::size_t i = 0; i < m_run.size();) {
            const std::size_t units = isHighSurrogate(m_run[i]) ? 2 : 1;
            if (m_platform.ansiFromUtf16(std::u16string_view(m_run).substr(i, units), ansi)) {
                emitExact(ansi.data(), ansi.size());
            } else {
                emitPlaceholder(TextFault::NotInCodePage);
            }
            i += units;
        }
    }
    m_run.clear();
}

}  // namespace stelvo
