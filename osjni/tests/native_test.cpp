// The string type, the Kestrum probe on the real registry, the singleton and
// the host name.
#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "mirravon_test/caller.h"
#include "mirravon_test/debugger_capture.h"
#include "mirravon_test/scratch_dir.h"
#include "mirravon_test/scratch_key.h"
#include "mirravon_test/to_utf8.h"
#include "mirravon_test/win32_test_support.h"
#include "tavroos/bstr.h"
#include "tavroos/kestrum.h"

using mirravon_test::ScratchKey;
using mirravon_test::toUtf8;
using tavroos::BStr;
using tavroos::CKestrum;
using tavroos::KestrumUnmanagedException;

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

void ExpectNotInstalled(mirravon_test::Caller where = {}) {
    const mirravon_test::CallerTrace trace(where);
    CKestrum& kestrum = CKestrum::GetInstance();
    EXPECT_FALSE(kestrum.IsKestrumInstalled());
    EXPECT_THROW(kestrum.GetKestrumPath(), KestrumUnmanagedException);
    wchar_t buffer[tavroos::kKestrumPathUnits];
    std::fill(std::begin(buffer), std::end(buffer), L'x');
    EXPECT_FALSE(kestrum.MakeKestrumPath(buffer));
    EXPECT_EQ(buffer[0], L'\0');
}

TEST(KestrumProbe, MissingKeyOrValueMeansNotInstalled) {
    ScratchKey key(HKEY_LOCAL_MACHINE, kToolKey);
    ExpectNotInstalled();
    key.create();
    ExpectNotInstalled();
    key.setString(L"OtherValue", L"C:\\Kestrum");
    ExpectNotInstalled();
}

TEST(KestrumProbe, ProductHomeIsReturnedExactlyAsStored) {
    ScratchKey key(HKEY_LOCAL_MACHINE, kToolKey);
    key.setString(L"ProductHome", L"C:\\Program Files\\Belmora\\Kestrum\\");
    CKestrum& kestrum = CKestrum::GetInstance();
    EXPECT_TRUE(kestrum.IsKestrumInstalled());
    EXPECT_EQ(kestrum.GetKestrumPath().str(), L"C:\\Program Files\\Belmora\\Kestrum\\");

    // Any value type is taken; text outside the ANSI code page stays whole.
    key.setString(L"ProductHome", L"D:\\Kestrum-\u03A9\u65E5", REG_EXPAND_SZ);
    EXPECT_EQ(toUtf8(kestrum.GetKestrumPath().str()), toUtf8(L"D:\\Kestrum-\u03A9\u65E5"));
}

TEST(KestrumProbe, ValueWithoutTerminatorIsTerminatedOrAbsentWhenFull) {
    ScratchKey key(HKEY_LOCAL_MACHINE, kToolKey);
    const std::wstring bare = L"C:\\NoTerminator";
    key.setRaw(L"ProductHome", REG_SZ, bare.data(), static_cast<DWORD>(bare.size() * sizeof(wchar_t)));
    EXPECT_EQ(CKestrum::GetInstance().GetKestrumPath().str(), bare);

    // 259 units and the terminator fit in 520 bytes...
    const std::wstring longest(259, L'k');
    key.setString(L"ProductHome", longest);
    EXPECT_EQ(CKestrum::GetInstance().GetKestrumPath().str(), longest);
    // ...260 units without a terminator leave no room for one: absent.
    const std::wstring full(260, L'k');
    key.setRaw(L"ProductHome", REG_SZ, full.data(), static_cast<DWORD>(full.size() * sizeof(wchar_t)));
    ExpectNotInstalled();
    // And anything longer is absent too.
    key.setString(L"ProductHome", std::wstring(300, L'k'));
    ExpectNotInstalled();
}

// Kestrum records its home in the view of its own kind: the other view is read
// when the default view has no "ProductHome", never instead of one that is
// there but refused.
TEST(KestrumProbe, OtherViewOnlyWhenTheDefaultViewHasNoProductHome) {
    MIRRAVON_SKIP_UNLESS_OTHER_VIEW();
    ScratchKey key(HKEY_LOCAL_MACHINE, kToolKey, mirravon::OwnView());
    ScratchKey keyOfOther(HKEY_LOCAL_MACHINE, kToolKey, mirravon::OtherView());
    keyOfOther.setString(L"ProductHome", L"C:\\Program Files\\KestrumOther\\");
    CKestrum& kestrum = CKestrum::GetInstance();
    EXPECT_TRUE(kestrum.IsKestrumInstalled());
    EXPECT_EQ(kestrum.GetKestrumPath().str(), L"C:\\Program Files\\KestrumOther\\");
    key.setString(L"OtherValue", L"x");
    EXPECT_EQ(kestrum.GetKestrumPath().str(), L"C:\\Program Files\\KestrumOther\\");
    key.setString(L"ProductHome", L"C:\\KestrumOwn\\");
    EXPECT_EQ(kestrum.GetKestrumPath().str(), L"C:\\KestrumOwn\\");
    key.setString(L"ProductHome", std::wstring(300, L'k'));
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

constexpr const char kFailureLinesMode[] = "--failure-lines";

// Run as a debuggee by the test below: failures of two kinds of call.
int WriteFailureLines() {
    mirravon_test::ScratchDir dir(L"tavroos-failure-lines");
    const ScratchKey key(HKEY_LOCAL_MACHINE, kToolKey);
    CKestrum& kestrum = CKestrum::GetInstance();
    int thrown = 0;
    const auto fails = [&](auto call) {
        try {
            call();
        } catch (const KestrumUnmanagedException&) {
            ++thrown;
        }
    };
    fails([&] { kestrum.GetFStatCount(BStr((dir / L"missing").c_str())); });
    fails([&] { kestrum.GetKestrumPath(); });
    return thrown == 2 ? 0 : 1;
}

// Java sees only an empty KestrumException; the debugger output says which call failed, and how.
TEST(KestrumFailures, DebuggerLineNamesTheFailedCallAndItsCode) {
    const mirravon_test::DebuggeeRun run = mirravon_test::RunSelfUnderDebugger(kFailureLinesMode, 60000);
    ASSERT_TRUE(run.exited);
    EXPECT_EQ(run.exitCode, 0u);
    EXPECT_EQ(run.lines, (std::vector<std::string>{"tavroos: FindFirstFileW failed with error 3",
                                                   "tavroos: reading ProductHome failed with error 2"}));
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 2 && std::string(argv[1]) == kFailureLinesMode) return WriteFailureLines();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
