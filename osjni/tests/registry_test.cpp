// The registry reader, the two registry queries and the environment read.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "mirravon_test/scratch_key.h"
#include "mirravon_test/to_utf8.h"
#include "mirravon_test/win32_test_support.h"
#include "tavroos/queries.h"
#include "tavroos/registry_reader.h"

using mirravon::RegistryView;
using mirravon_test::ScratchKey;
using mirravon_test::toUtf8;

namespace {

constexpr const wchar_t* kScratch = L"Software\\Mirravon\\TavroosTests\\Reader";

std::wstring Read(const wchar_t* value, std::size_t capacity, bool* ok) {
    std::wstring dest(capacity, L'#');
    *ok = tavroos::ReadStringValue(HKEY_LOCAL_MACHINE, kScratch, value, dest.data(), capacity);
    return *ok ? std::wstring(dest.c_str()) : dest;
}

TEST(RegistryReader, OnlyNonEmptyRegSzCountsAndFailureLeavesDestination) {
    ScratchKey key(HKEY_LOCAL_MACHINE, kScratch);
    key.setString(L"plain", L"C:\\VS\\Common7\\IDE\\");
    key.setString(L"expand", L"%ProgramFiles%\\VS", REG_EXPAND_SZ);
    key.setRaw(L"zero", REG_SZ, nullptr, 0);
    key.setRaw(L"terminatorOnly", REG_SZ, L"", 2);
    const DWORD number = 7;
    key.setRaw(L"dword", REG_DWORD, &number, sizeof number);
    const std::wstring bare = L"unterminated";
    key.setRaw(L"bare", REG_SZ, bare.data(), static_cast<DWORD>(bare.size() * sizeof(wchar_t)));

    bool ok = false;
    EXPECT_EQ(Read(L"plain", 500, &ok), L"C:\\VS\\Common7\\IDE\\");
    EXPECT_TRUE(ok);
    EXPECT_EQ(Read(L"terminatorOnly", 500, &ok), L"");
    EXPECT_TRUE(ok);
    EXPECT_EQ(Read(L"bare", 500, &ok), L"unterminated");
    EXPECT_TRUE(ok);
    for (const wchar_t* absent : {L"expand", L"zero", L"dword", L"missing"}) {
        EXPECT_EQ(Read(absent, 8, &ok), std::wstring(8, L'#')) << toUtf8(absent);
        EXPECT_FALSE(ok);
    }
}

TEST(RegistryReader, TooLargeForBufferOrDestinationCountsAsAbsent) {
    ScratchKey key(HKEY_LOCAL_MACHINE, kScratch);
    key.setString(L"fits", std::wstring(499, L'f'));      // 1000 bytes with its terminator
    key.setString(L"tooLarge", std::wstring(500, L'l'));  // 1002 bytes
    key.setString(L"ten", L"0123456789");
    bool ok = false;
    EXPECT_EQ(Read(L"fits", 500, &ok), std::wstring(499, L'f'));
    EXPECT_TRUE(ok);
    EXPECT_EQ(Read(L"tooLarge", 500, &ok), std::wstring(500, L'#'));
    EXPECT_FALSE(ok);
    EXPECT_EQ(Read(L"ten", 10, &ok), std::wstring(10, L'#'));
    EXPECT_FALSE(ok);
    EXPECT_EQ(Read(L"ten", 11, &ok), L"0123456789");
    EXPECT_TRUE(ok);
}

constexpr const wchar_t* kVs71 = L"SOFTWARE\\Microsoft\\VisualStudio\\7.1";
constexpr const wchar_t* kVs80 = L"SOFTWARE\\Microsoft\\VisualStudio\\8.0";

// The keys of Visual Studio 7.1 and 8.0 are in the 32-bit view, named so
// whichever view is this build's default.
TEST(NetInstallDir, SevenOneFirstThenEightZero) {
    ScratchKey vs71(HKEY_LOCAL_MACHINE, kVs71, RegistryView::Bits32);
    ScratchKey vs80(HKEY_LOCAL_MACHINE, kVs80, RegistryView::Bits32);
    EXPECT_EQ(tavroos::ReadNetInstallDir().str(), L"");
    vs80.setString(L"InstallDir", L"C:\\VS8\\IDE\\");
    EXPECT_EQ(tavroos::ReadNetInstallDir().str(), L"C:\\VS8\\IDE\\");
    vs71.setString(L"InstallDir", L"C:\\VS71\\IDE\\");
    EXPECT_EQ(tavroos::ReadNetInstallDir().str(), L"C:\\VS71\\IDE\\");
    // REG_EXPAND_SZ does not count: 8.0 answers.
    vs71.setString(L"InstallDir", L"%VS71%\\IDE", REG_EXPAND_SZ);
    EXPECT_EQ(tavroos::ReadNetInstallDir().str(), L"C:\\VS8\\IDE\\");
    // Only a terminator: present and empty, so 8.0 is not read.
    vs71.setRaw(L"InstallDir", REG_SZ, L"", 2);
    EXPECT_EQ(tavroos::ReadNetInstallDir().str(), L"");
}

constexpr const wchar_t* kQft = L"SOFTWARE\\Quorel Software\\Quorel Test\\8";

TEST(QftAssemblyName, ReadOrEmpty) {
    ScratchKey key(HKEY_LOCAL_MACHINE, kQft);
    EXPECT_EQ(tavroos::ReadQftNetAssemblyName().str(), L"");
    key.setString(L"Quorel FT Net Assembly Name", L"Quorel.FT.Net, Version=8.0.0.0");
    EXPECT_EQ(tavroos::ReadQftNetAssemblyName().str(), L"Quorel.FT.Net, Version=8.0.0.0");
}

// Which keys a product of the other kind can own: the test product's (looked
// for in the other view when the default one has no value), not Visual Studio
// 7.1's or 8.0's (32-bit programs only: never the 64-bit view).
TEST(RegistryQueries, OtherViewForTheTestProductOnly) {
    MIRRAVON_SKIP_UNLESS_OTHER_VIEW();
    ScratchKey vs71of64(HKEY_LOCAL_MACHINE, kVs71, RegistryView::Bits64);
    ScratchKey vs80of64(HKEY_LOCAL_MACHINE, kVs80, RegistryView::Bits64);
    vs71of64.setString(L"InstallDir", L"C:\\VS71-64\\");
    vs80of64.setString(L"InstallDir", L"C:\\VS8-64\\");
    EXPECT_EQ(tavroos::ReadNetInstallDir().str(), L"");

    ScratchKey qft(HKEY_LOCAL_MACHINE, kQft, mirravon::OwnView());
    ScratchKey qftOfOther(HKEY_LOCAL_MACHINE, kQft, mirravon::OtherView());
    qftOfOther.setString(L"Quorel FT Net Assembly Name", L"Quorel.FT.Net.Other");
    EXPECT_EQ(tavroos::ReadQftNetAssemblyName().str(), L"Quorel.FT.Net.Other");
    qft.setString(L"Quorel FT Net Assembly Name", L"Quorel.FT.Net.Own");
    EXPECT_EQ(tavroos::ReadQftNetAssemblyName().str(), L"Quorel.FT.Net.Own");
    // Present in the default view but refused (not REG_SZ): no second view.
    qft.setString(L"Quorel FT Net Assembly Name", L"%QFT%", REG_EXPAND_SZ);
    EXPECT_EQ(tavroos::ReadQftNetAssemblyName().str(), L"");
}

// Answers as GetEnvironmentVariableW does for a value of 5000 units at the
// size query that has grown to 6000 units at the read, and by `growth` units
// more at every read after that.
struct GrowingVariable {
    static DWORD WINAPI Query(LPCWSTR, LPWSTR buffer, DWORD units) {
        if (++calls > 20) return 0;  // a loop without end: stopped here, seen by the count
        const std::size_t length = calls == 1 ? 5000 : 6000 + growth * static_cast<std::size_t>(calls - 2);
        if (length >= units) return static_cast<DWORD>(length + 1);
        std::fill(buffer, buffer + length, L'g');
        buffer[length] = L'\0';
        return static_cast<DWORD>(length);
    }
    static inline int calls = 0;
    static inline std::size_t growth = 0;
};

TEST(Environment, UnsetEmptyLongGrowingAndForeign) {
    ::SetEnvironmentVariableW(L"TAVROOS_UNSET", nullptr);
    EXPECT_EQ(tavroos::ReadEnvironmentVariable(L"TAVROOS_UNSET").str(), L"");
    ASSERT_TRUE(::SetEnvironmentVariableW(L"TAVROOS_EMPTY", L""));
    EXPECT_EQ(tavroos::ReadEnvironmentVariable(L"TAVROOS_EMPTY").str(), L"");
    const std::wstring foreign = L"\u03A9-\u65E5";
    ASSERT_TRUE(::SetEnvironmentVariableW(L"TAVROOS_FOREIGN", foreign.c_str()));
    EXPECT_EQ(tavroos::ReadEnvironmentVariable(L"TAVROOS_FOREIGN").str(), foreign);
    // Longer than the first 4096-unit buffer: read whole, not given as "".
    for (std::size_t length : {4095u, 4096u, 5000u}) {
        const std::wstring value(length, L'v');
        ASSERT_TRUE(::SetEnvironmentVariableW(L"TAVROOS_LONG", value.c_str()));
        EXPECT_EQ(tavroos::ReadEnvironmentVariable(L"TAVROOS_LONG").length(), length);
    }
    EXPECT_EQ(tavroos::ReadEnvironmentVariable(L"").str(), L"");

    // A value that grows between the size query and the read ends in the
    // longer value; one that outgrows every room ends in "", after a few reads.
    EXPECT_EQ(tavroos::ReadEnvironmentVariable(L"TAVROOS_GROWING", GrowingVariable::Query).length(), 6000u);
    EXPECT_EQ(GrowingVariable::calls, 3);
    GrowingVariable::calls = 0;
    GrowingVariable::growth = 1000;
    EXPECT_EQ(tavroos::ReadEnvironmentVariable(L"TAVROOS_GROWING", GrowingVariable::Query).str(), L"");
    EXPECT_LE(GrowingVariable::calls, 6);
}

}  // namespace
