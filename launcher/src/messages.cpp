#include "stelvo/messages.h"

#include "stelvo/utf8.h"

namespace stelvo {

bool stringTableText(std::u16string_view block, unsigned id, std::u16string& text) {
    const unsigned wanted = id % kStringTableSlots;
    std::size_t at = 0;
    for (unsigned slot = 0; slot < kStringTableSlots && at < block.size(); ++slot) {
        const std::size_t length = block[at++];
        if (length > block.size() - at) return false;
        if (slot == wanted) {
            if (length == 0) return false;
            text.assign(block.substr(at, length));
            return true;
        }
        at += length;
    }
    return false;
}

std::vector<unsigned short> messageLanguages(unsigned short user) {
    std::vector<unsigned short> languages{user};
    const auto add = [&languages](unsigned short language) {
        for (unsigned short known : languages)
            if (known == language) return;
        languages.push_back(language);
    };
    const unsigned primary = user & 0x3FFu;
    const unsigned sub = user >> 10;
    if (primary == 0x04) {
        // Taiwan, Hong Kong, Macau and the script-only Traditional identifier write Traditional.
        add(sub == 0x01 || sub == 0x03 || sub == 0x05 || sub == 0x1F ? 0x0404 : 0x0804);
    } else if (primary == 0x0A) {
        add(0x0C0A);  // the Spanish table is stored under the modern sort
    } else {
        for (unsigned short table : kTableLanguages)
            if ((table & 0x3FFu) == primary) add(table);
    }
    add(kEnglish);
    return languages;
}

std::string loadMessage(Platform& platform, unsigned id, std::size_t size) {
    std::u16string block;
    bool found = false;
    for (unsigned short language : messageLanguages(platform.userLanguage()))
        if ((found = platform.stringTableBlock(messageBlock(id), language, block))) break;
    std::u16string text;
    if (!found || !stringTableText(block, id, text)) return {};
    std::string utf8 = utf16ToUtf8(text);
    // A text that does not fit comes out empty, as the conversion writes nothing then.
    if (utf8.size() > size) return {};
    return utf8;
}

std::string formatMessage(std::string_view format, std::string_view argument) {
    std::string out;
    bool used = false;
    for (std::size_t i = 0; i < format.size(); ++i) {
        if (format[i] != '%' || i + 1 >= format.size()) {
            out.push_back(format[i]);
            continue;
        }
        const char next = format[i + 1];
        if (next == '%') {
            out.push_back('%');
            ++i;
        } else if (!used && (next == 's' || next == 'd')) {
            out.append(argument.data(), argument.size());
            used = true;
            ++i;
        } else {
            out.push_back('%');
        }
    }
    return out;
}

void showMessageBox(Platform& platform, std::string_view text, std::string_view title, int kind) {
    const unsigned style = kind == kBoxError ? kStyleIconError : kStyleIconInformation;
    platform.messageBox(cutUtf16(utf8ToUtf16(text), kBoxUnits - 1), cutUtf16(utf8ToUtf16(title), kBoxUnits - 1), style);
}

void showUsage(const LauncherSettings& s, Platform& platform) {
    const std::string title = loadMessage(platform, kMsgUsageTitle);
    const std::string text = formatMessage(loadMessage(platform, kMsgUsage), platform.ansiToUtf8(s.launcherName.str()));
    showMessageBox(platform, text, title, kBoxInformation);
}

void showErrorBox(const LauncherSettings& s, Platform& platform, unsigned id, std::string_view argument) {
    if (s.isDialogAllowed != 1) return;
    const std::string title = loadMessage(platform, kMsgErrorTitle);
    const std::string text = formatMessage(loadMessage(platform, id), platform.ansiToUtf8(std::string(argument)));
    showMessageBox(platform, text, title, kBoxError);
}

}  // namespace stelvo
