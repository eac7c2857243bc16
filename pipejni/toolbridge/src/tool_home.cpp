#include "toolbridge/tool_home.h"

#include <mirravon/registry.h>

#include <vector>

#include "toolbridge/home_path.h"

namespace toolbridge {
namespace {

std::string g_toolHome;

bool isAnsiLeadByte(unsigned char byte) { return IsDBCSLeadByte(byte) != FALSE; }

}  // namespace

std::optional<std::string> ReadEnvironmentA(const char* name, std::size_t limit) {
    std::vector<char> buffer(limit, '\0');
    DWORD length = GetEnvironmentVariableA(name, buffer.data(), static_cast<DWORD>(buffer.size()));
    // 0: unset or empty; a length of `limit` or more: the size the value would
    // need, terminator included, so it did not fit.
    if (length == 0 || length >= limit) return std::nullopt;
    return std::string(buffer.data(), length);
}

// The tool's installer writes its App Paths entry in the view of its own kind,
// which need not be this library's. Where the system keeps one App Paths key
// for both views (Wine does), the default view sees it already; where it keeps
// them apart, the other view does.
bool IsDrovixInstalled() {
    return mirravon::RegistryKey().Open(HKEY_LOCAL_MACHINE, kToolAppPathsKey, KEY_QUERY_VALUE,
                                        mirravon::RegistryView::DefaultThenOther) == ERROR_SUCCESS;
}

std::string DrovixInstallDir() { return ReadEnvironmentA(kToolHomeVariable, kToolPathLimit).value_or(std::string()); }

const std::string& ToolHomeDirectory() { return g_toolHome; }

void LoadToolHomeFromEnvironment() {
    std::optional<std::string> value = ReadEnvironmentA(kToolHomeVariable, kToolPathLimit);
    g_toolHome = ToolHomeFromValue(value.value_or(std::string()), isAnsiLeadByte);
    // An empty home would fail anyway; a directory that does not exist is no
    // reason to refuse loading: the current directory then stays as it was.
    if (!g_toolHome.empty()) SetCurrentDirectoryA(g_toolHome.c_str());
}

}  // namespace toolbridge
