#include <windows.h>
#include <lm.h>
#include <winnetwk.h>

#include "kestrum_guard.h"
#include "mirravon/unique_owner.h"
#include "tavroos/shares.h"
#include "tavroos/text_rules.h"

namespace tavroos {

namespace {

constexpr DWORD kShareInfoLevel = 502;
constexpr DWORD kUniversalNameBytes = 520;

bool Qualifies(const SHARE_INFO_502& entry) {
    return entry.shi502_security_descriptor != nullptr && ::IsValidSecurityDescriptor(entry.shi502_security_descriptor);
}

// One pass over the local computer's shares; `visit` sees every qualifying
// entry in enumeration order.
template <typename Visit> void EnumerateShares(const NetApi& api, Visit visit) {
    DWORD resume = 0;
    for (;;) {
        LPBYTE buffer = nullptr;
        DWORD read = 0;
        DWORD total = 0;
        const DWORD resumeBefore = resume;
        const NET_API_STATUS status =
            api.shareEnum(nullptr, kShareInfoLevel, &buffer, MAX_PREFERRED_LENGTH, &read, &total, &resume);
        auto release = mirravon::scope_exit([&] {
            if (buffer) api.bufferFree(buffer);
        });
        if (status != NERR_Success && status != ERROR_MORE_DATA) return;
        if (buffer) {
            const auto* entries = reinterpret_cast<const SHARE_INFO_502*>(buffer);
            for (DWORD i = 0; i < read; ++i)
                if (Qualifies(entries[i])) visit(entries[i]);
        }
        if (status != ERROR_MORE_DATA) return;
        // "More data" that brings nothing and does not move on would repeat for ever.
        if (read == 0 && resume == resumeBefore) return;
    }
}

ShareRecord RecordOf(const SHARE_INFO_502& entry) {
    ShareRecord record;
    record.m_bstrName = BStr(entry.shi502_netname);
    record.m_bstrPath = BStr(entry.shi502_path);
    return record;
}

}  // namespace

const NetApi& SystemNetApi() {
    static const NetApi api{
        [](LMSTR server, DWORD level, LPBYTE* buffer, DWORD preferred, LPDWORD read, LPDWORD total, LPDWORD resume) {
            return ::NetShareEnum(server, level, buffer, preferred, read, total, resume);
        },
        [](LPVOID buffer) { return ::NetApiBufferFree(buffer); },
        [](LPCWSTR path, DWORD level, LPVOID buffer, LPDWORD size) {
            return ::WNetGetUniversalNameW(path, level, buffer, size);
        }};
    return api;
}

int CountShares(const NetApi& api) {
    int count = 0;
    EnumerateShares(api, [&](const SHARE_INFO_502&) { ++count; });
    return count;
}

int FillShares(const NetApi& api, ShareRecord* records, int capacity) {
    int met = 0;
    EnumerateShares(api, [&](const SHARE_INFO_502& entry) {
        if (met < capacity) records[met] = RecordOf(entry);
        ++met;
    });
    return met;
}

std::vector<ShareRecord> CollectShares(const NetApi& api) {
    std::vector<ShareRecord> shares;
    EnumerateShares(api, [&](const SHARE_INFO_502& entry) { shares.push_back(RecordOf(entry)); });
    return shares;
}

BStr UniversalName(const NetApi& api, const BStr& path) {
    union {
        UNIVERSAL_NAME_INFOW info;
        BYTE bytes[kUniversalNameBytes];
    } result{};
    DWORD size = sizeof result.bytes;
    const DWORD status = api.universalName(path.c_str(), UNIVERSAL_NAME_INFO_LEVEL, &result, &size);
    if (status != NO_ERROR) FailCall("WNetGetUniversalNameW", status);
    const wchar_t* name = result.info.lpUniversalName;
    if (!name) FailCall("WNetGetUniversalNameW", ERROR_INVALID_DATA);
    // The provider places the text inside the buffer; read no further than its end.
    const BYTE* begin = reinterpret_cast<const BYTE*>(name);
    const BYTE* end = result.bytes + sizeof result.bytes;
    if (begin >= result.bytes && begin < end) {
        const std::size_t room = static_cast<std::size_t>(end - begin) / sizeof(wchar_t);
        const std::size_t length = rules::LengthToNul(name, room);
        if (length == room) FailCall("WNetGetUniversalNameW", ERROR_INSUFFICIENT_BUFFER);
        return BStr(name, length);
    }
    return BStr(name);
}

}  // namespace tavroos
