#include "fuzz_platform.h"

#include "stelvo/messages.h"

namespace stelvo_fuzz {

FuzzPlatform::FuzzPlatform() {
    const std::u16string usage = u"%s [-h]";
    for (unsigned slot = 0; slot < stelvo::kStringTableSlots; ++slot) block += char16_t(usage.size()) + usage;
}

void FuzzPlatform::messageBox(const std::u16string& text, const std::u16string& title, unsigned) {
    require(text.size() < stelvo::kBoxUnits && title.size() < stelvo::kBoxUnits);
}

}  // namespace stelvo_fuzz
