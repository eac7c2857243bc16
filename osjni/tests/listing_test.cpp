// Directory listings over real folders.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "mirravon/unique_owner.h"
#include "mirravon_test/caller.h"
#include "mirravon_test/scratch_dir.h"
#include "mirravon_test/to_utf8.h"
#include "tavroos/kestrum.h"
#include "tavroos/listing.h"

using mirravon_test::ScratchDir;
using mirravon_test::toUtf8;
using tavroos::BStr;
using tavroos::CKestrum;
using tavroos::FStatRecord;
using tavroos::KestrumUnmanagedException;

namespace {

// name (UTF-8) -> is a directory
std::map<std::string, bool> List(const std::wstring& path, mirravon_test::Caller where = {}) {
    const mirravon_test::CallerTrace trace(where);
    CKestrum& kestrum = CKestrum::GetInstance();
    const BStr dir(path.c_str());
    const int count = kestrum.GetFStatCount(dir);
    std::vector<FStatRecord> records(static_cast<std::size_t>(count));
    EXPECT_EQ(kestrum.GetFStats(dir, records.data(), count), count);
    std::map<std::string, bool> entries;
    for (const FStatRecord& r : records) entries[toUtf8(r.m_bstrName.str())] = r.m_bDirectory;
    EXPECT_EQ(entries.size(), records.size()) << "a name listed twice";
    return entries;
}

const std::wstring kForeignName = L"\u03A9mega-\u65E5\u672C-\u0436.txt";

TEST(Listing, ListsEverythingIncludingDotsHiddenAndSystem) {
    ScratchDir dir(L"tavroos-listing");
    dir.file(L"plain.txt");
    dir.file(L"hidden.txt", FILE_ATTRIBUTE_HIDDEN);
    dir.file(L"system.txt", FILE_ATTRIBUTE_SYSTEM);
    dir.file(kForeignName);
    dir.folder(L"sub");
    const std::map<std::string, bool> expected{{".", true},           {"..", true},
                                               {"plain.txt", false},  {"hidden.txt", false},
                                               {"system.txt", false}, {toUtf8(kForeignName), false},
                                               {"sub", true}};
    EXPECT_EQ(List(dir.path()), expected);
    // A trailing backslash gets no second one; a trailing slash still gets one.
    EXPECT_EQ(List(dir.path() + L"\\"), expected);
    EXPECT_EQ(List(dir.path() + L"/"), expected);
}

TEST(Listing, EmptyDirectoryGivesTheTwoDotEntries) {
    ScratchDir dir(L"tavroos-empty");
    EXPECT_EQ(List(dir.path()), (std::map<std::string, bool>{{".", true}, {"..", true}}));
}

TEST(Listing, MissingPathOrFileThrows) {
    ScratchDir dir(L"tavroos-missing");
    dir.file(L"file.txt");
    CKestrum& kestrum = CKestrum::GetInstance();
    EXPECT_THROW(kestrum.GetFStatCount(BStr((dir / L"nothing-here").c_str())), KestrumUnmanagedException);
    EXPECT_THROW(kestrum.GetFStatCount(BStr((dir / L"file.txt").c_str())), KestrumUnmanagedException);
    FStatRecord record;
    EXPECT_THROW(kestrum.GetFStats(BStr((dir / L"nothing-here").c_str()), &record, 1), KestrumUnmanagedException);
}

TEST(Listing, EntriesAddedAfterTheCountAreNotWrittenBeyondTheArray) {
    ScratchDir dir(L"tavroos-growing");
    dir.file(L"one.txt");
    CKestrum& kestrum = CKestrum::GetInstance();
    const BStr path(dir.path().c_str());
    const int count = kestrum.GetFStatCount(path);
    ASSERT_EQ(count, 3);
    dir.file(L"two.txt");
    dir.file(L"three.txt");

    // One record more than the count, as a guard that must stay untouched.
    std::vector<FStatRecord> records(static_cast<std::size_t>(count) + 1);
    records.back().m_bstrName = BStr(L"guard");
    EXPECT_EQ(kestrum.GetFStats(path, records.data(), count), count + 2);
    EXPECT_EQ(records.back().m_bstrName.str(), L"guard");

    // The form without a capacity uses the count made on this thread.
    ASSERT_EQ(kestrum.GetFStatCount(path), 5);
    dir.file(L"four.txt");
    std::vector<FStatRecord> five(6);
    five.back().m_bstrName = BStr(L"guard");
    kestrum.GetFStats(path, five.data());
    EXPECT_EQ(five.back().m_bstrName.str(), L"guard");
    for (int i = 0; i < 5; ++i) EXPECT_FALSE(five[i].m_bstrName.empty());
}

// Every pattern the listing hands to the system, before the real search.
std::vector<std::wstring> g_patterns;
HANDLE WINAPI RecordingFindFirst(LPCWSTR pattern, LPWIN32_FIND_DATAW data) {
    g_patterns.push_back(pattern);
    return ::FindFirstFileW(pattern, data);
}

std::map<std::string, bool> ListRecorded(const std::wstring& path) {
    std::map<std::string, bool> entries;
    g_patterns.clear();
    const auto visit = [&](int, const WIN32_FIND_DATAW& data) {
        const FStatRecord record = tavroos::EntryRecord(data);
        entries[toUtf8(record.m_bstrName.str())] = record.m_bDirectory;
    };
    tavroos::ForEachEntry(BStr(path.c_str()), visit, RecordingFindFirst);
    return entries;
}

// Wine lists a plain pattern beyond MAX_PATH, where Windows refuses it to a
// program that is not long-path aware: what shows is the pattern handed over.
TEST(Listing, PathBeyondMaxPathIsListedInTheExtendedForm) {
    ScratchDir dir(L"tavroos-long");
    const std::wstring first = dir / std::wstring(150, L'a');
    const std::wstring deep = first + L"\\" + std::wstring(300 - first.size() - 1, L'b');
    ASSERT_EQ(deep.size(), 300u);
    ASSERT_TRUE(::CreateDirectoryW((L"\\\\?\\" + first).c_str(), nullptr)) << ::GetLastError();
    ASSERT_TRUE(::CreateDirectoryW((L"\\\\?\\" + deep).c_str(), nullptr)) << ::GetLastError();
    ASSERT_TRUE(mirravon::unique_hfile(::CreateFileW((L"\\\\?\\" + deep + L"\\inside.txt").c_str(), GENERIC_WRITE, 0,
                                                     nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr)));
    const std::map<std::string, bool> expected{{".", true}, {"..", true}, {"inside.txt", false}};

    // Written with "/" and "..", which the extended form would take as names.
    const std::wstring written = first + L"/gone/../" + deep.substr(first.size() + 1);
    EXPECT_EQ(ListRecorded(written), expected);
    EXPECT_EQ(g_patterns, std::vector<std::wstring>{L"\\\\?\\" + deep + L"\\*.*"});
    EXPECT_EQ(List(written), expected);

    // A short path keeps the designed pattern exactly, slash and all.
    EXPECT_EQ(ListRecorded(dir.path() + L"/").size(), 3u);
    EXPECT_EQ(g_patterns, std::vector<std::wstring>{dir.path() + L"/\\*.*"});
}

}  // namespace
