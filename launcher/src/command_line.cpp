#include "stelvo/command_line.h"

#include "stelvo/messages.h"

#include <string_view>

namespace stelvo {

bool parseCommandLine(LauncherSettings& s, Platform& platform, int argc, const char* const* argv) {
    enum class State { Normal, InstallerArgs, ManagerArgs } state = State::Normal;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i] ? argv[i] : "";
        if (state != State::Normal) {
            if (arg == "-installerArgs") state = State::InstallerArgs;
            else if (arg == "-managerArgs") state = State::ManagerArgs;
            else if (state == State::InstallerArgs) s.argInstallerArgs.append(arg);
            else s.argManagerArgs.append(arg);
            continue;
        }
        if (arg == "-help" || arg == "-?" || arg == "/help" || arg == "/?") {
            showUsage(s, platform);
            return false;
        }
        const bool hasValue = i + 1 < argc;
        const std::string_view value = hasValue && argv[i + 1] ? argv[i + 1] : "";
        // A value that does not fit its field is refused: the option counts as not given.
        if (arg == "-input") {
            if (hasValue) {
                s.argInputFile.assign(value);
                ++i;
            }
        } else if (arg == "-appDataLocation") {
            if (hasValue) {
                s.argAppDataLocation.assign(value);
                ++i;
            }
        } else if (arg == "-log") {
            // A log file name that does not fit is refused: logging stays off.
            if (hasValue && s.argLogFile.assign(value)) s.isDebug = 1;
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
