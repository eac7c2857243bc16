#include "fuzz_platform.h"

#include "stelvo/messages.h"

namespace stelvo_fuzz {

FuzzPlatform::FuzzPlatform() {
    const std::u16string usage = u"%s [-h]";
    for (unsigned slot = 0; slot < stelvo::kStringTableSlots; ++slot) block += char16_t(usage.size()) + usage;
}

bool FuzzPlatform::ansiFromUtf16(std::u16string_view text, std::string& ansi) {
    std::string bytes;
    for (char16_t unit : text) {
        if (unit <= 0xFF) {
            bytes.push_back(static_cast<char>(unit));
        } else if (unit >= 0x4E00 && unit <= 0x4EFF) {
            bytes.push_back('\x81');
            bytes.push_back(static_cast<char>(unit & 0xFF));
        } else {
            return false;
        }
    }
    ansi = std::move(bytes);
    return true;
}

void FuzzPlatform::messageBox(const std::u16string& text, const std::u16string& title, unsigned) {
    require(text.size() < stelvo::kBoxUnits && title.size() < stelvo::kBoxUnits);
}

}  // namespace stelvo_fuzz
