#include "tavroos/registry_reader.h"

#include <cwchar>

#include "mirravon/stored_text.h"

namespace tavroos {

bool ReadStringValue(const mirravon::RegistryKey& key, const wchar_t* valueName, wchar_t* destination,
                     std::size_t capacity) noexcept {
    if (!destination || capacity == 0) return false;
    constexpr std::size_t kUnits = kRegistryBufferBytes / sizeof(wchar_t);
    wchar_t buffer[kUnits];
    DWORD bytes = 0;
    if (key.ReadValue(valueName, mirravon::RegistryTypes{REG_SZ}, buffer, kRegistryBufferBytes, bytes) != ERROR_SUCCESS)
        return false;
    const auto length = mirravon::StoredTextLength(buffer, bytes, mirravon::StoredTextRoom{kUnits, capacity, true});
    if (!length) return false;
    std::wmemcpy(destination, buffer, *length);
    destination[*length] = L'\0';
    return true;
}

bool ReadStringValue(HKEY root, const wchar_t* subKey, const wchar_t* valueName, wchar_t* destination,
                     std::size_t capacity, mirravon::RegistryView view) noexcept {
    if (!destination || capacity == 0) return false;
    mirravon::RegistryKey key;
    if (key.Open(root, subKey, KEY_READ, view, {valueName}) != ERROR_SUCCESS) return false;
    return ReadStringValue(key, valueName, destination, capacity);
}

}  // namespace tavroos
