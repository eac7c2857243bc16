#include "tavroos/text_rules.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <optional>
#include <string>
#include <vector>

namespace tavroos::rules {
namespace {

TEST(SearchPattern, AddsOneBackslashOnlyWhenMissing) {
    EXPECT_EQ(SearchPattern(std::u16string(u"C:\\work")), u"C:\\work\\*.*");
    EXPECT_EQ(SearchPattern(std::u16string(u"C:\\work\\")), u"C:\\work\\*.*");
    EXPECT_EQ(SearchPattern(std::u16string(u"C:/work/")), u"C:/work/\\*.*");
    EXPECT_EQ(SearchPattern(std::u16string()), u"\\*.*");
}

// A pattern of 260 units or more of a drive or UNC path goes to the system in
// the extended form, made whole by the full-path function first; every other
// pattern is the designed one, exactly.
TEST(ListingPattern, ExtendedFormOnlyForAbsolutePathsBeyondThePlainRoom) {
    std::vector<std::u16string> asked;
    std::optional<std::u16string> full;
    const auto pattern = [&](const std::u16string& directory) {
        return ListingPattern(directory, [&](const std::u16string& p) {
            asked.push_back(p);
            return full;
        });
    };
    // 259 units with its pattern: the plain form, and the full-path function is not asked.
    const std::u16string fits = u"C:\\" + std::u16string(252, u'f');
    EXPECT_EQ(pattern(fits), fits + u"\\*.*");
    EXPECT_TRUE(asked.empty());
    // 260 units: the full-path function is asked; when it gives nothing, the designed pattern.
    EXPECT_EQ(pattern(fits + u"g"), fits + u"g\\*.*");
    EXPECT_EQ(asked.size(), 1u);

    asked.clear();
    const std::u16string deep(300, u'd');
    full = u"C:\\" + deep + u"\\*.*";
    EXPECT_EQ(pattern(u"C:/x/../" + deep), u"\\\\?\\C:\\" + deep + u"\\*.*");
    EXPECT_EQ(asked, std::vector<std::u16string>{u"C:/x/../" + deep + u"\\*.*"}) << "normalised from the pattern";
    full = u"\\\\srv\\share\\" + deep + u"\\*.*";
    EXPECT_EQ(pattern(u"//srv/share/" + deep), u"\\\\?\\UNC\\srv\\share\\" + deep + u"\\*.*");

    // Relative, drive-relative, rooted and already extended paths stay as designed.
    asked.clear();
    full = u"C:\\elsewhere\\*.*";
    for (const std::u16string& keep : {deep, u"C:" + deep, u"\\" + deep, u"\\\\?\\C:\\" + deep})
        EXPECT_EQ(pattern(keep), keep + u"\\*.*");
    EXPECT_TRUE(asked.empty());
}

TEST(ProgramDirectory, CutsAtLastBackslashThenSlashElseWhole) {
    EXPECT_EQ(ProgramDirectory(std::u16string(u"C:\\a/b\\QAService.exe")), u"C:\\a/b");
    EXPECT_EQ(ProgramDirectory(std::u16string(u"C:/a/b/QAService.exe")), u"C:/a/b");
    EXPECT_EQ(ProgramDirectory(std::u16string(u"QAService.exe")), u"QAService.exe");
    // The file part is what the cut leaves.
    EXPECT_EQ(FilePart(std::u16string(u"C:\\a/b\\QAService.exe")), u"QAService.exe");
    EXPECT_EQ(FilePart(std::u16string(u"C:/a/b/QAServer.exe")), u"QAServer.exe");
    EXPECT_EQ(FilePart(std::u16string(u"QAServer.exe")), u"QAServer.exe");
    EXPECT_EQ(FilePart(std::u16string(u"C:\\bin\\")), u"");
}

struct Rec {
    int value = -1;
};

// A list whose length changes between the two passes, as a directory or a
// share list may; `lengths` gives what each pass sees, in order.
struct ChangingList {
    std::vector<int> lengths;
    std::size_t pass = 0;
    int counts = 0;
    int Count() {
        ++counts;
        return lengths.at(pass++);
    }
    int Fill(Rec* records, int capacity) {
        const int n = lengths.at(pass++);
        for (int i = 0; i < n && i < capacity; ++i) records[i].value = i;
        return n;
    }
    std::vector<Rec> Collect() {
        std::vector<Rec> all(static_cast<std::size_t>(lengths.at(pass++)));
        for (std::size_t i = 0; i < all.size(); ++i) all[i].value = static_cast<int>(i);
        return all;
    }
};

std::vector<Rec> ListOf(ChangingList& list) {
    return TwoPassList<Rec>([&] { return list.Count(); }, [&](Rec* r, int capacity) { return list.Fill(r, capacity); },
                            [&] { return list.Collect(); });
}

TEST(TwoPassList, StablePassesGiveExactlyTheCount) {
    ChangingList list{{3, 3}};
    const auto records = ListOf(list);
    ASSERT_EQ(records.size(), 3u);
    EXPECT_EQ(records[2].value, 2);
    EXPECT_EQ(list.counts, 1);
}

TEST(TwoPassList, EntryAddedBetweenPassesIsRetriedNotWrittenBeyond) {
    ChangingList list{{2, 3, 3, 3}};
    const auto records = ListOf(list);
    ASSERT_EQ(records.size(), 3u);
    EXPECT_EQ(list.counts, 2);
}

TEST(TwoPassList, KeepsChangingThenGivesOnlyWrittenRecords) {
    // Grows every time: after the last attempt one collecting pass gives all it meets.
    ChangingList growing{{1, 2, 2, 3, 3, 4, 5}};
    const auto grown = ListOf(growing);
    ASSERT_EQ(grown.size(), 5u);
    EXPECT_EQ(growing.counts, 3);
    for (const Rec& r : grown) EXPECT_GE(r.value, 0);
    // Shrinks every time: no default record stands for a vanished entry.
    ChangingList shrinking{{5, 4, 4, 3, 3, 2}};
    const auto shrunk = ListOf(shrinking);
    ASSERT_EQ(shrunk.size(), 2u);
    for (const Rec& r : shrunk) EXPECT_GE(r.value, 0);
}

TEST(TwoPassList, EntriesPresentThroughoutSurviveAListThatKeepsGrowing) {
    // Entries 0 to 4 stay; before every pass a new one turns up ahead of them
    // in the order met, as a file created in a busy folder may.
    std::deque<int> list{0, 1, 2, 3, 4};
    int next = 100;
    auto pass = [&] {
        list.push_front(next++);
        return static_cast<int>(list.size());
    };
    int collected = 0;
    const auto records = TwoPassList<Rec>(
        pass,
        [&](Rec* r, int capacity) {
            const int met = pass();
            for (int i = 0; i < met && i < capacity; ++i) r[i].value = list[static_cast<std::size_t>(i)];
            return met;
        },
        [&] {
            ++collected;
            pass();
            std::vector<Rec> all;
            for (int v : list) all.push_back(Rec{v});
            return all;
        });
    EXPECT_EQ(collected, 1);
    for (int stable = 0; stable < 5; ++stable)
        EXPECT_TRUE(std::any_of(records.begin(), records.end(), [&](const Rec& r) { return r.value == stable; }))
            << "entry " << stable << " was there throughout";
}

TEST(TwoPassList, EmptyListSkipsTheFill) {
    ChangingList list{{0}};
    EXPECT_TRUE(ListOf(list).empty());
    EXPECT_EQ(list.pass, 1u);
}

}  // namespace
}  // namespace tavroos::rules
