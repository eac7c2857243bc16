#include "tavroos/listing.h"

#include <string>

#include "kestrum_guard.h"
#include "mirravon/unique_owner.h"
#include "tavroos/text_rules.h"

namespace tavroos {

int ForEachEntry(const BStr& path, const std::function<void(int, const WIN32_FIND_DATAW&)>& visit) {
    const std::wstring pattern = rules::SearchPattern(path.str());
    WIN32_FIND_DATAW data;
    mirravon::unique_hfind search(::FindFirstFileW(pattern.c_str(), &data));
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
