#include "stelvo/paths.h"

#include "mirravon/stored_text.h"

#include <optional>
#include <vector>

namespace stelvo {
namespace {

bool isSeparator(char c) { return c == '/' || c == '\\'; }

}  // namespace

int normalizePath(std::string_view source, std::string& destination, std::size_t width) {
    const auto unchanged = [&](int status) {
        if (source.size() <= width) destination.assign(source.data(), source.size());
        else destination.clear();
        return status;
    };
    std::string prefix;
    std::vector<std::string_view> kept;
    std::size_t start = 0;
    bool sawOther = false;
    for (std::size_t i = 0; i <= source.size(); ++i) {
        const bool atEnd = i == source.size();
        if (!atEnd && !isSeparator(source[i])) {
            if (!sawOther) start = i;
            sawOther = true;
            continue;
        }
        if (!sawOther) {
            if (!atEnd) prefix.push_back('\\');
            continue;
        }
        const std::string_view component = source.substr(start, i - start);
        start = i + 1;
        if (component.size() > kMaxComponentLength) {
            destination.clear();
            return kBeyondLimits;
        }
        if (atEnd) {
            // The last component is kept literally, even "." and "..".
            if (!component.empty()) kept.push_back(component);
        } else if (component == ".") {
        } else if (component == "..") {
            if (kept.empty()) return unchanged(kUnresolvable);
            kept.pop_back();
        } else if (!component.empty()) {
            kept.push_back(component);
        }
        if (kept.size() > kMaxComponents) {
            destination.clear();
            return kBeyondLimits;
        }
    }
    std::string result = prefix;
    for (std::size_t i = 0; i < kept.size(); ++i) {
        if (i > 0) result.push_back('\\');
        result.append(kept[i].data(), kept[i].size());
    }
    if (result.size() > width) {
        destination.clear();
        return kBeyondLimits;
    }
    destination = std::move(result);
    return kNormalized;
}

bool textInFixedRoom(const char* buffer, std::size_t room, std::string& text) {
    // The room is the text's buffer and its destination at once: common's stored-text rule.
    const std::optional<std::size_t> length = mirravon::StoredTextLength(buffer, room, mirravon::SameRoom(room));
    if (!length) return false;
    text.assign(buffer, *length);
    return true;
}

std::string expandFolderPlaceholder(const LauncherSettings& s, Platform& platform, std::string_view path) {
    struct Placeholder {
        const char* name;
        int csidl;  // 0: the launcher's folder
    };
    const int appData = s.isUserAdmin == 1 ? kFolderCommonAppData : kFolderAppData;
    const Placeholder table[] = {
        {"<My Documents>", kFolderPersonal},
        {"<HOME>", kFolderPersonal},
        {"<PROFILE>", kFolderProfile},
        {"<CURRDIR>", 0},
        {"<APPDATA>", appData},
    };
    for (const Placeholder& p : table) {
        const std::size_t at = path.find(p.name);
        if (at == std::string_view::npos) continue;
        std::string folder;
        if (p.csidl == 0) folder = s.launcherDir.str();
        else if (!platform.folderPath(p.csidl, folder)) folder.clear();
        std::string result(path.substr(0, at));
        result += folder;
        result += path.substr(at + std::char_traits<char>::length(p.name));
        return result;
    }
    return std::string(path);
}

std::string joinPath(std::string_view folder, std::string_view name) {
    std::string joined(folder);
    joined.push_back('\\');
    joined.append(name.data(), name.size());
    return joined;
}

std::string findProgram(Platform& platform, std::string_view name) {
    const auto regular = [&](const std::string& candidate) {
        return platform.fileKind(candidate) == FileKind::Regular;
    };
    const auto withSeparator = [](std::string folder) {
        if (folder.empty() || folder.back() != '\\') folder.push_back('\\');
        return folder;
    };
    if (name.empty()) return {};

    std::string candidate;
    if (name[0] == '\\' || (name.size() > 2 && name[1] == ':')) {
        candidate.assign(name.data(), name.size());
    } else if (name.find('\\') != std::string_view::npos) {
        std::string current;
        if (!platform.currentDirectory(current)) return {};
        candidate = withSeparator(current);
        candidate.append(name.data(), name.size());
    } else {
        std::string path;
        platform.environmentVariable("PATH", path);
        const std::string list = ".;" + path;
        std::size_t begin = 0;
        while (begin <= list.size()) {
            std::size_t end = list.find(';', begin);
            if (end == std::string::npos) end = list.size();
            const std::string element = list.substr(begin, end - begin);
            begin = end + 1;
            if (element.empty()) continue;
            candidate = withSeparator(element);
            candidate.append(name.data(), name.size());
            if (candidate.compare(0, 2, ".\\") == 0 || candidate.compare(0, 3, "..\\") == 0) {
                std::string current;
                if (!platform.currentDirectory(current)) continue;
                candidate = current + '\\' + candidate;
            }
            if (regular(candidate)) return candidate;
        }
        return {};
    }
    return regular(candidate) ? candidate : std::string();
}

std::string folderPart(std::string_view path) {
    const std::size_t last = path.rfind('\\');
    if (last == std::string_view::npos) return {};
    return std::string(path.substr(0, last + 1));
}

std::string filePart(std::string_view path) {
    const std::size_t last = path.rfind('\\');
    if (last == std::string_view::npos) return std::string(path);
    return std::string(path.substr(last + 1));
}

std::string baseName(std::string_view path) {
    std::string file = filePart(path);
    const std::size_t dot = file.rfind('.');
    if (dot != std::string::npos && dot + 1 < file.size()) file.resize(dot);
    return file;
}

}  // namespace stelvo
