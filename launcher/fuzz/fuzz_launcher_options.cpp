// The command-line reader over arguments split at NUL bytes, then the
// resolution. The same bytes are also the string-table block that a help
// option's usage box is drawn from, and each of its slots is walked.
#include "fuzz_platform.h"
#include "stelvo/launcher_options.h"
#include "stelvo/launcher_settings.h"
#include "stelvo/messages.h"

#include <cstring>
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
    platform.block.assign(size / 2, u'\0');
    if (!platform.block.empty()) std::memcpy(&platform.block[0], data, platform.block.size() * 2);
    for (unsigned id = 0; id < kStringTableSlots; ++id) {
        std::u16string text;
        if (stringTableText(platform.block, id, text))
            stelvo_fuzz::require(!text.empty() && text.size() < platform.block.size() &&
                                 platform.block.find(text) != std::u16string::npos);
    }
    LauncherSettings s;
    LogFile log;
    s.launcherDir.assign("C:\\img\\");
    if (!parseCommandLine(s, log, platform, static_cast<int>(argv.size()), argv.data())) return 0;
    stelvo_fuzz::require(s.argInstallerArgs.count() <= kListEntries && s.argManagerArgs.count() <= kListEntries);
    // "-log" takes the next argument whatever it is, even an empty one.
    stelvo_fuzz::require(s.isDebug == 0 || s.isDebug == 1);
    log.openInMemory();
    resolveSettings(s, log, platform);
    stelvo_fuzz::require(s.inputFile.size() <= kTextWidth);
    return 0;
}
