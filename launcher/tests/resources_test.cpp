// Reads stelvo.exe's own resources the way the launcher does (its block loader,
// which asks only for a language the block is held in, and its own walk over a
// string-table block) and checks the message table and the icon group.
#include "mirravon/unique_owner.h"
#include "mirravon_test/test_main.h"
#include "stelvo/messages.h"
#include "stelvo/utf8.h"
#include "string_table_block.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

namespace {

std::string g_exePath;

const UINT kMessageIds[] = {1, 2004, 2005, 2006, 2011, 2013, 2015, 2017};

class LauncherResources : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        s_module.reset(::LoadLibraryExA(g_exePath.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE));
    }
    static void TearDownTestSuite() { s_module.reset(); }

    // The text at `id` of the string table in `lang`, or nothing when the block or slot is missing.
    static bool loadString(UINT id, WORD lang, std::u16string& text) {
        std::u16string block;
        return stelvo::loadStringTableBlock(s_module.get(), stelvo::messageBlock(id), lang, block) &&
               stelvo::stringTableText(block, id, text);
    }

    static mirravon::unique_hmodule s_module;
};
mirravon::unique_hmodule LauncherResources::s_module;

// The printf conversions of a text, in order ("%s", "%d", ...); "%%" is not one.
std::vector<std::u16string> placeholders(const std::u16string& text) {
    std::vector<std::u16string> found;
    for (size_t i = 0; i + 1 < text.size(); ++i) {
        if (text[i] != u'%') continue;
        if (text[i + 1] == u'%') {
            ++i;
            continue;
        }
        size_t j = i + 1;
        while (j < text.size() && !iswalpha(static_cast<wint_t>(text[j]))) ++j;
        if (j < text.size()) found.push_back(text.substr(i, j - i + 1));
        i = j;
    }
    return found;
}

}  // namespace

TEST_F(LauncherResources, EveryMessageInEveryLanguageKeepsTheEnglishPlaceholders) {
    ASSERT_TRUE(s_module.valid()) << "cannot load " << g_exePath;
    std::map<UINT, std::u16string> english;
    for (UINT id : kMessageIds) {
        ASSERT_TRUE(loadString(id, 0x0409, english[id])) << "English message " << id;
        ASSERT_FALSE(english[id].empty());
    }
    EXPECT_EQ(english[1], u"Cannot open INI file: %s\n");
    EXPECT_EQ(english[2006], u"Error");

    for (WORD lang : stelvo::kTableLanguages) {
        for (UINT id : kMessageIds) {
            std::u16string text;
            ASSERT_TRUE(loadString(id, lang, text)) << "message " << id << " language 0x" << std::hex << lang;
            EXPECT_EQ(placeholders(text), placeholders(english[id]))
                << "message " << id << " language 0x" << std::hex << lang;
            // The launcher holds a looked-up text in 255 bytes of UTF-8.
            EXPECT_LE(stelvo::utf16ToUtf8(text).size(), stelvo::kMessageBytes)
                << "message " << id << " language 0x" << std::hex << lang;
        }
    }
}

TEST_F(LauncherResources, TranslationsAreNotEnglishCopies) {
    ASSERT_TRUE(s_module.valid());
    std::u16string english, german, japanese;
    ASSERT_TRUE(loadString(2011, 0x0409, english));
    ASSERT_TRUE(loadString(2011, 0x0407, german));
    ASSERT_TRUE(loadString(2011, 0x0411, japanese));
    EXPECT_NE(german, english);
    EXPECT_NE(japanese, english);
    // Stored as UTF-16, not as the build machine's bytes: Japanese text has no byte-sized units.
    EXPECT_NE(japanese.find(u'\x898B'), std::u16string::npos);  // 見
}

// Languages without a table of their own get no answer, not another language's
// table: the launcher's order of languages then decides, as under Wine.
TEST_F(LauncherResources, OnlyALanguageATableIsHeldInAnswers) {
    ASSERT_TRUE(s_module.valid());
    for (const WORD lang :
         std::initializer_list<WORD>{0x0000, 0x0400, 0x0800, 0x0009, 0x0007, 0x0809, 0x0C07, 0x0413}) {
        std::u16string block;
        EXPECT_FALSE(stelvo::loadStringTableBlock(s_module.get(), stelvo::messageBlock(2011), lang, block))
            << "language 0x" << std::hex << lang;
    }
    std::u16string block;
    EXPECT_FALSE(stelvo::loadStringTableBlock(s_module.get(), 99, 0x0409, block));  // no such block
}

TEST_F(LauncherResources, IconGroup103HoldsTheTenImages) {
    ASSERT_TRUE(s_module.valid());
    HRSRC found = ::FindResourceA(s_module.get(), MAKEINTRESOURCEA(103), MAKEINTRESOURCEA(14));
    ASSERT_NE(found, nullptr);
    const BYTE* dir = static_cast<const BYTE*>(::LockResource(::LoadResource(s_module.get(), found)));
    ASSERT_NE(dir, nullptr);
#pragma pack(push, 2)
    struct GroupHeader {
        WORD reserved, type, count;
    };
    struct GroupEntry {
        BYTE width, height, colours, reserved;
        WORD planes, bitCount;
        DWORD bytes;
        WORD id;
    };
#pragma pack(pop)
    const auto* header = reinterpret_cast<const GroupHeader*>(dir);
    EXPECT_EQ(header->type, 1);
    ASSERT_EQ(header->count, 10);
    const auto* entries = reinterpret_cast<const GroupEntry*>(dir + sizeof(GroupHeader));
    std::multimap<int, int> images;  // bit count -> size
    for (int i = 0; i < header->count; ++i) {
        images.emplace(entries[i].bitCount, entries[i].width == 0 ? 256 : entries[i].width);
        EXPECT_NE(::FindResourceA(s_module.get(), MAKEINTRESOURCEA(entries[i].id), MAKEINTRESOURCEA(3)), nullptr);
    }
    const std::multimap<int, int> expected = {{4, 16}, {4, 32},  {4, 48},  {8, 16},  {8, 32},
                                              {8, 48}, {32, 16}, {32, 32}, {32, 48}, {32, 64}};
    EXPECT_EQ(images, expected);
}

int main(int argc, char** argv) {
    return mirravon_test::RunTestsWithPaths(argc, argv, "PATH-TO-stelvo.exe", {&g_exePath});
}
