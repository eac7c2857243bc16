#include "tavroos/registry_reader.h"

#include <cwchar>

#include "mirravon/registry.h"
#include "tavroos/text_rules.h"

namespace tavroos {

bool CRegistryReader::KeyExists(HKEY root, const wchar_t* subKey, RegistryLookup lookup) const noexcept {
    mirravon::RegistryKey key;
    const LONG status = lookup == RegistryLookup::FallBackTo64 ? key.OpenFallingBackTo64(root, subKey, KEY_READ)
                                                                : key.Open(root, subKey, KEY_READ);
    return status == ERROR_SUCCESS;
}

bool CRegistryReader::ReadStringValue(HKEY root, const wchar_t* subKey, const wchar_t* valueName,
                                      wchar_t* destination, std::size_t capacity,
                                      RegistryLookup lookup) const noexcept {
    if (!destination || capacity == 0) return false;
    mirravon::RegistryKey key;
    const LONG status = lookup == RegistryLookup::FallBackTo64
                            ? key.OpenFallingBackTo64(root, subKey, KEY_READ, valueName)
                            : key.Open(root, subKey, KEY_READ);
    if (status != ERROR_SUCCESS) return false;
    constexpr std::size_t kUnits = kBufferBytes / sizeof(wchar_t);
    wchar_t buffer[kUnits];
    DWORD bytes = 0;
    if (key.ReadValue(valueName, mirravon::RegistryTypes{REG_SZ}, buffer, kBufferBytes, bytes) != ERROR_SUCCESS)
        return false;
    const auto length = rules::StringValueLength(buffer, bytes, kUnits, capacity);
    if (!length) return false;
    std::wmemcpy(destination, buffer, *length);
    destination[*length] = L'\0';
    return true;
}

}  // namespace tavroos
