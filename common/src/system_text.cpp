#include "mirravon/system_text.h"

#include "mirravon/unique_owner.h"

namespace mirravon {

std::optional<std::string> SystemTextA(DWORD code, LineEnd lineEnd) {
    char* raw = nullptr;
    const DWORD length = ::FormatMessageA(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code,
        MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), reinterpret_cast<LPSTR>(&raw), 0, nullptr);
    unique_hlocal owner(raw);
    if (length == 0 || raw == nullptr) return std::nullopt;
    std::string text(raw, length);
    if (lineEnd == LineEnd::Trim)
        while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' ')) text.pop_back();
    return text;
}

}  // namespace mirravon
