#include "stelvo/property_table.h"

namespace stelvo {

void PropertyTable::addLines(TextLines& lines) {
    std::string line;
    std::string_view key, value;
    while (lines.next(line))
        if (splitKeyValue(line, key, value)) add(key, value);
}

void PropertyTable::loadText(std::string_view text) {
    clear();
    TextLines lines(text);
    addLines(lines);
}

bool PropertyTable::load(Platform& platform, const std::string& path) {
    clear();
    const std::unique_ptr<ChunkReader> file = platform.openFile(path);
    if (!file) return false;
    TextLines lines(*file);
    addLines(lines);
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

PropertyRead findProperty(Platform& platform, const std::string& path, std::string_view key, std::string& value) {
    const std::unique_ptr<ChunkReader> file = platform.openFile(path);
    if (!file) return PropertyRead::NotOpened;
    TextLines lines(*file);
    std::string line;
    std::string_view k, v;
    while (lines.next(line)) {
        // Pieces are at most 254 characters, so every pair fits a table entry.
        if (splitKeyValue(line, k, v) && k == key) {
            value.assign(v.data(), v.size());
            return PropertyRead::Found;
        }
    }
    return PropertyRead::Absent;
}

}  // namespace stelvo
