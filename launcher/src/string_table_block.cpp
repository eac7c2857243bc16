#include "string_table_block.h"

namespace stelvo {
namespace {

struct LanguageSearch {
    WORD wanted;
    bool found;
};

BOOL CALLBACK matchLanguage(HMODULE, LPCSTR, LPCSTR, WORD language, LONG_PTR param) {
    auto* search = reinterpret_cast<LanguageSearch*>(param);
    if (language != search->wanted) return TRUE;
    search->found = true;
    return FALSE;
}

// Asked for a language it does not hold, Windows' resource finder may answer
// from another one (the neutral, the user's or the system's language, or the
// first it has), where Wine's finds none; only a language the block is listed
// in is asked for, so the caller's order is the one that runs on both.
bool holdsLanguage(HMODULE module, unsigned block, WORD language) {
    LanguageSearch search{language, false};
    ::EnumResourceLanguagesA(module, MAKEINTRESOURCEA(6), MAKEINTRESOURCEA(block), matchLanguage,
                             reinterpret_cast<LONG_PTR>(&search));
    return search.found;
}

}  // namespace

bool loadStringTableBlock(HMODULE module, unsigned block, unsigned short language, std::u16string& units) {
    if (!holdsLanguage(module, block, language)) return false;
    HRSRC found = ::FindResourceExA(module, MAKEINTRESOURCEA(6), MAKEINTRESOURCEA(block), language);
    if (found == nullptr) return false;
    HGLOBAL loaded = ::LoadResource(module, found);
    if (loaded == nullptr) return false;
    const auto* data = static_cast<const char16_t*>(::LockResource(loaded));
    if (data == nullptr) return false;
    units.assign(data, ::SizeofResource(module, found) / sizeof(char16_t));
    return true;
}

}  // namespace stelvo
