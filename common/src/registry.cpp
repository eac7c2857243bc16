// Registry keys and value reads behind RegistryKey, for narrow and wide names.
#include "mirravon/registry.h"

#include <cstring>
#include <memory>
#include <new>
#include <optional>
#include <utility>

#include "mirravon/registry_view_rule.h"

namespace mirravon {
namespace {

LONG OpenKey(HKEY root, const char* subKey, REGSAM access, HKEY* key) {
    return ::RegOpenKeyExA(root, subKey, 0, access, key);
}
LONG OpenKey(HKEY root, const wchar_t* subKey, REGSAM access, HKEY* key) {
    return ::RegOpenKeyExW(root, subKey, 0, access, key);
}
LONG QueryValue(HKEY key, const char* name, DWORD* type, BYTE* data, DWORD* bytes) {
    return ::RegQueryValueExA(key, name, nullptr, type, data, bytes);
}
LONG QueryValue(HKEY key, const wchar_t* name, DWORD* type, BYTE* data, DWORD* bytes) {
    return ::RegQueryValueExW(key, name, nullptr, type, data, bytes);
}

// What a query without a buffer says of the value, for the view rule: it is
// there (whatever a later read makes of it), it is not, or the query failed.
template <typename C> ValueRead ProbeValue(HKEY key, const C* name) noexcept {
    switch (QueryValue(key, name, nullptr, nullptr, nullptr)) {
    case ERROR_SUCCESS: return ValueRead::Read;
    case ERROR_MORE_DATA: return ValueRead::Refused;
    case ERROR_FILE_NOT_FOUND: return ValueRead::NotFound;
    default: return ValueRead::Failed;
    }
}

template <typename C>
LONG Open(unique_hkey& held, HKEY root, const C* subKey, REGSAM access, RegistryView view,
          std::initializer_list<const C*> anyOf) noexcept {
    if (view != RegistryView::DefaultThenOther) {
        unique_hkey opened;
        const LONG status = OpenKey(root, subKey, access | ViewFlag(view), opened.put());
        if (status == ERROR_SUCCESS) held = std::move(opened);
        return status;
    }
    unique_hkey keys[2];
    LONG defaultStatus = ERROR_SUCCESS;
    const auto answerIn = [&](KeyView keyView) {
        const bool other = keyView == KeyView::Other;
        unique_hkey& key = keys[other ? 1 : 0];
        const LONG status = OpenKey(root, subKey, access | (other ? ViewFlag(OtherView()) : 0), key.put());
        if (!other) defaultStatus = status;
        return AnswerOfKey(status == ERROR_SUCCESS, anyOf, [&](const C* name) { return ProbeValue(key.get(), name); });
    };
    const std::optional<KeyView> answering = AnsweringView(answerIn);
    if (!answering) return defaultStatus;
    held = std::move(keys[*answering == KeyView::Other ? 1 : 0]);
    return ERROR_SUCCESS;
}

template <typename C>
LONG ReadWhole(HKEY key, const C* name, RegistryTypes accepted, std::vector<BYTE>& data) noexcept {
    if (key == nullptr) return ERROR_INVALID_HANDLE;
    try {
        std::vector<BYTE> value;
        // The first query only sizes the value; a value that grows before the
        // read is sized again. One byte at least, so that the data pointer of
        // a sized query is never null.
        for (bool sized = false;;) {
            DWORD type = REG_NONE;
            DWORD bytes = static_cast<DWORD>(value.size());
            const LONG status = QueryValue(key, name, &type, sized ? value.data() : nullptr, &bytes);
            if (status != ERROR_SUCCESS && status != ERROR_MORE_DATA) return status;
            if (status == ERROR_SUCCESS) {
                if (!accepted.accepts(type)) return ERROR_UNSUPPORTED_TYPE;
                if (sized) {
                    value.resize(bytes);
                    data = std::move(value);
                    return ERROR_SUCCESS;
                }
            }
            value.assign(bytes != 0 ? bytes : 1, 0);
            sized = true;
        }
    } catch (const std::bad_alloc&) {
        return ERROR_NOT_ENOUGH_MEMORY;
    }
}

template <typename C>
LONG ReadIntoRoom(HKEY key, const C* name, RegistryTypes accepted, void* room, DWORD roomBytes, DWORD& bytes) noexcept {
    if (key == nullptr) return ERROR_INVALID_HANDLE;
    if (room == nullptr && roomBytes != 0) return ERROR_INVALID_PARAMETER;
    // A buffer of our own: a value that does not fit, or has a refused type,
    // must leave the caller's room as it was.
    std::unique_ptr<BYTE[]> buffer(new (std::nothrow) BYTE[roomBytes != 0 ? roomBytes : 1]);
    if (!buffer) return ERROR_NOT_ENOUGH_MEMORY;
    DWORD type = REG_NONE;
    DWORD got = roomBytes;
    const LONG status = QueryValue(key, name, &type, buffer.get(), &got);
    if (status != ERROR_SUCCESS) return status;
    if (!accepted.accepts(type)) return ERROR_UNSUPPORTED_TYPE;
    if (got > roomBytes) return ERROR_MORE_DATA;
    if (got != 0) std::memcpy(room, buffer.get(), got);
    bytes = got;
    return ERROR_SUCCESS;
}

}  // namespace

LONG RegistryKey::Open(HKEY root, const char* subKey, REGSAM access, RegistryView view,
                       std::initializer_list<const char*> anyOf) noexcept {
    return mirravon::Open(m_key, root, subKey, access, view, anyOf);
}
LONG RegistryKey::Open(HKEY root, const wchar_t* subKey, REGSAM access, RegistryView view,
                       std::initializer_list<const wchar_t*> anyOf) noexcept {
    return mirravon::Open(m_key, root, subKey, access, view, anyOf);
}

LONG RegistryKey::ReadValue(const char* name, RegistryTypes accepted, std::vector<BYTE>& data) const noexcept {
    return ReadWhole(m_key.get(), name, accepted, data);
}
LONG RegistryKey::ReadValue(const wchar_t* name, RegistryTypes accepted, std::vector<BYTE>& data) const noexcept {
    return ReadWhole(m_key.get(), name, accepted, data);
}

LONG RegistryKey::ReadValue(const char* name, RegistryTypes accepted, void* room, DWORD roomBytes,
                            DWORD& bytes) const noexcept {
    return ReadIntoRoom(m_key.get(), name, accepted, room, roomBytes, bytes);
}
LONG RegistryKey::ReadValue(const wchar_t* name, RegistryTypes accepted, void* room, DWORD roomBytes,
                            DWORD& bytes) const noexcept {
    return ReadIntoRoom(m_key.get(), name, accepted, room, roomBytes, bytes);
}

}  // namespace mirravon
