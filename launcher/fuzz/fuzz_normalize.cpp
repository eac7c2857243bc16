// Normalisation stays within its field and is idempotent on success; placeholder expansion never faults.
#include "fuzz_platform.h"
#include "stelvo/paths.h"

using namespace stelvo;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view source(reinterpret_cast<const char*>(data), size);
    for (size_t width : {size_t{255}, size_t{1023}}) {
        std::string out;
        const int status = normalizePath(source, out, width);
        stelvo_fuzz::require(out.size() <= width);
        if (status == kNormalized) {
            std::string again;
            stelvo_fuzz::require(normalizePath(out, again, width) == kNormalized && again == out);
            stelvo_fuzz::require(out.find('/') == std::string::npos);
        } else if (status == kUnresolvable) {
            stelvo_fuzz::require(out.empty() || out == source);
        } else {
            stelvo_fuzz::require(out.empty());
        }
    }
    stelvo_fuzz::FuzzPlatform platform;
    LauncherSettings s;
    s.launcherDir.assign("C:\\img\\");
    (void)expandFolderPlaceholder(s, platform, source);
    (void)findProgram(platform, source);
    return 0;
}
