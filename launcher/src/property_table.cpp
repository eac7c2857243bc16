#include "stelvo/property_table.h"

#include "stelvo/text_lines.h"

namespace stelvo {

void PropertyTable::loadText(std::string_view text) {
    clear();
    TextLines lines(text);
    std::string line;
    while (lines.next(line)) {
        const std::size_t equals = line.find('=');
        if (equals == std::string::npos || equals == 0) continue;
        const std::string_view whole(line);
        add(whole.substr(0, equals), whole.substr(equals + 1));
    }
}

bool PropertyTable::load(Platform& platform, const std::string& path) {
    clear();
    std::string content;
    if (!platform.readFile(path, content)) return false;
    loadText(content);
    return true;
}

bool PropertyTable::contains(std::string_view key) const { return lookup(key) != nullptr; }

bool PropertyTable::add(std::string_view key, std::string_view value) {
    if (contains(key)) return false;
    Entry entry;
    if (!entry.key.assign(key) || !entry.value.assign(value)) return false;
    m_entries.push_front(std::move(entry));
    return true;
}

const std::string* PropertyTable::lookup(std::string_view key) const {
    for (const Entry& entry : m_entries)
        if (entry.key.str() == key) return &entry.value.str();
    return nullptr;
}

}  // namespace stelvo
