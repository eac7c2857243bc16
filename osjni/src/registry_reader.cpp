#include "tavroos/registry_reader.h"

#include <cwchar>

#include "mirravon/unique_owner.h"
#include "tavroos/text_rules.h"

namespace tavroos {

bool CRegistryReader::KeyExists(HKEY root, const wchar_t* subKey) const noexcept {
    mirravon::unique_hkey key;
    return ::RegOpenKeyExW(root, subKey, 0, KEY_READ, key.put()) == ERROR_SUCCESS;
}

bool CRegistryReader::ReadStringValue(HKEY root, const wchar_t* subKey, const wchar_t* valueName,
                                      wchar_t* destination, std::size_t capacity) const noexcept {
    if (!destination || capacity == 0) return false;
    mirravon::unique_hkey key;
    if (::RegOpenKeyExW(root, subKey, 0, KEY_READ, key.put()) != ERROR_SUCCESS) return false;
    DWORD type = 0;
    DWORD size = 0;
    if (::RegQueryValueExW(key.get(), valueName, nullptr, &type, nullptr, &size) != ERROR_SUCCESS ||
        type != REG_SZ || size == 0)
        return false;
    constexpr std::size_t kUnits = kBufferBytes / sizeof(wchar_t);
    wchar_t buffer[kUnits];
    DWORD bytes = kBufferBytes;
    // The type is read again: the value may have been rewritten since the first query.
    if (::RegQueryValueExW(key.get(), valueName, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &bytes) !=
            ERROR_SUCCESS ||
        type != REG_SZ)
        return false;
    const auto length = rules::StoredTextLength(buffer, bytes, kUnits);
    if (!length || *length + 1 > capacity) return false;
    std::wmemcpy(destination, buffer, *length);
    destination[*length] = L'\0';
    return true;
}

}  // namespace tavroos
