// Reads of REG_SZ values, reporting absence by false and never throwing.
#pragma once

#include <windows.h>

#include <cstddef>

namespace tavroos {

// Where a key is looked for. A key that a 64-bit program can own (it writes
// its machine-wide keys into the 64-bit view on a 64-bit Windows) is looked for
// there too, but only when it, or the value read, is absent from the default
// view (mirravon::RegistryKey::OpenFallingBackTo64).
enum class RegistryLookup { DefaultView, FallBackTo64 };

class CRegistryReader {
public:
    // True when the key opens with KEY_READ; it is closed again at once.
    bool KeyExists(HKEY root, const wchar_t* subKey,
                   RegistryLookup lookup = RegistryLookup::DefaultView) const noexcept;

    // True when `destination` (capacity units) holds the value's text,
    // terminated. Only REG_SZ values of non-zero size count; a value larger than
    // the reader's 1000-byte buffer, or whose text does not fit in the
    // destination with its terminator, counts as absent (a cut path would name
    // another folder). On false the destination is unchanged.
    bool ReadStringValue(HKEY root, const wchar_t* subKey, const wchar_t* valueName, wchar_t* destination,
                         std::size_t capacity, RegistryLookup lookup = RegistryLookup::DefaultView) const noexcept;

    static constexpr DWORD kBufferBytes = 1000;
};

}  // namespace tavroos
