// Reads of REG_SZ values, reporting absence by false and never throwing.
#pragma once

#include <windows.h>

#include <cstddef>

#include "mirravon/registry.h"

namespace tavroos {

// The room a value's data is read into.
constexpr DWORD kRegistryBufferBytes = 1000;

// True when `destination` (capacity units) holds the text of the value
// `valueName` of `key`, terminated. Only REG_SZ values of non-zero size count;
// a value larger than the reader's 1000-byte buffer, or whose text does not fit
// in the destination with its terminator, counts as absent (a cut path would
// name another folder). On false the destination is unchanged.
bool ReadStringValue(const mirravon::RegistryKey& key, const wchar_t* valueName, wchar_t* destination,
                     std::size_t capacity) noexcept;

// The same for the value of `subKey` below `root`, opened with KEY_READ in the
// views `view` names; a key that does not open counts as the value absent.
bool ReadStringValue(HKEY root, const wchar_t* subKey, const wchar_t* valueName, wchar_t* destination,
                     std::size_t capacity, mirravon::RegistryView view = mirravon::RegistryView::Default) noexcept;

}  // namespace tavroos
