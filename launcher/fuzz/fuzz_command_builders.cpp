// The three command-line builders over settings made from the input: the
// vectors and the "/v" element stay within their limits.
#include "fuzz_platform.h"
#include "stelvo/program_command_lines.h"

#include <vector>

using namespace stelvo;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<std::string> parts(1);
    for (size_t i = 0; i < size; ++i) {
        if (data[i] == 0) parts.emplace_back();
        else parts.back().push_back(static_cast<char>(data[i]));
    }
    const auto part = [&](size_t i) { return i < parts.size() ? parts[i] : std::string(); };
    LauncherSettings s;
    s.launcherDir.assign("C:\\img\\");
    s.iniInstallerLocation.assign(part(0));
    s.refLocation.assign(part(1));
    s.iniManagerLauncher.assign(part(2));
    s.appDataLocation.assign(part(3));
    s.inputFile.assign(part(4));
    s.isSilent = part(5).size() % 2 == 1;
    s.iniIsAdmin.assign(part(5));
    for (size_t i = 6; i < parts.size(); ++i) {
        if (i % 2 == 0) s.argInstallerArgs.append(parts[i]);
        else s.iniManagerArgs.append(parts[i]);
    }
    // Long argument lists, made cheaply from the last part.
    const size_t repeat = parts.size() > 6 ? parts.back().size() % 300 : 0;
    for (size_t i = 0; i < repeat; ++i) s.argManagerArgs.append(parts.back());
    LogFile log;
    log.openInMemory();

    stelvo_fuzz::FuzzPlatform platform;
    for (bool built :
         {buildMsiCommandLine(s, log, platform), buildInstallerCommandLine(s, log), buildAgentCommandLine(s, log)})
        (void)built;
    const bool msi = buildMsiCommandLine(s, log, platform);
    stelvo_fuzz::require(msi == !s.installerArglist.empty());
    stelvo_fuzz::require(s.installerArglist.count() <= ArgVector::kMaxElements);
    if (buildInstallerCommandLine(s, log)) {
        stelvo_fuzz::require(s.installerArglist.count() <= ArgVector::kMaxElements);
        stelvo_fuzz::require(s.installerArglist.elements.back().size() <= kSwitchElementWidth);
        stelvo_fuzz::require(s.installerArglist.elements.back().compare(0, 3, "/v\"") == 0);
    } else {
        stelvo_fuzz::require(s.installerArglist.empty());
    }
    if (buildAgentCommandLine(s, log)) stelvo_fuzz::require(s.agentArglist.count() <= ArgVector::kMaxElements);
    else stelvo_fuzz::require(s.agentArglist.empty());
    stelvo_fuzz::require(s.installerProgram.size() <= kProgramPathWidth && s.agentProgram.size() <= kProgramPathWidth);
    (void)joinCommandLine(s.agentArglist);
    (void)quoteArgument(part(0));
    return 0;
}
