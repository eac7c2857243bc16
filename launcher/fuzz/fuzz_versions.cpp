// Version comparison: any two texts (split at the first NUL) compare without
// fault, and the order is antisymmetric.
#include "fuzz_platform.h"
#include "stelvo/agent.h"

using namespace stelvo;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view all(reinterpret_cast<const char*>(data), size);
    const size_t split = all.find('\0');
    const std::string_view a = all.substr(0, split);
    const std::string_view b = split == std::string_view::npos ? std::string_view() : all.substr(split + 1);
    const int ab = compareVersions(a, b);
    const int ba = compareVersions(b, a);
    stelvo_fuzz::require((ab > 0) == (ba < 0) && (ab == 0) == (ba == 0));
    stelvo_fuzz::require(compareVersions(a, a) == 0);
    return 0;
}
