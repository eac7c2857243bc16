#include "tavroos/kestrum.h"

#include <new>

#include "kestrum_guard.h"
#include "mirravon/registry.h"
#include "mirravon/stored_text.h"
#include "tavroos/agent_controller.h"
#include "tavroos/listing.h"
#include "tavroos/shares.h"

namespace tavroos {

namespace {

constexpr const wchar_t* kToolKey = L"Software\\Belmora\\Kestrum\\CurrentVersion";
constexpr const wchar_t* kProductHomeValue = L"ProductHome";
constexpr DWORD kHostnameUnits = 1000;

// Counts handed from a counting pass to the one-argument filling pass of the
// same thread, which has no capacity of its own.
thread_local int t_lastShareCount = 0;
thread_local int t_lastFStatCount = 0;

// MakeKestrumPath with the registry's code of a failed read (ERROR_INVALID_DATA
// for a value that is no usable text).
LONG ReadKestrumPath(wchar_t* buffer) noexcept {
    buffer[0] = L'\0';
    // Any value type is taken; a value larger than the buffer's 520 bytes is
    // absent. Kestrum records its home in the view of its own kind, which need
    // not be this library's.
    mirravon::RegistryKey key;
    DWORD bytes = 0;
    LONG status = key.Open(HKEY_LOCAL_MACHINE, kToolKey, KEY_QUERY_VALUE, mirravon::RegistryView::DefaultThenOther,
                           {kProductHomeValue});
    if (status == ERROR_SUCCESS)
        status = key.ReadValue(kProductHomeValue, mirravon::RegistryTypes::Any(), buffer,
                               kKestrumPathUnits * sizeof(wchar_t), bytes);
    if (status != ERROR_SUCCESS) return status;
    const auto length = mirravon::StoredTextLength(buffer, bytes, mirravon::SameRoom(kKestrumPathUnits));
    buffer[length.value_or(0)] = L'\0';
    return length.has_value() ? ERROR_SUCCESS : ERROR_INVALID_DATA;
}

}  // namespace

CKestrum* CKestrum::m_pKestrum = nullptr;

CKestrum::CKestrum() noexcept = default;
CKestrum::CKestrum(const CKestrum&) noexcept = default;
CKestrum& CKestrum::operator=(const CKestrum&) noexcept = default;
CKestrum::~CKestrum() = default;

CKestrum& CKestrum::GetInstance() noexcept {
    // Static storage instead of the heap: the instance cannot fail to exist, and
    // it is never destroyed. The compiler's guarded initialisation makes a
    // second thread wait for the first one's construction.
    alignas(CKestrum) static unsigned char storage[sizeof(CKestrum)];
    static CKestrum* const instance = (m_pKestrum = new (storage) CKestrum());
    return *instance;
}

bool CKestrum::MakeKestrumPath(wchar_t* buffer) noexcept {
    return buffer != nullptr && ReadKestrumPath(buffer) == ERROR_SUCCESS;
}

bool CKestrum::IsKestrumInstalled() {
    return Guard([&] {
        wchar_t path[kKestrumPathUnits];
        return MakeKestrumPath(path);
    });
}

BStr CKestrum::GetKestrumPath() {
    return Guard([&] {
        wchar_t path[kKestrumPathUnits];
        const LONG status = ReadKestrumPath(path);
        if (status != ERROR_SUCCESS) FailCall("reading ProductHome", static_cast<unsigned long>(status));
        return BStr(path);
    });
}

BStr CKestrum::GetHostname() {
    return Guard([&] {
        wchar_t name[kHostnameUnits];
        DWORD size = kHostnameUnits;
        if (!::GetComputerNameW(name, &size)) FailLastCall("GetComputerNameW");
        return BStr(name, size);
    });
}

int CKestrum::GetShareCount() {
    const int count = CountShares(SystemNetApi());
    t_lastShareCount = count;
    return count;
}

int CKestrum::GetShares(ShareRecord* records, int capacity) {
    return FillShares(SystemNetApi(), records, records ? capacity : 0);
}

void CKestrum::GetShares(ShareRecord* records) { GetShares(records, t_lastShareCount); }

BStr CKestrum::ToUNC(const BStr& path) {
    return Guard([&] { return UniversalName(SystemNetApi(), path); });
}

int CKestrum::GetFStatCount(const BStr& path) {
    const int count = Guard([&] { return ForEachEntry(path, [](int, const WIN32_FIND_DATAW&) {}); });
    t_lastFStatCount = count;
    return count;
}

int CKestrum::GetFStats(const BStr& path, FStatRecord* records, int capacity) {
    if (!records) capacity = 0;
    return Guard([&] {
        return ForEachEntry(path, [&](int index, const WIN32_FIND_DATAW& data) {
            if (index < capacity) records[index] = EntryRecord(data);
        });
    });
}

void CKestrum::GetFStats(const BStr& path, FStatRecord* records) { GetFStats(path, records, t_lastFStatCount); }

bool CKestrum::StartQAC() noexcept {
    return mirravon::GuardedCall([] { return CAgentControllerStarter(L"QAServer.exe", L"QAService.exe").Start(); },
                                 [] { return false; });
}

CTavroos::CTavroos() noexcept = default;
CTavroos& CTavroos::operator=(const CTavroos&) noexcept = default;

}  // namespace tavroos
