#include "tavroos/listing.h"

#include <optional>
#include <string>

#include "kestrum_guard.h"
#include "mirravon/sized_text.h"
#include "mirravon/unique_owner.h"
#include "tavroos/text_rules.h"

namespace tavroos {

namespace {

static_assert(rules::kPlainPathRoom == MAX_PATH, "the plain form's room is MAX_PATH");

// The system's full path of `path`, in the room it asks for (it reports a room
// too small by the size it needs, never by a cut path).
std::optional<std::wstring> FullPath(const std::wstring& path) {
    return mirravon::TextOfSizedCall<wchar_t>(
        [&](wchar_t* buffer, DWORD room) { return ::GetFullPathNameW(path.c_str(), room, buffer, nullptr); });
}

}  // namespace

int ForEachEntry(const BStr& path, const std::function<void(int, const WIN32_FIND_DATAW&)>& visit,
                 FindFirstQuery findFirst) {
    const std::wstring pattern = rules::ListingPattern(path.str(), FullPath);
    WIN32_FIND_DATAW data;
    mirravon::unique_hfind search(findFirst(pattern.c_str(), &data));
    if (!search) FailLastCall("FindFirstFileW");
    int met = 0;
    do {
        visit(met, data);
        ++met;
    } while (::FindNextFileW(search.get(), &data));
    // Read before the search is closed, which may set another.
    const DWORD end = ::GetLastError();
    search.reset();
    if (end != ERROR_NO_MORE_FILES) FailCall("FindNextFileW", end);
    return met;
}

FStatRecord EntryRecord(const WIN32_FIND_DATAW& data) {
    FStatRecord record;
    record.m_bDirectory = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    record.m_bstrName = BStr(data.cFileName, rules::LengthToNul(data.cFileName, MAX_PATH));
    return record;
}

std::vector<FStatRecord> CollectFStats(const BStr& path) {
    return Guard([&] {
        std::vector<FStatRecord> entries;
        ForEachEntry(path, [&](int, const WIN32_FIND_DATAW& data) { entries.push_back(EntryRecord(data)); });
        return entries;
    });
}

}  // namespace tavroos
