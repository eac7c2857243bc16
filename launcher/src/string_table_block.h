// A string-table block read from a module's resources in exactly the language
// asked for, so that the launcher's own order of languages decides everywhere.
#pragma once

#include <windows.h>

#include <string>

namespace stelvo {

// The block `block` of `module`'s string tables (null: the program's own) in
// `language`, as the 16-bit units it is stored in; false when the module holds
// no such block in that language, or it cannot be loaded.
bool loadStringTableBlock(HMODULE module, unsigned block, unsigned short language, std::u16string& units);

}  // namespace stelvo
