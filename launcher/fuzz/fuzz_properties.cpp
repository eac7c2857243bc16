// The reference-file store: any text loads; the first pair of a key wins (also
// when its value is refused); the lines and their faults are the same whatever
// the chunks the text is read in.
#include "fuzz_platform.h"
#include "stelvo/property_table.h"
#include "stelvo/text_lines.h"

using namespace stelvo;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    stelvo_fuzz::FuzzPlatform platform;
    PropertyTable table;
    table.loadText(platform, text);
    // Every line's key finds the value of the first line with that key.
    TextLines lines(text, platform);
    TextLines chunked(text, platform, size > 0 ? data[0] % 7 + 1 : 1);
    std::string line, same;
    std::vector<std::string> seen;
    while (lines.next(line)) {
        stelvo_fuzz::require(chunked.next(same) && same == line);
        stelvo_fuzz::require(chunked.fault() == lines.fault() && chunked.faultAt() == lines.faultAt());
        stelvo_fuzz::require(line.size() <= kLinePiece);
        const size_t eq = line.find('=');
        // A key that holds a fault is no pair.
        if (eq == std::string::npos || eq == 0 || lines.faultAt() < eq) continue;
        const std::string key = line.substr(0, eq);
        stelvo_fuzz::require(table.contains(key));
        const std::string* value = table.lookup(key);
        stelvo_fuzz::require(value == nullptr || value->size() <= kPropertyWidth);
        bool first = true;
        for (const std::string& k : seen) first = first && k != key;
        // The first line decides, also when its value is refused.
        if (first && lines.fault() != TextFault::None) stelvo_fuzz::require(value == nullptr);
        if (first && lines.fault() == TextFault::None) stelvo_fuzz::require(value && *value == line.substr(eq + 1));
        seen.push_back(key);
    }
    stelvo_fuzz::require(!chunked.next(same));
    return 0;
}
