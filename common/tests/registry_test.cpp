// The registry reader on Wine's real registry, in scratch keys under HKCU, and
// under HKLM in both views for the rules of a key looked for in two views.
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
    void SetUp() override { m_scratch.create(); }
    void Set(const wchar_t* name, DWORD type, const void* data, DWORD bytes, mirravon_test::Caller where = {}) const {
        m_scratch.setRaw(name, type, data, bytes, where);
    }
    RegistryKey OpenScratch() {
        RegistryKey key;
        EXPECT_EQ(key.Open(HKEY_CURRENT_USER, kScratch, KEY_READ), ERROR_SUCCESS);
        return key;
    }

    mirravon_test::ScratchKey m_scratch{HKEY_CURRENT_USER, kScratch};
};

std::vector<BYTE> Bytes(const void* data, std::size_t size) {
    const BYTE* p = static_cast<const BYTE*>(data);
    return std::vector<BYTE>(p, p + size);
}

TEST_F(RegistryKeyTest, OpensInEveryViewAndKeepsItsKeyWhenAnOpenFails) {
    Set(L"text", REG_SZ, L"abc", 8);
    // A 32-bit prefix has one registry, so each view must find the same key.
    for (RegistryView view :
         {RegistryView::Default, RegistryView::Bits32, RegistryView::Bits64, RegistryView::DefaultThenOther}) {
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

    // No room at all: an empty value fits it, any other asks for more, and a
    // null room that claims a size is refused before anything is read.
    Set(L"empty", REG_BINARY, nullptr, 0);
    bytes = 99;
    EXPECT_EQ(key.ReadValue(L"empty", RegistryTypes::Any(), nullptr, 0, bytes), ERROR_SUCCESS);
    EXPECT_EQ(bytes, 0u);
    bytes = 99;
    EXPECT_EQ(key.ReadValue(L"ten", RegistryTypes::Any(), nullptr, 0, bytes), ERROR_MORE_DATA);
    EXPECT_EQ(key.ReadValue(L"ten", RegistryTypes::Any(), nullptr, 16, bytes), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(bytes, 99u);
}

}  // namespace

namespace {

// A machine-wide key as a program of this build's kind and one of the other
// kind each write it: in this process's default view and in the other view.
// Written against those two, the cases cover the other direction when this
// program is built for x86-64.
class RegistryViews : public ::testing::Test {
protected:
    static constexpr const wchar_t* kKey = L"Software\\Mirravon\\CommonTests\\Views";
    mirravon_test::ScratchKey own{HKEY_LOCAL_MACHINE, kKey, OwnView()};
    mirravon_test::ScratchKey other{HKEY_LOCAL_MACHINE, kKey, OtherView()};

    // What `name` reads as, as text, from the key that `view` and `anyOf`
    // choose; "<no key>" or "<code N>" otherwise.
    static std::string Read(const RegistryKey& key, const wchar_t* name) {
        std::vector<BYTE> data;
        const LONG status = key.ReadValue(name, RegistryTypes{REG_SZ}, data);
        if (status != ERROR_SUCCESS) return "<code " + std::to_string(status) + ">";
        return mirravon_test::toUtf8(reinterpret_cast<const wchar_t*>(data.data()));
    }
    static std::string Find(const wchar_t* name, RegistryView view = RegistryView::DefaultThenOther) {
        RegistryKey key;
        if (key.Open(HKEY_LOCAL_MACHINE, kKey, KEY_READ, view, {name}) != ERROR_SUCCESS) return "<no key>";
        return Read(key, name);
    }
    // Two values read together from the key that holds either: "first|second".
    static std::string FindPair(const wchar_t* first, const wchar_t* second) {
        RegistryKey key;
        if (key.Open(HKEY_LOCAL_MACHINE, kKey, KEY_READ, RegistryView::DefaultThenOther, {first, second}) !=
            ERROR_SUCCESS)
            return "<no key>";
        return Read(key, first) + "|" + Read(key, second);
    }
    static bool KeyFound() {
        return RegistryKey().Open(HKEY_LOCAL_MACHINE, kKey, KEY_READ, RegistryView::DefaultThenOther) == ERROR_SUCCESS;
    }
};

TEST_F(RegistryViews, DefaultViewFirstAndUnchangedWhereThereIsOneView) {
    EXPECT_FALSE(KeyFound());
    EXPECT_EQ(Find(L"home"), "<no key>");
    own.create();
    EXPECT_TRUE(KeyFound());
    EXPECT_EQ(Find(L"home"), "<code 2>");
    own.setString(L"home", L"C:\\ToolOwn");
    EXPECT_EQ(Find(L"home"), "C:\\ToolOwn");
    EXPECT_EQ(Find(L"home", RegistryView::Default), "C:\\ToolOwn");
    EXPECT_EQ(Find(L"home", OwnView()), "C:\\ToolOwn");
    // Narrow names take the same way.
    RegistryKey narrow;
    EXPECT_EQ(narrow.Open(HKEY_LOCAL_MACHINE, "Software\\Mirravon\\CommonTests\\Views", KEY_READ,
                          RegistryView::DefaultThenOther, {"home"}),
              ERROR_SUCCESS);
    std::vector<BYTE> data;
    EXPECT_EQ(narrow.ReadValue("home", RegistryTypes{REG_SZ}, data), ERROR_SUCCESS);
    EXPECT_EQ(data, Bytes("C:\\ToolOwn", 11));
}

TEST_F(RegistryViews, OtherViewOnlyWhenTheKeyOrValueIsAbsentFromTheDefaultOne) {
    MIRRAVON_SKIP_UNLESS_OTHER_VIEW();
    other.setString(L"home", L"C:\\ToolOther");
    EXPECT_TRUE(KeyFound());
    EXPECT_EQ(Find(L"home"), "C:\\ToolOther");
    EXPECT_EQ(Find(L"home", RegistryView::Default), "<no key>");
    EXPECT_EQ(Find(L"home", OtherView()), "C:\\ToolOther");
    EXPECT_EQ(Find(L"other"), "<code 2>") << "the other view's key, without the value";

    // A default-view key without the value: the other view's value; with it: its own.
    own.setString(L"unrelated", L"x");
    EXPECT_EQ(Find(L"home"), "C:\\ToolOther");
    own.setString(L"home", L"C:\\ToolOwn");
    EXPECT_EQ(Find(L"home"), "C:\\ToolOwn");
    EXPECT_EQ(Find(L"home", OtherView()), "C:\\ToolOther");

    // Present but refused settles it: no second view, for a refused type...
    const DWORD number = 7;
    own.setRaw(L"home", REG_DWORD, &number, sizeof number);
    EXPECT_EQ(Find(L"home"), "<code " + std::to_string(ERROR_UNSUPPORTED_TYPE) + ">");
    // ...and for a value larger than the caller's room.
    own.setString(L"home", std::wstring(40, L'h'));
    RegistryKey key;
    ASSERT_EQ(key.Open(HKEY_LOCAL_MACHINE, kKey, KEY_READ, RegistryView::DefaultThenOther, {L"home"}), ERROR_SUCCESS);
    wchar_t room[20];
    DWORD bytes = 0;
    EXPECT_EQ(key.ReadValue(L"home", RegistryTypes{REG_SZ}, room, sizeof room, bytes), ERROR_MORE_DATA);
}

// Values read together come from one view: the default view's key answers for
// all of them as soon as it holds any.
TEST_F(RegistryViews, OneViewPerKey) {
    MIRRAVON_SKIP_UNLESS_OTHER_VIEW();
    other.setString(L"location", L"C:\\New");
    other.setString(L"version", L"9.9");
    EXPECT_EQ(FindPair(L"location", L"version"), "C:\\New|9.9");
    own.setString(L"unrelated", L"x");
    EXPECT_EQ(FindPair(L"location", L"version"), "C:\\New|9.9") << "holding neither sends both to the other view";
    own.setString(L"location", L"C:\\Old");
    EXPECT_EQ(FindPair(L"location", L"version"), "C:\\Old|<code 2>");
    EXPECT_EQ(FindPair(L"version", L"location"), "<code 2>|C:\\Old");
}

}  // namespace
