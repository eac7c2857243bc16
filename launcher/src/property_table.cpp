#include "stelvo/property_table.h"

namespace stelvo {

void PropertyTable::addLines(TextLines& lines) {
    std::string line;
    while (lines.next(line)) {
        std::string_view key, value;
        TextFault fault = TextFault::None;
        if (splitPiece(lines, line, key, value, fault)) addEntry(key, value, fault != TextFault::None);
    }
}

void PropertyTable::loadText(Platform& platform, std::string_view text) {
    clear();
    TextLines lines(text, platform);
    addLines(lines);
}

bool PropertyTable::load(Platform& platform, const std::string& path) {
    clear();
    const std::unique_ptr<TextLines> lines = openTextLines(platform, path);
    if (!lines) return false;
    addLines(*lines);
    return true;
}

const PropertyTable::Entry* PropertyTable::find(std::string_view key) const {
    for (const Entry& entry : m_entries)
        if (entry.key.str() == key) return &entry;
    return nullptr;
}

bool PropertyTable::contains(std::string_view key) const { return find(key) != nullptr; }

bool PropertyTable::add(std::string_view key, std::string_view value) { return addEntry(key, value, false); }

bool PropertyTable::addEntry(std::string_view key, std::string_view value, bool refused) {
    if (contains(key)) return false;
    Entry entry;
    if (!entry.key.assign(key) || (!refused && !entry.value.assign(value))) return false;
    entry.refused = refused;
    m_entries.push_front(std::move(entry));
    return true;
}

const std::string* PropertyTable::lookup(std::string_view key) const {
    const Entry* entry = find(key);
    return entry && !entry->refused ? &entry->value.str() : nullptr;
}

PropertyRead findProperty(Platform& platform, const std::string& path, std::string_view key, std::string& value,
                          TextFault& fault) {
    const std::unique_ptr<TextLines> lines = openTextLines(platform, path);
    if (!lines) return PropertyRead::NotOpened;
    std::string line;
    while (lines->next(line)) {
        std::string_view k, v;
        // Pieces are at most 254 characters, so every pair fits a table entry.
        if (splitPiece(*lines, line, k, v, fault) && k == key) {
            if (fault != TextFault::None) return PropertyRead::Refused;
            value.assign(v.data(), v.size());
            return PropertyRead::Found;
        }
    }
    return PropertyRead::Absent;
}

}  // namespace stelvo
