// The string type, the Kestrum probe on the real registry, the singleton and
// the host name.
#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "tavroos/bstr.h"
#include "tavroos/kestrum.h"
#include "test_support.h"

using tavroos::BStr;
using tavroos::CKestrum;
using tavroos::KestrumUnmanagedException;
using tavroos_test::MachineKey;
using tavroos_test::Utf8;

namespace {

TEST(BStr, NullReadsAsEmptyAndLengthIsStored) {
    const BStr none;
    EXPECT_TRUE(none.isNull());
    EXPECT_EQ(none.length(), 0u);
    EXPECT_STREQ(none.c_str(), L"");
    EXPECT_EQ(none, BStr(L""));

    const wchar_t units[] = {L'a', L'\0', L'b'};
    const BStr embedded(units, 3);
    EXPECT_EQ(embedded.length(), 3u);
    EXPECT_EQ(embedded.str(), std::wstring(units, 3));
    EXPECT_NE(embedded, BStr(L"a"));

    BStr copy = embedded;
    EXPECT_EQ(copy, embedded);
    EXPECT_NE(copy.raw(), embedded.raw());
    BStr moved = std::move(copy);
    EXPECT_EQ(moved.length(), 3u);
    EXPECT_TRUE(copy.isNull());  // NOLINT: a moved-from value is null

    BStr joined = BStr(L"C:\\dir") + BStr(L"\\") + BStr();
    joined += BStr(L"QAServer.exe");
    EXPECT_EQ(joined.str(), L"C:\\dir\\QAServer.exe");
}

// The instance's first use in this program, by threads released together: an
// environment's set-up runs before any test can ask for the instance.
class FirstUseRace : public ::testing::Environment {
public:
    static constexpr int kThreads = 8;
    static std::vector<CKestrum*> seen;

    void SetUp() override {
        std::atomic<int> ready{0};
        seen.assign(kThreads, nullptr);
        std::vector<std::thread> threads;
        for (int i = 0; i < kThreads; ++i)
            threads.emplace_back([&, i] {
                ++ready;
                while (ready.load() < kThreads) std::this_thread::yield();
                seen[i] = &CKestrum::GetInstance();
            });
        for (auto& t : threads) t.join();
    }
};
std::vector<CKestrum*> FirstUseRace::seen;
[[maybe_unused]] ::testing::Environment* const g_race = ::testing::AddGlobalTestEnvironment(new FirstUseRace);

TEST(KestrumSingleton, EveryCallerGetsTheSameInstanceEvenWhenRacing) {
    ASSERT_EQ(FirstUseRace::seen.size(), static_cast<std::size_t>(FirstUseRace::kThreads));
    for (CKestrum* p : FirstUseRace::seen) EXPECT_EQ(p, &CKestrum::GetInstance());
    EXPECT_EQ(&CKestrum::GetInstance(), &CKestrum::GetInstance());

    // A copy answers like the singleton; the exported empty class is a type only.
    CKestrum copy(CKestrum::GetInstance());
    EXPECT_EQ(copy.IsKestrumInstalled(), CKestrum::GetInstance().IsKestrumInstalled());
    tavroos::CTavroos a, b;
    a = b;
}

constexpr const wchar_t* kToolKey = L"Software\\Belmora\\Kestrum\\CurrentVersion";

void ExpectNotInstalled() {
    CKestrum& kestrum = CKestrum::GetInstance();
    EXPECT_FALSE(kestrum.IsKestrumInstalled());
    EXPECT_THROW(kestrum.GetKestrumPath(), KestrumUnmanagedException);
    wchar_t buffer[tavroos::kKestrumPathUnits];
    std::fill(std::begin(buffer), std::end(buffer), L'x');
    EXPECT_FALSE(kestrum.MakeKestrumPath(buffer));
    EXPECT_EQ(buffer[0], L'\0');
}

TEST(KestrumProbe, MissingKeyOrValueMeansNotInstalled) {
    MachineKey key(kToolKey);
    ExpectNotInstalled();
    key.Create();
    ExpectNotInstalled();
    key.SetString(L"OtherValue", L"C:\\Kestrum");
    ExpectNotInstalled();
}

TEST(KestrumProbe, ProductHomeIsReturnedExactlyAsStored) {
    MachineKey key(kToolKey);
    key.SetString(L"ProductHome", L"C:\\Program Files\\Belmora\\Kestrum\\");
    CKestrum& kestrum = CKestrum::GetInstance();
    EXPECT_TRUE(kestrum.IsKestrumInstalled());
    EXPECT_EQ(kestrum.GetKestrumPath().str(), L"C:\\Program Files\\Belmora\\Kestrum\\");

    // Any value type is taken; text outside the ANSI code page stays whole.
    key.SetString(L"ProductHome", L"D:\\Kestrum-\u03A9\u65E5", REG_EXPAND_SZ);
    EXPECT_EQ(Utf8(kestrum.GetKestrumPath().str()), Utf8(L"D:\\Kestrum-\u03A9\u65E5"));
}

TEST(KestrumProbe, ValueWithoutTerminatorIsTerminatedOrAbsentWhenFull) {
    MachineKey key(kToolKey);
    const std::wstring bare = L"C:\\NoTerminator";
    key.SetRaw(L"ProductHome", REG_SZ, bare.data(), static_cast<DWORD>(bare.size() * sizeof(wchar_t)));
    EXPECT_EQ(CKestrum::GetInstance().GetKestrumPath().str(), bare);

    // 259 units and the terminator fit in 520 bytes...
    const std::wstring longest(259, L'k');
    key.SetString(L"ProductHome", longest);
    EXPECT_EQ(CKestrum::GetInstance().GetKestrumPath().str(), longest);
    // ...260 units without a terminator leave no room for one: absent.
    const std::wstring full(260, L'k');
    key.SetRaw(L"ProductHome", REG_SZ, full.data(), static_cast<DWORD>(full.size() * sizeof(wchar_t)));
    ExpectNotInstalled();
    // And anything longer is absent too.
    key.SetString(L"ProductHome", std::wstring(300, L'k'));
    ExpectNotInstalled();
}

TEST(KestrumHostname, IsTheComputerName) {
    wchar_t expected[MAX_COMPUTERNAME_LENGTH + 1];
    DWORD size = MAX_COMPUTERNAME_LENGTH + 1;
    ASSERT_TRUE(::GetComputerNameW(expected, &size));
    const BStr name = CKestrum::GetInstance().GetHostname();
    EXPECT_EQ(name.str(), std::wstring(expected, size));
    EXPECT_FALSE(name.empty());
}

}  // namespace
