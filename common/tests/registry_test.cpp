// The registry reader on Wine's real registry, in scratch keys under HKCU, and
// under HKLM in both views for the 64-bit fall-back.
#include "mirravon/registry.h"

#include <gtest/gtest.h>

#include "mirravon_test/scratch_key.h"
#include "mirravon_test/to_utf8.h"
#include "mirravon_test/win32_test_support.h"

#include <cstring>
#include <string>

using namespace mirravon;

namespace {

constexpr const wchar_t* kScratch = L"Software\\Mirravon\\CommonTests\\Registry";
constexpr const char* kScratchA = "Software\\Mirravon\\CommonTests\\Registry";

class RegistryKeyTest : public ::testing::Test {
protected:
    void SetUp() override {
        ::RegDeleteTreeW(HKEY_CURRENT_USER, kScratch);
        ASSERT_EQ(::RegCreateKeyExW(HKEY_CURRENT_USER, kScratch, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, m_key.put(),
                                    nullptr),
                  ERROR_SUCCESS);
    }
    void TearDown() override {
        m_key.reset();
        ::RegDeleteTreeW(HKEY_CURRENT_USER, kScratch);
    }
    void Set(const wchar_t* name, DWORD type, const void* data, DWORD bytes) {
        ASSERT_EQ(::RegSetValueExW(m_key.get(), name, 0, type, static_cast<const BYTE*>(data), bytes), ERROR_SUCCESS);
    }
    RegistryKey OpenScratch() {
        RegistryKey key;
        EXPECT_EQ(key.Open(HKEY_CURRENT_USER, kScratch, KEY_READ), ERROR_SUCCESS);
        return key;
    }

    unique_hkey m_key;
};

std::vector<BYTE> Bytes(const void* data, std::size_t size) {
    const BYTE* p = static_cast<const BYTE*>(data);
    return std::vector<BYTE>(p, p + size);
}

TEST_F(RegistryKeyTest, OpensInEveryViewAndKeepsItsKeyWhenAnOpenFails) {
    Set(L"text", REG_SZ, L"abc", 8);
    // A 32-bit prefix has one registry, so each view must find the same key.
    for (RegistryView view : {RegistryView::Default, RegistryView::Bits32, RegistryView::Bits64}) {
        RegistryKey wide;
        ASSERT_EQ(wide.Open(HKEY_CURRENT_USER, kScratch, KEY_READ, view), ERROR_SUCCESS);
        RegistryKey narrow;
        ASSERT_EQ(narrow.Open(HKEY_CURRENT_USER, kScratchA, KEY_QUERY_VALUE, view), ERROR_SUCCESS);
        std::vector<BYTE> data;
        EXPECT_EQ(narrow.ReadValue(L"text", RegistryTypes{REG_SZ}, data), ERROR_SUCCESS);
        EXPECT_EQ(data, Bytes(L"abc", 8));
    }

    RegistryKey key = OpenScratch();
    const HKEY held = key.get();
    EXPECT_EQ(key.Open(HKEY_CURRENT_USER, L"Software\\Mirravon\\CommonTests\\NoSuchKey", KEY_READ),
              ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(key.get(), held);
    std::vector<BYTE> data;
    EXPECT_EQ(key.ReadValue(L"text", RegistryTypes::Any(), data), ERROR_SUCCESS);

    RegistryKey never;
    EXPECT_FALSE(never.valid());
    EXPECT_EQ(never.ReadValue(L"text", RegistryTypes::Any(), data), ERROR_INVALID_HANDLE);
}

TEST_F(RegistryKeyTest, ReadsWholeValuesOfAnySizeThroughNarrowAndWideNames) {
    std::string large(5000, 'x');
    large[4999] = 'y';
    Set(L"large", REG_BINARY, large.data(), 5000);
    Set(L"text", REG_SZ, L"abc", 8);
    Set(L"empty", REG_BINARY, nullptr, 0);
    RegistryKey key = OpenScratch();

    std::vector<BYTE> data;
    EXPECT_EQ(key.ReadValue(L"large", RegistryTypes::Any(), data), ERROR_SUCCESS);
    EXPECT_EQ(data, Bytes(large.data(), 5000));
    // Narrow names read string data in the ANSI code page, as RegQueryValueExA gives it.
    EXPECT_EQ(key.ReadValue("text", RegistryTypes::Any(), data), ERROR_SUCCESS);
    EXPECT_EQ(data, Bytes("abc", 4));
    EXPECT_EQ(key.ReadValue(L"text", RegistryTypes::Any(), data), ERROR_SUCCESS);
    EXPECT_EQ(data, Bytes(L"abc", 8));
    EXPECT_EQ(key.ReadValue("empty", RegistryTypes::Any(), data), ERROR_SUCCESS);
    EXPECT_TRUE(data.empty());
}

TEST_F(RegistryKeyTest, RefusedTypesAndFailuresLeaveTheOutputAsItWas) {
    const DWORD number = 7;
    Set(L"number", REG_DWORD, &number, sizeof number);
    Set(L"expand", REG_EXPAND_SZ, L"%X%", 8);
    RegistryKey key = OpenScratch();

    const std::vector<BYTE> before = Bytes("before", 6);
    char room[16] = "untouched";
    for (const wchar_t* name : {L"number", L"missing"}) {
        const LONG expected = std::wstring(name) == L"number" ? ERROR_UNSUPPORTED_TYPE : ERROR_FILE_NOT_FOUND;
        std::vector<BYTE> data = before;
        EXPECT_EQ(key.ReadValue(name, RegistryTypes{REG_SZ, REG_EXPAND_SZ}, data), expected);
        EXPECT_EQ(data, before);
        DWORD bytes = 99;
        EXPECT_EQ(key.ReadValue(name, RegistryTypes{REG_SZ, REG_EXPAND_SZ}, room, sizeof room, bytes), expected);
        EXPECT_STREQ(room, "untouched");
        EXPECT_EQ(bytes, 99u);
    }
    std::vector<BYTE> data;
    EXPECT_EQ(key.ReadValue(L"expand", RegistryTypes{REG_SZ, REG_EXPAND_SZ}, data), ERROR_SUCCESS);
    EXPECT_EQ(key.ReadValue(L"expand", RegistryTypes{REG_SZ}, data), ERROR_UNSUPPORTED_TYPE);
    EXPECT_EQ(key.ReadValue(L"number", RegistryTypes{REG_DWORD}, data), ERROR_SUCCESS);
    EXPECT_EQ(data, Bytes(&number, sizeof number));
}

TEST_F(RegistryKeyTest, ValueLargerThanTheRoomIsRefusedWithoutTouchingIt) {
    Set(L"ten", REG_BINARY, "0123456789", 10);
    Set(L"text", REG_SZ, L"abc", 8);
    RegistryKey key = OpenScratch();

    char room[16];
    std::memset(room, '#', sizeof room);
    DWORD bytes = 99;
    EXPECT_EQ(key.ReadValue(L"ten", RegistryTypes::Any(), room, 9, bytes), ERROR_MORE_DATA);
    EXPECT_EQ(std::string(room, 16), std::string(16, '#'));
    EXPECT_EQ(bytes, 99u);
    EXPECT_EQ(key.ReadValue(L"ten", RegistryTypes::Any(), room, 10, bytes), ERROR_SUCCESS);
    EXPECT_EQ(bytes, 10u);
    EXPECT_EQ(std::string(room, 16), "0123456789######");

    // Narrow: the ANSI text with its terminator fits a room of exactly that size.
    EXPECT_EQ(key.ReadValue("text", RegistryTypes{REG_SZ}, room, 4, bytes), ERROR_SUCCESS);
    EXPECT_EQ(bytes, 4u);
    EXPECT_STREQ(room, "abc");
    EXPECT_EQ(key.ReadValue("text", RegistryTypes{REG_SZ}, room, 3, bytes), ERROR_MORE_DATA);
}

}  // namespace

namespace {

// A machine-wide key as a 32-bit and a 64-bit program each write it.
class RegistryViewFallback : public ::testing::Test {
protected:
    static constexpr const wchar_t* kKey = L"Software\\Mirravon\\CommonTests\\Views";
    mirravon_test::ScratchKey bits32{HKEY_LOCAL_MACHINE, kKey};
    mirravon_test::ScratchKey bits64{HKEY_LOCAL_MACHINE, kKey, RegistryView::Bits64};

    // What a read through the fall-back finds of `name`, as text; "<no key>" or "<code N>" otherwise.
    static std::string Find(const wchar_t* name) {
        RegistryKey key;
        if (key.OpenFallingBackTo64(HKEY_LOCAL_MACHINE, kKey, KEY_READ, name) != ERROR_SUCCESS) return "<no key>";
        std::vector<BYTE> data;
        const LONG status = key.ReadValue(name, RegistryTypes{REG_SZ}, data);
        if (status != ERROR_SUCCESS) return "<code " + std::to_string(status) + ">";
        return mirravon_test::toUtf8(reinterpret_cast<const wchar_t*>(data.data()));
    }
    static bool KeyFound() {
        return RegistryKey().OpenFallingBackTo64(HKEY_LOCAL_MACHINE, kKey, KEY_READ) == ERROR_SUCCESS;
    }
};

TEST_F(RegistryViewFallback, DefaultViewFirstAndUnchangedWhereThereIsOneView) {
    EXPECT_FALSE(KeyFound());
    EXPECT_EQ(Find(L"home"), "<no key>");
    bits32.create();
    EXPECT_TRUE(KeyFound());
    EXPECT_EQ(Find(L"home"), "<code 2>");
    bits32.setString(L"home", L"C:\\Tool32");
    EXPECT_EQ(Find(L"home"), "C:\\Tool32");
    // Narrow names take the same way.
    RegistryKey narrow;
    EXPECT_EQ(narrow.OpenFallingBackTo64(HKEY_LOCAL_MACHINE, "Software\\Mirravon\\CommonTests\\Views", KEY_READ,
                                         "home"),
              ERROR_SUCCESS);
    std::vector<BYTE> data;
    EXPECT_EQ(narrow.ReadValue("home", RegistryTypes{REG_SZ}, data), ERROR_SUCCESS);
    EXPECT_EQ(data, Bytes("C:\\Tool32", 10));
}

TEST_F(RegistryViewFallback, SixtyFourBitViewOnlyWhenKeyOrValueIsAbsentFromTheDefaultOne) {
    MIRRAVON_SKIP_UNLESS_WOW64();
    bits64.setString(L"home", L"C:\\Tool64");
    EXPECT_TRUE(KeyFound());
    EXPECT_EQ(Find(L"home"), "C:\\Tool64");
    EXPECT_EQ(Find(L"other"), "<code 2>") << "the 64-bit key, without the value";

    // A 32-bit key without the value: the 64-bit value; with it: the 32-bit one.
    bits32.setString(L"other", L"x");
    EXPECT_EQ(Find(L"home"), "C:\\Tool64");
    bits32.setString(L"home", L"C:\\Tool32");
    EXPECT_EQ(Find(L"home"), "C:\\Tool32");

    // Present but refused settles it: no second view.
    const DWORD number = 7;
    bits32.setRaw(L"home", REG_DWORD, &number, sizeof number);
    EXPECT_EQ(Find(L"home"), "<code " + std::to_string(ERROR_UNSUPPORTED_TYPE) + ">");
}

}  // namespace
