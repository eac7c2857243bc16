// The settings file reader over arbitrary bytes, then the information dump.
#include "fuzz_platform.h"
#include "stelvo/launcher_settings.h"
#include "stelvo/log_file.h"

using namespace stelvo;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    LauncherSettings s;
    LogFile log;
    stelvo_fuzz::FuzzPlatform platform;
    parseSettingsText(s, log, platform, std::string_view(reinterpret_cast<const char*>(data), size));
    stelvo_fuzz::require(s.iniManagerArgs.count() <= kListEntries && s.iniInstallerArgs.count() <= kListEntries);
    stelvo_fuzz::require(s.iniManagerVersion.size() <= kTextWidth && s.iniAppDataLocation.size() <= kTextWidth);
    stelvo_fuzz::require(s.runMode == INSTALL || s.runMode == UNINSTALL || s.runMode == EXTENSION);
    log.openInMemory();
    writeInformationDump(s, log);
    return 0;
}
