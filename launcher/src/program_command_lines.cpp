#include "stelvo/program_command_lines.h"

#include "stelvo/paths.h"

namespace stelvo {
namespace {

bool endsWith(std::string_view text, std::string_view tail) {
    return text.size() >= tail.size() && text.substr(text.size() - tail.size()) == tail;
}

std::string enclose(std::string_view text) {
    std::string quoted;
    quoted.reserve(text.size() + 2);
    quoted.push_back('"');
    quoted.append(text.data(), text.size());
    quoted.push_back('"');
    return quoted;
}

// Collects a vector; any element beyond the room refuses the whole vector, and
// the first reason for a refusal is kept for the log.
class VectorBuilder {
public:
    void add(std::string element) {
        if (m_elements.size() >= ArgVector::kMaxElements)
            refuse("more than " + std::to_string(ArgVector::kMaxElements + 1) + " elements, end marker included");
        else m_elements.push_back(std::move(element));
    }
    void refuse(std::string why) {
        if (m_why.empty()) m_why = std::move(why);
    }
    bool finish(ArgVector& out) {
        out.elements.clear();
        if (!m_why.empty()) return false;
        out.elements = std::move(m_elements);
        return true;
    }
    const std::string& why() const noexcept { return m_why; }

private:
    std::vector<std::string> m_elements;
    std::string m_why;
};

const TextList& extraInstallerArgs(const LauncherSettings& s) {
    return s.argInstallerArgs.count() > 0 ? s.argInstallerArgs : s.iniInstallerArgs;
}
const TextList& extraAgentArgs(const LauncherSettings& s) {
    return s.argManagerArgs.count() > 0 ? s.argManagerArgs : s.iniManagerArgs;
}

std::string appDataProperty(const LauncherSettings& s) { return "APPDATALOCATION=\"" + s.appDataLocation.str() + "\""; }

// Finishes the installer's vector and writes its log section.
bool finishInstallerVector(LauncherSettings& s, LogFile& log, VectorBuilder& v) {
    const bool built = v.finish(s.installerArglist);
    logSection(log, "\nCommand to launch agent install\n");
    for (std::size_t i = 0; i < s.installerArglist.count(); ++i)
        logLine(log, "installerArglist[%d]: (%s)\n", static_cast<int>(i), s.installerArglist.elements[i].c_str());
    if (!built) logRefusal(log, "installerArglist", v.why());
    return built;
}

}  // namespace

std::string quoteArgument(std::string_view text) {
    if (text.find(' ') == std::string_view::npos) return std::string(text);
    if (text.find('=') == std::string_view::npos) return enclose(text);
    std::string quoted;
    for (char c : text) {
        quoted.push_back(c);
        if (c == '=') quoted.push_back('"');
    }
    quoted.push_back('"');
    return quoted;
}

std::string plainQuote(std::string_view text) {
    return text.find(' ') != std::string_view::npos ? enclose(text) : std::string(text);
}

bool escapeQuotes(std::string_view text, std::string& escaped) {
    std::string result;
    for (char c : text) {
        if (c == '"') result.push_back('\\');
        result.push_back(c);
        if (result.size() > kEscapedItemWidth) {
            escaped.clear();
            return false;
        }
    }
    escaped = std::move(result);
    return true;
}

bool isMsiInstaller(const LauncherSettings& s) {
    const std::string& location = s.iniInstallerLocation.str();
    return location.size() > 4 && endsWith(location, ".msi");
}

bool buildMsiCommandLine(LauncherSettings& s, LogFile& log, Platform& platform) {
    // msiexec.exe comes from the system folder: searching the current directory
    // first would run a planted msiexec.exe lying beside a downloaded launcher.
    std::string msiexec;
    std::string system;
    if (platform.systemDirectory(system)) {
        const std::string candidate = joinPath(system, "msiexec.exe");
        if (platform.fileKind(candidate) == FileKind::Regular) msiexec = candidate;
    }
    if (msiexec.empty()) msiexec = findProgram(platform, "msiexec.exe");
    normalizeOrLog(log, msiexec, s.installerProgram, "InstallerProgram");
    normalizeOrLog(log, joinPath(s.launcherDir.str(), s.iniInstallerLocation.str()), s.msiImagePath, "msiImagePath");

    VectorBuilder v;
    v.add(s.installerProgram.str());
    v.add("/i");
    v.add(enclose(s.msiImagePath.str()));
    if (s.isSilent == 1) v.add("/q");
    for (const std::string& arg : extraInstallerArgs(s).entries()) v.add(plainQuote(arg));
    v.add("STANDALONE=false");
    if (!s.appDataLocation.empty()) v.add(appDataProperty(s));
    return finishInstallerVector(s, log, v);
}

bool buildInstallerCommandLine(LauncherSettings& s, LogFile& log) {
    normalizeOrLog(log, joinPath(s.launcherDir.str(), s.iniInstallerLocation.str()), s.installerProgram,
                   "InstallerProgram");

    VectorBuilder v;
    std::vector<std::string> inner;
    v.add(enclose(s.installerProgram.str()));
    if (s.isSilent == 1) {
        v.add("/S");
        inner.push_back("/qn");
    }
    for (const std::string& arg : extraInstallerArgs(s).entries()) inner.push_back(quoteArgument(arg));
    inner.push_back("STANDALONE=false");
    if (!s.appDataLocation.empty()) inner.push_back(appDataProperty(s));
    if (inner.size() > kInnerItems)
        v.refuse("more than " + std::to_string(kInnerItems) + " items in the \"/v\" element");

    std::string packed = "/v\"";
    for (std::size_t i = 0; i < inner.size(); ++i) {
        std::string escaped;
        if (!escapeQuotes(inner[i], escaped))
            v.refuse("an escaped item of the \"/v\" element longer than " + std::to_string(kEscapedItemWidth) +
                     " characters");
        if (i > 0) packed.push_back(' ');
        packed += escaped;
    }
    packed.push_back('"');
    if (packed.size() > kSwitchElementWidth)
        v.refuse("the \"/v\" element longer than " + std::to_string(kSwitchElementWidth) + " characters");
    v.add(std::move(packed));
    return finishInstallerVector(s, log, v);
}

bool buildAgentCommandLine(LauncherSettings& s, LogFile& log) {
    const Text& name =
        (s.isSilent == 1 && !s.iniManagerLauncherSilent.empty()) ? s.iniManagerLauncherSilent : s.iniManagerLauncher;
    normalizeOrLog(log, joinPath(s.refLocation.str(), name.str()), s.agentProgram, "AgentProgram");
    const std::string& program = s.agentProgram.str();

    VectorBuilder v;
    v.add(enclose(program));
    if (endsWith(program, "java") || endsWith(program, "javaw") || endsWith(program, "java.exe") ||
        endsWith(program, "javaw.exe")) {
        Text startupJar;
        normalizeOrLog(log, s.refLocation.str() + "\\eclipse\\startup.jar", startupJar, "startup.jar");
        if (startupJar.empty()) v.refuse("the startup.jar path does not fit");
        v.add("-jar");
        v.add(quoteArgument(startupJar.str()));
    }
    if (s.isSilent == 1) {
        v.add("-silent");
        v.add("-nosplash");
    }
    if (s.argIsUserAdmin == 1 || isTrueWord(s.iniIsAdmin.str())) v.add("-isAdmin");
    if (!s.inputFile.empty()) {
        v.add("-input");
        v.add(quoteArgument(s.inputFile.str()));
    }
    if (!s.appDataLocation.empty()) {
        std::string_view location = s.appDataLocation.str();
        if (location.back() == '/' || location.back() == '\\') location.remove_suffix(1);
        v.add("-dataLocation");
        v.add(quoteArgument(location));
    }
    for (const std::string& arg : extraAgentArgs(s).entries()) v.add(plainQuote(arg));
    const bool built = v.finish(s.agentArglist);

    logSection(log, "\nCommand to launch agent\n");
    logLine(log, "AgentProgram: (%s)\n", s.agentProgram.c_str());
    for (std::size_t i = 0; i < s.agentArglist.count(); ++i)
        logLine(log, "agentArglist[%d]: (%s)\n", static_cast<int>(i), s.agentArglist.elements[i].c_str());
    if (!built) logRefusal(log, "agentArglist", v.why());
    return built;
}

std::string joinCommandLine(const ArgVector& vector) {
    std::string line;
    for (std::size_t i = 0; i < vector.count(); ++i) {
        if (i > 0) line.push_back(' ');
        line += vector.elements[i];
    }
    return line;
}

}  // namespace stelvo
