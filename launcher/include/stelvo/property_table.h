// The agent's reference file: key=value lines read into a small table.
#pragma once

#include "stelvo/bounded_text.h"
#include "stelvo/log_file.h"
#include "stelvo/platform.h"
#include "stelvo/text_lines.h"

#include <forward_list>
#include <string>
#include <string_view>

namespace stelvo {

constexpr std::size_t kPropertyWidth = 254;

class PropertyTable {
public:
    // Empties the table, then adds each pair of the text in file order.
    void loadText(Platform& platform, std::string_view text);
    // Like loadText over a file's content; false (and an empty table) when the
    // file cannot be opened.
    bool load(Platform& platform, const std::string& path);

    bool contains(std::string_view key) const;
    // False, changing nothing, when the key is already present (or does not fit).
    bool add(std::string_view key, std::string_view value);
    // The key's value, or nullptr (also for a key whose first value was refused).
    const std::string* lookup(std::string_view key) const;
    void clear() noexcept { m_entries.clear(); }
    bool empty() const noexcept { return m_entries.empty(); }

private:
    void addLines(TextLines& lines);

    struct Entry {
        BoundedText<kPropertyWidth> key;
        BoundedText<kPropertyWidth> value;
        // The key's first line held a value that the code page cannot hold:
        // the key is there, without a value, and later lines do not give one.
        bool refused = false;
    };
    const Entry* find(std::string_view key) const;
    bool addEntry(std::string_view key, std::string_view value, bool refused);
    // New entries go to the front: the list runs in reverse order of adding.
    std::forward_list<Entry> m_entries;
};

// Refused: the key's first line holds a value with a fault.
enum class PropertyRead { NotOpened, Absent, Found, Refused };

// The value of the first line with `key`, as a loaded table would give it. The
// file is read only up to that line and no other pair is kept, so a file of
// any size costs bounded memory. `fault`: why a Refused value was refused.
PropertyRead findProperty(Platform& platform, const std::string& path, std::string_view key, std::string& value,
                          TextFault& fault);

// Reads one key of a reference file into `out`. A file that cannot be opened
// fails and leaves `out` as it was; otherwise `out` is emptied and gets the
// value when the key is present (true) or stays empty (false). A refused value
// is logged under `field`.
template <std::size_t Width>
bool readProperty(Platform& platform, LogFile& log, const std::string& path, std::string_view key,
                  BoundedText<Width>& out, const char* field) {
    std::string value;
    TextFault fault = TextFault::None;
    const PropertyRead read = findProperty(platform, path, key, value, fault);
    if (read == PropertyRead::NotOpened) return false;
    out.clear();
    if (read == PropertyRead::Refused) logRefusal(log, field, faultReason(fault));
    if (read != PropertyRead::Found) return false;
    return out.assign(value);
}

}  // namespace stelvo
