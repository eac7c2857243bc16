// Texts and lists of fixed width. A value that does not fit is refused as a
// whole: the field keeps what it held, so nothing is ever cut or written past
// the field's width.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace stelvo {

template <std::size_t Width> class BoundedText {
public:
    static constexpr std::size_t kWidth = Width;

    // False (and the field unchanged) when `value` is longer than the width.
    bool assign(std::string_view value) {
        if (value.size() > Width) return false;
        m_text.assign(value.data(), value.size());
        return true;
    }
    void clear() noexcept { m_text.clear(); }

    const std::string& str() const noexcept { return m_text; }
    const char* c_str() const noexcept { return m_text.c_str(); }
    bool empty() const noexcept { return m_text.empty(); }
    std::size_t size() const noexcept { return m_text.size(); }

private:
    std::string m_text;
};

template <std::size_t Entries, std::size_t Width> class BoundedList {
public:
    static constexpr std::size_t kEntries = Entries;

    // False (and the list unchanged) when the list is full or the entry too wide.
    bool append(std::string_view value) {
        if (m_entries.size() >= Entries || value.size() > Width) return false;
        m_entries.emplace_back(value);
        return true;
    }
    void clear() noexcept { m_entries.clear(); }
    std::size_t count() const noexcept { return m_entries.size(); }
    const std::string& operator[](std::size_t i) const { return m_entries[i]; }
    const std::vector<std::string>& entries() const noexcept { return m_entries; }

private:
    std::vector<std::string> m_entries;
};

}  // namespace stelvo
