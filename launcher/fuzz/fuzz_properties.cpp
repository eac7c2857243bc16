// The reference-file store: any text loads; the first pair of a key wins; the
// lines are the same whatever the chunks the text is read in.
#include "fuzz_platform.h"
#include "stelvo/property_table.h"
#include "stelvo/text_lines.h"

using namespace stelvo;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    PropertyTable table;
    table.loadText(text);
    // Every line's key finds the value of the first line with that key.
    TextLines lines(text);
    MemoryReader reader(text, size > 0 ? data[0] % 7 + 1 : 1);
    TextLines chunked(reader);
    std::string line, same;
    std::vector<std::string> seen;
    while (lines.next(line)) {
        stelvo_fuzz::require(chunked.next(same) && same == line);
        stelvo_fuzz::require(line.size() <= kLinePiece);
        const size_t eq = line.find('=');
        if (eq == std::string::npos || eq == 0) continue;
        const std::string key = line.substr(0, eq);
        const std::string* value = table.lookup(key);
        stelvo_fuzz::require(value != nullptr && value->size() <= kPropertyWidth);
        bool first = true;
        for (const std::string& k : seen) first = first && k != key;
        if (first) stelvo_fuzz::require(*value == line.substr(eq + 1));
        seen.push_back(key);
    }
    stelvo_fuzz::require(!chunked.next(same));
    return 0;
}
