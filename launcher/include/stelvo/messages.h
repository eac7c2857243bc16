// Localised messages from the program's string tables, and the message boxes.
#pragma once

#include "stelvo/launcher_settings.h"
#include "stelvo/platform.h"

#include <string>
#include <string_view>
#include <vector>

namespace stelvo {

enum MessageId : unsigned {
    kMsgCannotOpenIni = 1,
    kMsgUsageTitle = 2004,
    kMsgUsage = 2005,
    kMsgErrorTitle = 2006,
    kMsgVersionNotFound = 2011,
    kMsgInstallerNotFound = 2013,
    kMsgInstallerError = 2015,
    kMsgVersionNotFoundExtension = 2017,
};

enum BoxKind { kBoxInformation = 1, kBoxError = 3 };

constexpr std::size_t kMessageBytes = 255;  // a looked-up text, in UTF-8
constexpr std::size_t kBoxUnits = 255;      // a box's text or title, in UTF-16 units with the terminator
constexpr unsigned kStyleIconError = 0x10;
constexpr unsigned kStyleIconInformation = 0x40;

// The languages the program carries string tables for.
constexpr unsigned short kTableLanguages[] = {0x0404, 0x0405, 0x0407, 0x0409, 0x040C, 0x040E, 0x0410,
                                              0x0411, 0x0412, 0x0415, 0x0416, 0x0419, 0x0804, 0x0C0A};
constexpr unsigned short kEnglish = 0x0409;

// A message id's place in the string tables: block id / 16 + 1, slot id % 16.
constexpr unsigned kStringTableSlots = 16;
constexpr unsigned messageBlock(unsigned id) { return id / kStringTableSlots + 1; }

// The text at `id`'s slot of a raw string-table block (16 slots, each a length
// in units followed by that many units). False when the slot is empty or the
// block ends before the slot or inside a length it announces.
bool stringTableText(std::u16string_view block, unsigned id, std::u16string& text);

// The languages whose string tables a lookup tries, in order, for the user's
// language: the language itself, the table of its primary language (Chinese by
// script: Hong Kong and Macau take Traditional, Singapore Simplified), English.
// The same everywhere, instead of whatever the platform's resource finder does.
std::vector<unsigned short> messageLanguages(unsigned short user);

// The message's UTF-8 text in the user's language, from the first language of
// messageLanguages whose table has the message's block (a table that has the
// block decides, even when the slot is empty); empty when there is none or
// when it does not fit `size` bytes.
std::string loadMessage(Platform& platform, unsigned id, std::size_t size = kMessageBytes);

// The message format with its one conversion ("%s" or "%d", first found)
// replaced by `argument`; "%%" gives "%", any other "%" stays as it is.
std::string formatMessage(std::string_view format, std::string_view argument);

// Shows the box; text and title are cut to 254 UTF-16 units (never inside a surrogate pair).
void showMessageBox(Platform& platform, std::string_view text, std::string_view title, int kind);
void showUsage(const LauncherSettings& s, Platform& platform);
// An error box of the driver: title message 2006; shown only while dialogs are
// allowed. The argument is ANSI text, converted to UTF-8 before it joins the message.
void showErrorBox(const LauncherSettings& s, Platform& platform, unsigned id, std::string_view argument);

}  // namespace stelvo
