#include "stelvo/agent.h"

#include "stelvo/paths.h"
#include "stelvo/property_table.h"

#include "mirravon/registry_view_rule.h"
#include "mirravon/stored_text.h"

#include <climits>
#include <cstring>
#include <optional>

namespace stelvo {
namespace {

// Decimal conversion as strtol does it, held to the 32-bit range: leading white
// space, an optional sign, then digits up to the first other character.
int toNumber(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r'))) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    long long value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = value * 10 + (text[i] - '0');
        if (value > static_cast<long long>(INT_MAX) + 1) value = static_cast<long long>(INT_MAX) + 1;
    }
    if (negative) value = -value;
    if (value > INT_MAX) value = INT_MAX;
    return static_cast<int>(value);
}

// One value of the agent's key as the platform answered for it.
struct RegistryAnswer {
    RegistryRead read = RegistryRead::KeyNotOpened;
    std::string data;
};

// The agent key's two values, both read in one view.
struct AgentKey {
    RegistryAnswer location;
    RegistryAnswer version;

    bool opened() const {
        return location.read != RegistryRead::KeyNotOpened || version.read != RegistryRead::KeyNotOpened;
    }
    // A value the platform read settles the view, even when its size then
    // refuses it; the platform reports every failed read as absent, as the
    // view rule counts it.
    mirravon::KeyAnswer answer() const {
        const RegistryAnswer* values[] = {&location, &version};
        return mirravon::AnswerOfKey(opened(), values, [](const RegistryAnswer* value) {
            return value->read == RegistryRead::Read ? mirravon::ValueRead::Read : mirravon::ValueRead::NotFound;
        });
    }
};

AgentKey readAgentKey(Platform& platform, RegistryRoot root, RegistryView view, const std::string& key) {
    AgentKey read;
    read.location.read = platform.readRegistryValue(root, view, key, "location", read.location.data);
    read.version.read = platform.readRegistryValue(root, view, key, "version", read.version.data);
    return read;
}

// Location and version must describe one installation, so one view answers
// for both (common's view rule): a view chosen per value could pair an old
// agent's folder with a newer agent's version, start the old agent as the
// newer one and skip the install. A 64-bit agent registers itself in the
// machine's other view. HKCU\Software is one key for both views.
AgentKey findAgentKey(Platform& platform, RegistryRoot root, const std::string& key) {
    if (root != RegistryRoot::LocalMachine) return readAgentKey(platform, root, RegistryView::Default, key);
    AgentKey inView[2];
    const std::optional<mirravon::KeyView> answering = mirravon::AnsweringView([&](mirravon::KeyView view) {
        const bool other = view == mirravon::KeyView::Other;
        AgentKey& read = inView[other ? 1 : 0];
        read = readAgentKey(platform, root, other ? RegistryView::Other : RegistryView::Default, key);
        return read.answer();
    });
    // Neither key opened: both reads report that, and the fields are kept.
    return inView[answering == mirravon::KeyView::Other ? 1 : 0];
}

// A key that could not be opened leaves the field as it was; an opened key
// without the value empties it.
void takeRegistryValue(LogFile& log, const RegistryAnswer& answer, const char* name, ReferenceText& out,
                       const char* field) {
    if (answer.read == RegistryRead::KeyNotOpened) return;
    out.clear();
    if (answer.read != RegistryRead::Read) return;
    const std::string& data = answer.data;
    out.assign(registryValueText(data));
    // A value whose text does not start at once with its terminator was refused for its size.
    if (out.empty() && !data.empty() && data[0] != '\0')
        logRefusal(log, field,
                   "the registry value \"" + std::string(name) + "\" needs more than " +
                       std::to_string(kRegistryValueRoom) + " bytes");
}

}  // namespace

std::string_view registryValueText(std::string_view data) {
    const auto length = mirravon::StoredTextLength(data.data(), data.size(), mirravon::SameRoom(kRegistryValueRoom));
    return length ? data.substr(0, *length) : std::string_view();
}

VersionParts parseVersion(std::string_view text) {
    VersionParts parts;
    std::string_view rest = text;
    const std::size_t first = rest.find('.');
    parts.major = toNumber(rest.substr(0, first));
    if (first == std::string_view::npos || first + 1 >= rest.size()) return parts;
    rest.remove_prefix(first + 1);
    const std::size_t second = rest.find('.');
    parts.minor = toNumber(rest.substr(0, second));
    if (second == std::string_view::npos || second + 1 >= rest.size()) return parts;
    rest.remove_prefix(second + 1);
    const std::size_t third = rest.find('.');
    parts.micro = toNumber(rest.substr(0, third));
    if (third == std::string_view::npos) return parts;
    parts.qualifier = std::string(rest.substr(third + 1));
    return parts;
}

int compareVersions(std::string_view installed, std::string_view expected) {
    const VersionParts a = parseVersion(installed);
    const VersionParts b = parseVersion(expected);
    if (a.major == b.major && a.minor == b.minor && a.micro == b.micro) {
        if (a.qualifier == b.qualifier) return 0;
        if (a.qualifier == "beta") return -1;
        if (b.qualifier == "beta") return 1;
        const int order = a.qualifier.compare(b.qualifier);
        return order < 0 ? -1 : 1;
    }
    if (a.major != b.major) return a.major > b.major ? 1 : -1;
    if (a.minor != b.minor) return a.minor > b.minor ? 1 : -1;
    return a.micro > b.micro ? 1 : -1;
}

bool isAgentAcceptable(const LauncherSettings& s) {
    return !s.refVersion.empty() && compareVersions(s.refVersion.str(), s.iniManagerVersion.str()) >= 0;
}

void discoverAgent(LauncherSettings& s, LogFile& log, Platform& platform) {
    logSection(log, "\nGet Installed Agent Info\n");
    logLine(log, "iniManagerLocationKey: (%s)\n", s.iniManagerLocationKey.c_str());
    logLine(log, "iniManagerLocationFile: (%s)\n", s.iniManagerLocationFile.c_str());
    if (isLogging(log)) logLine(log, "isAdmin(): (%d)\n", platform.isUserAnAdmin() ? 1 : 0);
    logLine(log, "isUserAdmin: (%d)\n", s.isUserAdmin);

    if (!s.iniManagerLocationKey.empty()) {
        const RegistryRoot root = s.isUserAdmin == 1 ? RegistryRoot::LocalMachine : RegistryRoot::CurrentUser;
        const AgentKey agent = findAgentKey(platform, root, s.iniManagerLocationKey.str());
        takeRegistryValue(log, agent.location, "location", s.refLocation, "refLocation");
        takeRegistryValue(log, agent.version, "version", s.refVersion, "refVersion");
        logLine(log, "Get current agent location from Registry: \n");
        logLine(log, "iniManagerLocationKey: (%s)\n", s.iniManagerLocationKey.c_str());
    } else if (!s.iniManagerLocationFile.empty()) {
        // An expanded path that does not fit its field is refused: no file is read.
        Text refFile;
        if (!refFile.assign(expandFolderPlaceholder(s, platform, s.iniManagerLocationFile.str())))
            logRefusal(log, "refFile", "longer than " + std::to_string(Text::kWidth) + " characters");
        if (!refFile.empty()) {
            readProperty(platform, log, refFile.str(), "location", s.refLocation, "refLocation");
            readProperty(platform, log, refFile.str(), "version", s.refVersion, "refVersion");
        }
        logLine(log, "Get current agent location from Reference File: \n");
        logLine(log, "refFile: (%s)\n", refFile.c_str());
    }
}

}  // namespace stelvo
