// The text decoder over arbitrary bytes: the same bytes and faults whatever
// the chunks it is read in; a fault only ever stands as "?"; a file without a
// mark that holds only ASCII, or is not UTF-8 throughout, comes out byte for
// byte as it stands; and text written as UTF-16LE, UTF-16BE or marked UTF-8
// comes back as the ANSI bytes it was written from.
#include "fuzz_platform.h"
#include "stelvo/text_decoder.h"
#include "stelvo/utf8.h"

#include <algorithm>
#include <utility>

using namespace stelvo;

namespace {

using Decoded = std::pair<std::string, std::vector<TextFault>>;

Decoded decodeAll(std::string_view text, std::size_t chunk, std::size_t room, Platform& platform) {
    MemoryReader file(text, chunk);
    TextDecoder decoder(
        file, [text] { return std::make_unique<MemoryReader>(text); }, platform);
    Decoded out;
    char bytes[97];
    TextFault faults[97];
    while (const std::size_t n = decoder.read(bytes, faults, room)) {
        stelvo_fuzz::require(n <= room);
        out.first.append(bytes, n);
        out.second.insert(out.second.end(), faults, faults + n);
    }
    return out;
}

bool clean(const Decoded& d) {
    return std::all_of(d.second.begin(), d.second.end(), [](TextFault f) { return f == TextFault::None; });
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    stelvo_fuzz::FuzzPlatform platform;
    const Decoded whole = decodeAll(text, static_cast<std::size_t>(-1), 97, platform);
    const std::size_t chunk = size > 0 ? data[0] % 13 + 1 : 1;
    stelvo_fuzz::require(decodeAll(text, chunk, size > 1 ? data[1] % 97 + 1 : 1, platform) == whole);
    stelvo_fuzz::require(whole.first.size() == whole.second.size());
    for (std::size_t i = 0; i < whole.first.size(); ++i)
        stelvo_fuzz::require(whole.second[i] == TextFault::None || whole.first[i] == '?');

    const bool marked =
        text.substr(0, 3) == "\xEF\xBB\xBF" || text.substr(0, 2) == "\xFF\xFE" || text.substr(0, 2) == "\xFE\xFF";
    const bool ascii = std::all_of(text.begin(), text.end(), [](char c) { return (c & 0x80) == 0; });
    const bool utf8 = utf16ToUtf8(utf8ToUtf16(text)) == text;
    if (!marked && (ascii || !utf8)) stelvo_fuzz::require(whole.first == text && clean(whole));

    // The bytes as Latin-1 characters, which the fuzz platform's code page holds.
    std::u16string latin1;
    for (char c : text) latin1.push_back(static_cast<char16_t>(static_cast<unsigned char>(c)));
    std::string little = "\xFF\xFE", big = "\xFE\xFF";
    for (char16_t u : latin1) {
        little += {static_cast<char>(u & 0xFF), static_cast<char>(u >> 8)};
        big += {static_cast<char>(u >> 8), static_cast<char>(u & 0xFF)};
    }
    for (const std::string& written : {little, big, "\xEF\xBB\xBF" + utf16ToUtf8(latin1)}) {
        const Decoded back = decodeAll(written, chunk, 97, platform);
        stelvo_fuzz::require(back.first == text && clean(back));
    }
    return 0;
}
