#include "stelvo/utf8.h"

namespace stelvo {
namespace {

constexpr char32_t kReplacement = 0xFFFD;

void appendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out.push_back(static_cast<char>(c));
    } else if (c < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (c >> 6)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (c >> 12)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (c >> 18)));
        out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
}

}  // namespace

std::string utf16ToUtf8(std::u16string_view text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char16_t u = text[i];
        if (isHighSurrogate(u) && i + 1 < text.size() && isLowSurrogate(text[i + 1])) {
            appendUtf8(out, 0x10000 + ((static_cast<char32_t>(u) - 0xD800) << 10) + (text[i + 1] - 0xDC00));
            ++i;
        } else if (isHighSurrogate(u) || isLowSurrogate(u)) {
            appendUtf8(out, kReplacement);
        } else {
            appendUtf8(out, u);
        }
    }
    return out;
}

int decodeUtf8(std::string_view bytes, char32_t& c) {
    const unsigned char lead = static_cast<unsigned char>(bytes[0]);
    int length = 0;
    // The second byte's range rules out overlong forms, surrogates and characters beyond U+10FFFF.
    unsigned char low = 0x80, high = 0xBF;
    if (lead < 0x80) length = 1, c = lead;
    else if (lead >= 0xC2 && lead <= 0xDF) length = 2, c = lead & 0x1F;
    else if (lead >= 0xE0 && lead <= 0xEF) length = 3, c = lead & 0x0F;
    else if (lead >= 0xF0 && lead <= 0xF4) length = 4, c = lead & 0x07;
    else return -1;
    if (lead == 0xE0) low = 0xA0;
    else if (lead == 0xED) high = 0x9F;
    else if (lead == 0xF0) low = 0x90;
    else if (lead == 0xF4) high = 0x8F;
    for (int k = 1; k < length; ++k) {
        if (static_cast<std::size_t>(k) >= bytes.size()) return 0;
        const unsigned char next = static_cast<unsigned char>(bytes[k]);
        if (next < low || next > high) return -1;
        low = 0x80, high = 0xBF;
        c = (c << 6) | (next & 0x3F);
    }
    return length;
}

void appendUtf16(std::u16string& out, char32_t c) {
    if (c < 0x10000) {
        out.push_back(static_cast<char16_t>(c));
    } else {
        c -= 0x10000;
        out.push_back(static_cast<char16_t>(0xD800 + (c >> 10)));
        out.push_back(static_cast<char16_t>(0xDC00 + (c & 0x3FF)));
    }
}

std::u16string utf8ToUtf16(std::string_view text) {
    std::u16string out;
    std::size_t i = 0;
    while (i < text.size()) {
        char32_t c = 0;
        // A sequence cut by the end of the text is as invalid as a malformed one.
        const int length = decodeUtf8(text.substr(i), c);
        if (length <= 0) {
            appendUtf16(out, kReplacement);
            ++i;
            continue;
        }
        appendUtf16(out, c);
        i += static_cast<std::size_t>(length);
    }
    return out;
}

std::u16string cutUtf16(std::u16string text, std::size_t units) {
    if (text.size() <= units) return text;
    std::size_t keep = units;
    if (keep > 0 && isHighSurrogate(text[keep - 1]) && isLowSurrogate(text[keep])) --keep;
    text.resize(keep);
    return text;
}

}  // namespace stelvo
