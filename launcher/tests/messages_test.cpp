// Message lookup (the string-table walk, the language, widths), formatting,
// the transcoder and the boxes' buffers.
#include "stelvo/messages.h"
#include "fake_platform.h"
#include "stelvo/utf8.h"

#include <gtest/gtest.h>

#include <map>
#include <utility>
#include <vector>

using namespace stelvo;
using stelvo_test::FakePlatform;

TEST(Messages, LookedUpTextMustFit255BytesOfUtf8) {
    FakePlatform p;
    p.messages[2017] = std::u16string(85, u'\x898B');  // 255 bytes
    EXPECT_EQ(loadMessage(p, 2017).size(), 255u);
    p.messages[2017] = std::u16string(86, u'\x898B');  // 258 bytes
    EXPECT_EQ(loadMessage(p, 2017), "");
    p.messages.erase(2017);
    EXPECT_EQ(loadMessage(p, 2017), "");
}

TEST(Messages, StringTableWalkFindsTheSlotAndStaysInsideTheBlock) {
    // Slot 0 "ab", slots 1 to 13 empty, slot 14 "xyz", slot 15 empty.
    std::u16string block = u"\2ab";
    block += std::u16string(13, u'\0') + u"\3xyz";
    block.push_back(u'\0');
    std::u16string text = u"kept";
    EXPECT_TRUE(stringTableText(block, 16, text));  // slot 0 of block 2
    EXPECT_EQ(text, u"ab");
    EXPECT_TRUE(stringTableText(block, 2014, text));
    EXPECT_EQ(text, u"xyz");
    EXPECT_FALSE(stringTableText(block, 15, text));                // an empty slot
    EXPECT_FALSE(stringTableText(block.substr(0, 18), 14, text));  // the block ends inside slot 14
    EXPECT_FALSE(stringTableText(block.substr(0, 16), 14, text));  // the block ends before slot 14
    EXPECT_FALSE(stringTableText(u"\xffff", 0, text));             // a length beyond the block
    EXPECT_FALSE(stringTableText(u"", 0, text));
    EXPECT_EQ(text, u"xyz");
    EXPECT_EQ(messageBlock(2005), 126u);
}

TEST(Messages, LookupAsksForTheUsersLanguage) {
    FakePlatform p;
    p.language = 0x0411;  // the fake holds tables only for the user's language
    EXPECT_EQ(loadMessage(p, kMsgErrorTitle), "Error");
}

TEST(Messages, LanguagesTriedAreTheUsersThenItsPrimaryLanguagesTableThenEnglish) {
    using Tried = std::vector<unsigned short>;
    for (unsigned short table : kTableLanguages) EXPECT_EQ(messageLanguages(table).front(), table);
    EXPECT_EQ(messageLanguages(0x0409), (Tried{0x0409}));
    EXPECT_EQ(messageLanguages(0x0407), (Tried{0x0407, 0x0409}));
    // Each Chinese script falls back to English, never to the other script.
    EXPECT_EQ(messageLanguages(0x0804), (Tried{0x0804, 0x0409}));
    EXPECT_EQ(messageLanguages(0x0404), (Tried{0x0404, 0x0409}));
    const std::pair<unsigned short, unsigned short> variants[] = {
        {0x0809, 0x0409}, {0x1009, 0x0409}, {0x0C07, 0x0407}, {0x0807, 0x0407}, {0x080C, 0x040C}, {0x0C0C, 0x040C},
        {0x0810, 0x0410}, {0x0816, 0x0416}, {0x080A, 0x0C0A}, {0x040A, 0x0C0A}, {0x2C0A, 0x0C0A}, {0x0819, 0x0419},
        {0x0C04, 0x0404}, {0x1404, 0x0404}, {0x7C04, 0x0404}, {0x1004, 0x0804}, {0x0004, 0x0804},
    };
    for (const auto& [user, table] : variants) {
        const Tried expected = table == 0x0409 ? Tried{user, 0x0409} : Tried{user, table, 0x0409};
        EXPECT_EQ(messageLanguages(user), expected) << std::hex << user;
    }
    EXPECT_EQ(messageLanguages(0x0413), (Tried{0x0413, 0x0409}));  // Dutch has no table
    EXPECT_EQ(messageLanguages(0x041D), (Tried{0x041D, 0x0409}));
}

TEST(Messages, MissingTableFallsBackToThePrimaryLanguageThenEnglish) {
    FakePlatform p;
    const std::map<unsigned, std::u16string> english = p.messages;
    p.otherTables[0x0407] = {{2006, u"Fehler"}};
    p.otherTables[0x0409] = english;
    p.messages.clear();
    p.language = 0x0C07;  // German (Austria): no table of its own
    EXPECT_EQ(loadMessage(p, kMsgErrorTitle), "Fehler");
    EXPECT_EQ(loadMessage(p, kMsgCannotOpenIni), "Cannot open INI file: %s\n");  // block missing in German
    p.language = 0x0413;
    EXPECT_EQ(loadMessage(p, kMsgErrorTitle), "Error");
    // A language with its own table is answered from it alone, even where a slot is empty.
    p.language = 0x0407;
    p.messages = p.otherTables[0x0407];
    EXPECT_EQ(loadMessage(p, kMsgVersionNotFound), "");
}

TEST(Messages, FormatReplacesTheOneConversion) {
    EXPECT_EQ(formatMessage("Return Code=%d", "-1"), "Return Code=-1");
    EXPECT_EQ(formatMessage("%s [-h]", "stelvo"), "stelvo [-h]");
    EXPECT_EQ(formatMessage("100%% %s %s %x %", "a"), "100% a %s %x %");
    EXPECT_EQ(formatMessage("", "a"), "");
}

TEST(Utf8, RoundTripAndInvalidInputIsReplaced) {
    const std::string text = "K\xc3\xb6nig \xe8\xa6\x8b \xf0\x9f\x98\x80";
    EXPECT_EQ(utf8ToUtf16(text), u"K\u00f6nig \u898b \U0001F600");
    EXPECT_EQ(utf16ToUtf8(utf8ToUtf16(text)), text);
    EXPECT_EQ(utf8ToUtf16("a\xff"
                          "b\xc3"),
              u"a\ufffdb\ufffd");
    EXPECT_EQ(utf8ToUtf16("\xed\xa0\x80"), u"\ufffd\ufffd\ufffd");  // an encoded surrogate
    EXPECT_EQ(utf16ToUtf8(std::u16string(1, u'\xd800')), "\xef\xbf\xbd");
}

// At each boundary between sequence lengths the exact bytes: an off-by-one in
// a limit gives an overlong or a cut sequence. A lone surrogate, high or low,
// becomes U+FFFD (EF BF BD) and takes nothing of its neighbours.
TEST(Utf8, SequenceLengthBoundariesAndLoneSurrogates) {
    struct Case {
        std::u16string utf16;
        std::string utf8;
    };
    const Case cases[] = {
        {u"\u007f", "\x7f"},
        {u"\u0080", "\xc2\x80"},
        {u"\u07ff", "\xdf\xbf"},
        {u"\u0800", "\xe0\xa0\x80"},
        {u"\uffff", "\xef\xbf\xbf"},
        {u"\U00010000", "\xf0\x90\x80\x80"},
        {u"\U0010FFFF", "\xf4\x8f\xbf\xbf"},
        {std::u16string{u'a', char16_t(0xD800), u'b'},
         "a\xef\xbf\xbd"
         "b"},
        {std::u16string{u'a', char16_t(0xDFFF), u'b'},
         "a\xef\xbf\xbd"
         "b"},
        {std::u16string{char16_t(0xDC00), char16_t(0xD800)}, "\xef\xbf\xbd\xef\xbf\xbd"},  // reversed pair
        {std::u16string{u'x', char16_t(0xDBFF)}, "x\xef\xbf\xbd"},                         // high surrogate at the end
    };
    for (const Case& c : cases) {
        EXPECT_EQ(utf16ToUtf8(c.utf16), c.utf8) << static_cast<unsigned>(c.utf16[0]);
        // Text without a lone surrogate comes back unchanged.
        if (c.utf8.find("\xef\xbf\xbd") == std::string::npos) {
            EXPECT_EQ(utf8ToUtf16(c.utf8), c.utf16) << static_cast<unsigned>(c.utf16[0]);
        }
    }
}

TEST(Messages, BoxTextAndTitleAreCutTo254Units) {
    FakePlatform p;
    showMessageBox(p, std::string(300, 'x'), std::string(254, 't'), kBoxError);
    ASSERT_EQ(p.boxes.size(), 1u);
    EXPECT_EQ(p.boxes[0].text.size(), 254u);
    EXPECT_EQ(p.boxes[0].title.size(), 254u);
    EXPECT_EQ(p.boxes[0].style, kStyleIconError);
    // A pair straddling the cut is dropped whole.
    showMessageBox(p, std::string(253, 'x') + "\xf0\x9f\x98\x80", "", kBoxInformation);
    EXPECT_EQ(p.boxes[1].text.size(), 253u);
    EXPECT_EQ(p.boxes[1].style, kStyleIconInformation);
}

TEST(Messages, ErrorBoxesUseTitle2006AndRespectSilence) {
    FakePlatform p;
    LauncherSettings s;
    showErrorBox(s, p, kMsgInstallerNotFound, "C:\\img\\agent.msi");
    ASSERT_EQ(p.boxes.size(), 1u);
    EXPECT_EQ(p.boxTitle(0), "Error");
    EXPECT_EQ(p.boxText(0), "The installer for Quillmont cannot be found.  \nInstaller Location=C:\\img\\agent.msi");
    // A path in the ANSI code page reaches the box as its characters, not as broken UTF-8.
    showErrorBox(s, p, kMsgInstallerNotFound, "C:\\J\xfcrgen\\setup.exe");
    ASSERT_EQ(p.boxes.size(), 2u);
    EXPECT_NE(p.boxes[1].text.find(u"Location=C:\\J\u00fcrgen\\setup.exe"), std::u16string::npos);
    s.isDialogAllowed = 0;
    showErrorBox(s, p, kMsgInstallerNotFound, "x");
    EXPECT_EQ(p.boxes.size(), 2u);
}
