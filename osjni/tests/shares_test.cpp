// Shares and UNC names: what Wine's real calls give, and the two-pass logic and
// the UNC conversion through stand-ins for NetShareEnum and WNetGetUniversalNameW.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "tavroos/kestrum.h"
#include "tavroos/shares.h"

using tavroos::BStr;
using tavroos::KestrumUnmanagedException;
using tavroos::NetApi;
using tavroos::ShareRecord;

namespace {

TEST(SharesOnWine, NoSharesAndLocalPathsHaveNoUncName) {
    tavroos::CKestrum& kestrum = tavroos::CKestrum::GetInstance();
    EXPECT_EQ(kestrum.GetShareCount(), 0);
    ShareRecord record;
    EXPECT_EQ(kestrum.GetShares(&record, 1), 0);
    EXPECT_THROW(kestrum.ToUNC(BStr(L"C:\\windows")), KestrumUnmanagedException);
    EXPECT_THROW(kestrum.ToUNC(BStr(L"")), KestrumUnmanagedException);
}

enum class Sd { None, Invalid, Valid };

struct FakeShare {
    std::wstring name;
    std::wstring path;
    Sd sd;
};

struct FakePage {
    NET_API_STATUS status;
    std::vector<FakeShare> shares;
};

// A share list served in pages; each enumeration pass (resume handle 0) may see
// a different list.
class FakeNet {
public:
    std::vector<std::vector<FakePage>> passes;
    int pass = -1;
    int calls = 0;
    int allocations = 0;
    int frees = 0;
    std::vector<DWORD> resumeSeen;

    NetApi Api() {
        NetApi api;
        api.shareEnum = [this](LMSTR server, DWORD level, LPBYTE* buffer, DWORD, LPDWORD read, LPDWORD total,
                               LPDWORD resume) -> NET_API_STATUS {
            ++calls;
            EXPECT_EQ(server, nullptr);
            EXPECT_EQ(level, 502u);
            resumeSeen.push_back(*resume);
            if (*resume == 0) ++pass;
            const auto& pages = passes.at(static_cast<std::size_t>(pass));
            const FakePage& page = pages.at(*resume);
            *read = static_cast<DWORD>(page.shares.size());
            *total = *read;
            *buffer = Build(page.shares);
            *resume += 1;
            return page.status;
        };
        api.bufferFree = [this](LPVOID buffer) -> NET_API_STATUS {
            ++frees;
            delete[] static_cast<BYTE*>(buffer);
            return NERR_Success;
        };
        return api;
    }

private:
    // One block, as the system gives it: the entries, then their strings and
    // security descriptors.
    LPBYTE Build(const std::vector<FakeShare>& shares) {
        if (shares.empty()) return nullptr;
        std::size_t size = shares.size() * sizeof(SHARE_INFO_502);
        for (const auto& s : shares)
            size += (s.name.size() + s.path.size() + 2) * sizeof(wchar_t) + sizeof(SECURITY_DESCRIPTOR) + 8;
        BYTE* block = new BYTE[size]();
        ++allocations;
        auto* entries = reinterpret_cast<SHARE_INFO_502*>(block);
        BYTE* tail = block + shares.size() * sizeof(SHARE_INFO_502);
        for (std::size_t i = 0; i < shares.size(); ++i) {
            const FakeShare& s = shares[i];
            auto put = [&](const std::wstring& text) {
                auto* out = reinterpret_cast<wchar_t*>(tail);
                std::memcpy(out, text.c_str(), (text.size() + 1) * sizeof(wchar_t));
                tail += (text.size() + 1) * sizeof(wchar_t);
                return out;
            };
            entries[i].shi502_netname = put(s.name);
            entries[i].shi502_path = put(s.path);
            tail += (8 - reinterpret_cast<std::uintptr_t>(tail) % 8) % 8;
            auto* sd = reinterpret_cast<SECURITY_DESCRIPTOR*>(tail);
            tail += sizeof(SECURITY_DESCRIPTOR);
            if (s.sd == Sd::Valid) {
                ::InitializeSecurityDescriptor(sd, SECURITY_DESCRIPTOR_REVISION);
                entries[i].shi502_security_descriptor = sd;
            } else if (s.sd == Sd::Invalid) {
                entries[i].shi502_security_descriptor = sd;  // all zero: revision 0 is rejected
            }
        }
        return block;
    }
};

std::vector<std::wstring> Names(const std::vector<ShareRecord>& records, int n) {
    std::vector<std::wstring> names;
    for (int i = 0; i < n; ++i) names.push_back(records[i].m_bstrName.str() + L"=" + records[i].m_bstrPath.str());
    return names;
}

TEST(SharesTwoPass, OnlyValidDescriptorsCountInEnumerationOrder) {
    FakeNet net;
    const std::vector<FakePage> list{{NERR_Success,
                                      {{L"zeta", L"C:\\z", Sd::Valid},
                                       {L"none", L"C:\\n", Sd::None},
                                       {L"bad", L"C:\\b", Sd::Invalid},
                                       {L"alpha", L"C:\\a", Sd::Valid}}}};
    net.passes = {list, list};
    const NetApi api = net.Api();
    const int count = tavroos::CountShares(api);
    ASSERT_EQ(count, 2);
    std::vector<ShareRecord> records(2);
    EXPECT_EQ(tavroos::FillShares(api, records.data(), count), 2);
    EXPECT_EQ(Names(records, 2), (std::vector<std::wstring>{L"zeta=C:\\z", L"alpha=C:\\a"}));
    EXPECT_EQ(net.frees, net.allocations);

    // Only invalid descriptors: nothing counts.
    FakeNet empty;
    empty.passes = {{{NERR_Success, {{L"none", L"C:\\n", Sd::None}, {L"bad", L"C:\\b", Sd::Invalid}}}}};
    EXPECT_EQ(tavroos::CountShares(empty.Api()), 0);
}

TEST(SharesTwoPass, MoreDataPagesAreFollowedWithTheResumeHandle) {
    FakeNet net;
    const std::vector<FakePage> paged{{ERROR_MORE_DATA, {{L"a", L"C:\\a", Sd::Valid}, {L"b", L"C:\\b", Sd::Valid}}},
                                      {ERROR_MORE_DATA, {{L"c", L"C:\\c", Sd::None}}},
                                      {NERR_Success, {{L"d", L"C:\\d", Sd::Valid}}}};
    net.passes = {paged, paged};
    const NetApi api = net.Api();
    ASSERT_EQ(tavroos::CountShares(api), 3);
    std::vector<ShareRecord> records(3);
    EXPECT_EQ(tavroos::FillShares(api, records.data(), 3), 3);
    EXPECT_EQ(Names(records, 3), (std::vector<std::wstring>{L"a=C:\\a", L"b=C:\\b", L"d=C:\\d"}));
    EXPECT_EQ(net.resumeSeen, (std::vector<DWORD>{0, 1, 2, 0, 1, 2}));
    EXPECT_EQ(net.frees, net.allocations);
}

TEST(SharesTwoPass, ShareAddedBetweenPassesIsNotWrittenBeyondTheArray) {
    FakeNet net;
    const std::vector<FakePage> grown{{ERROR_MORE_DATA, {{L"a", L"C:\\a", Sd::Valid}}},
                                      {NERR_Success, {{L"new", L"C:\\new", Sd::Valid}}}};
    net.passes = {{{NERR_Success, {{L"a", L"C:\\a", Sd::Valid}}}}, grown, grown};
    const NetApi api = net.Api();
    const int count = tavroos::CountShares(api);
    ASSERT_EQ(count, 1);
    std::vector<ShareRecord> records(2);
    records[1].m_bstrName = BStr(L"guard");
    EXPECT_EQ(tavroos::FillShares(api, records.data(), count), 2);
    EXPECT_EQ(records[0].m_bstrName.str(), L"a");
    EXPECT_EQ(records[1].m_bstrName.str(), L"guard");
    // The pass that collects into a growing list, across pages, keeps every share it meets.
    const std::vector<ShareRecord> all = tavroos::CollectShares(api);
    EXPECT_EQ(Names(all, static_cast<int>(all.size())), (std::vector<std::wstring>{L"a=C:\\a", L"new=C:\\new"}));
    EXPECT_EQ(net.frees, net.allocations);
}

TEST(SharesTwoPass, FailingOrStuckEnumerationEndsQuietly) {
    FakeNet denied;
    denied.passes = {{{ERROR_ACCESS_DENIED, {{L"a", L"C:\\a", Sd::Valid}}}}};
    EXPECT_EQ(tavroos::CountShares(denied.Api()), 0);
    EXPECT_EQ(denied.frees, denied.allocations);

    // "More data" that brings nothing and keeps the handle still must not loop.
    NetApi stuck;
    int calls = 0;
    stuck.shareEnum = [&](LMSTR, DWORD, LPBYTE* buffer, DWORD, LPDWORD read, LPDWORD, LPDWORD) -> NET_API_STATUS {
        *buffer = nullptr;
        *read = 0;
        return ++calls < 1000 ? ERROR_MORE_DATA : ERROR_ACCESS_DENIED;
    };
    stuck.bufferFree = [](LPVOID) -> NET_API_STATUS { return NERR_Success; };
    EXPECT_EQ(tavroos::CountShares(stuck), 0);
    EXPECT_EQ(calls, 1);
}

// A network provider that knows one mapped drive, X: -> \\server\share.
NetApi MappedDrive(DWORD* lastOfferedSize) {
    NetApi api;
    api.universalName = [lastOfferedSize](LPCWSTR path, DWORD level, LPVOID buffer, LPDWORD size) -> DWORD {
        EXPECT_EQ(level, static_cast<DWORD>(UNIVERSAL_NAME_INFO_LEVEL));
        *lastOfferedSize = *size;
        const std::wstring local = path;
        if (local.rfind(L"X:", 0) != 0) return ERROR_NOT_CONNECTED;
        const std::wstring unc = L"\\\\server\\share" + local.substr(2);
        const DWORD needed = static_cast<DWORD>(sizeof(UNIVERSAL_NAME_INFOW) + (unc.size() + 1) * sizeof(wchar_t));
        if (needed > *size) {
            *size = needed;
            return ERROR_MORE_DATA;
        }
        auto* info = static_cast<UNIVERSAL_NAME_INFOW*>(buffer);
        auto* text = reinterpret_cast<wchar_t*>(info + 1);
        std::memcpy(text, unc.c_str(), (unc.size() + 1) * sizeof(wchar_t));
        info->lpUniversalName = text;
        return NO_ERROR;
    };
    return api;
}

TEST(UncName, MappedDriveGivesShareNameAndRestOfPath) {
    DWORD offered = 0;
    const NetApi api = MappedDrive(&offered);
    EXPECT_EQ(tavroos::UniversalName(api, BStr(L"X:\\dir\\file.txt")).str(), L"\\\\server\\share\\dir\\file.txt");
    EXPECT_EQ(offered, 520u);
    EXPECT_THROW(tavroos::UniversalName(api, BStr(L"C:\\local")), KestrumUnmanagedException);
    // A name larger than the buffer: no fall-back to the input path.
    EXPECT_THROW(tavroos::UniversalName(api, BStr((L"X:\\" + std::wstring(300, L'd')).c_str())),
                 KestrumUnmanagedException);
}

TEST(UncName, UnterminatedNameIsNotReadPastTheBuffer) {
    NetApi api;
    api.universalName = [](LPCWSTR, DWORD, LPVOID buffer, LPDWORD size) -> DWORD {
        auto* info = static_cast<UNIVERSAL_NAME_INFOW*>(buffer);
        auto* text = reinterpret_cast<wchar_t*>(info + 1);
        const std::size_t room = (*size - sizeof(UNIVERSAL_NAME_INFOW)) / sizeof(wchar_t);
        for (std::size_t i = 0; i < room; ++i) text[i] = L'u';
        info->lpUniversalName = text;
        return NO_ERROR;
    };
    EXPECT_THROW(tavroos::UniversalName(api, BStr(L"X:\\a")), KestrumUnmanagedException);
}

}  // namespace
