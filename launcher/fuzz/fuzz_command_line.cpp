// The command-line reader over arguments split at NUL bytes, then the resolution.
#include "fuzz_platform.h"
#include "stelvo/launcher_settings.h"

#include <vector>

using namespace stelvo;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<std::string> args{"stelvo.exe"};
    std::string current;
    for (size_t i = 0; i < size; ++i) {
        if (data[i] == 0) {
            args.push_back(current);
            current.clear();
        } else {
            current.push_back(static_cast<char>(data[i]));
        }
    }
    args.push_back(current);
    std::vector<const char*> argv;
    for (const std::string& a : args) argv.push_back(a.c_str());

    stelvo_fuzz::FuzzPlatform platform;
    LauncherSettings s;
    s.launcherDir.assign("C:\\img\\");
    if (!parseCommandLine(s, platform, static_cast<int>(argv.size()), argv.data())) return 0;
    stelvo_fuzz::require(s.argInstallerArgs.count() <= kListEntries && s.argManagerArgs.count() <= kListEntries);
    // "-log" takes the next argument whatever it is, even an empty one.
    stelvo_fuzz::require(s.isDebug == 0 || s.isDebug == 1);
    s.log.openInMemory();
    resolveSettings(s, platform);
    stelvo_fuzz::require(s.inputFile.size() <= kTextWidth);
    return 0;
}
