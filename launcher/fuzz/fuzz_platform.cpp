#include "fuzz_platform.h"

#include "stelvo/messages.h"

namespace stelvo_fuzz {

bool FuzzPlatform::messageText(unsigned, std::u16string& text) {
    text = u"%s [-h]";
    return true;
}

void FuzzPlatform::messageBox(const std::u16string& text, const std::u16string& title, unsigned) {
    require(text.size() < stelvo::kBoxUnits && title.size() < stelvo::kBoxUnits);
}

}  // namespace stelvo_fuzz
