#include "stelvo/launcher_options.h"

#include "stelvo/messages.h"

#include <string_view>

namespace stelvo {
namespace {

// A value that does not fit its field is refused: the option counts as not given.
bool assignOrLog(LogFile& log, Text& field, std::string_view value, const char* name) {
    if (field.assign(value)) return true;
    logRefusal(log, name, "longer than " + std::to_string(kTextWidth) + " characters");
    return false;
}

}  // namespace

bool parseCommandLine(LauncherSettings& s, LogFile& log, Platform& platform, int argc, const char* const* argv) {
    enum class State { Normal, InstallerArgs, ManagerArgs } state = State::Normal;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i] ? argv[i] : "";
        if (state != State::Normal) {
            if (arg == "-installerArgs") state = State::InstallerArgs;
            else if (arg == "-managerArgs") state = State::ManagerArgs;
            else if (state == State::InstallerArgs) appendOrLog(log, s.argInstallerArgs, arg, "argInstallerArgs");
            else appendOrLog(log, s.argManagerArgs, arg, "argManagerArgs");
            continue;
        }
        // "-h" is the option the usage box itself names.
        if (arg == "-help" || arg == "-?" || arg == "/help" || arg == "/?" || arg == "-h") {
            showUsage(s, platform);
            return false;
        }
        const bool hasValue = i + 1 < argc;
        const std::string_view value = hasValue && argv[i + 1] ? argv[i + 1] : "";
        if (arg == "-input") {
            if (hasValue) {
                assignOrLog(log, s.argInputFile, value, "argInputFile");
                ++i;
            }
        } else if (arg == "-appDataLocation") {
            if (hasValue) {
                assignOrLog(log, s.argAppDataLocation, value, "argAppDataLocation");
                ++i;
            }
        } else if (arg == "-log") {
            // A log file name that does not fit is refused: logging stays off.
            if (hasValue && assignOrLog(log, s.argLogFile, value, "argLogFile")) s.isDebug = 1;
            if (hasValue) ++i;
        } else if (arg == "-silent") {
            s.argIsSilent = 1;
        } else if (arg == "-wait") {
            s.isWait = 1;
        } else if (arg == "-isAdmin") {
            s.argIsUserAdmin = 1;
        } else if (arg == "-installerArgs") {
            state = State::InstallerArgs;
        } else if (arg == "-managerArgs") {
            state = State::ManagerArgs;
        }
    }
    return true;
}

}  // namespace stelvo
