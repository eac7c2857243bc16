#include "toolbridge/home_path.h"

namespace toolbridge {

bool EndsWithBackslash(std::string_view text, LeadBytePredicate isLeadByte) {
    // Walk character by character from the start: only that way is it known
    // whether the last byte begins a character or ends a two-byte one.
    std::size_t lastStart = std::string_view::npos;
    for (std::size_t i = 0; i < text.size();) {
        lastStart = i;
        const bool twoBytes = isLeadByte(static_cast<unsigned char>(text[i])) && i + 1 < text.size();
        i += twoBytes ? 2 : 1;
    }
    return lastStart != std::string_view::npos && lastStart == text.size() - 1 && text[lastStart] == '\\';
}

std::string ToolHomeFromValue(std::string_view value, LeadBytePredicate isLeadByte) {
    if (value.empty()) return {};
    std::string home(value);
    if (!EndsWithBackslash(home, isLeadByte)) home += '\\';
    if (home.size() + 1 > kToolPathLimit) return {};
    return home;
}

std::optional<std::string> JoinToolPath(std::string_view home, std::string_view name) {
    if (home.size() + name.size() + 1 > kToolPathLimit) return std::nullopt;
    std::string path;
    path.reserve(home.size() + name.size());
    path.append(home);
    path.append(name);
    return path;
}

}  // namespace toolbridge
