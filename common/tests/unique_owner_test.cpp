#include "mirravon/unique_owner.h"
#include "mirravon/system_text.h"

#include <gtest/gtest.h>

using namespace mirravon;

namespace {

HANDLE newEvent() { return ::CreateEventA(nullptr, TRUE, FALSE, nullptr); }

bool isOpen(HANDLE h) {
    DWORD flags = 0;
    return ::GetHandleInformation(h, &flags) != FALSE;
}

// A close that sets the last-error code, as a failing or chatty close may.
int g_closes = 0;
void closeSettingError(int*) {
    ++g_closes;
    ::SetLastError(ERROR_INVALID_HANDLE);
}
using ErrorSettingOwner = UniqueOwner<traits::NullEmpty<int*, closeSettingError>>;

}  // namespace

TEST(UniqueOwner, ClosesOnScopeEndResetAndPut) {
    HANDLE raw = newEvent();
    {
        unique_handle owner(raw);
        EXPECT_TRUE(isOpen(raw));
    }
    EXPECT_FALSE(isOpen(raw));

    HANDLE first = newEvent();
    HANDLE second = newEvent();
    unique_handle owner(first);
    owner.reset(second);
    EXPECT_FALSE(isOpen(first));
    EXPECT_TRUE(isOpen(second));

    HANDLE* slot = owner.put();
    EXPECT_FALSE(isOpen(second));
    EXPECT_EQ(*slot, nullptr);
    *slot = newEvent();
    EXPECT_TRUE(owner.valid());
}

TEST(UniqueOwner, ResetPutAndDestructionKeepTheCallersLastError) {
    int a = 0, b = 0;
    g_closes = 0;
    {
        ErrorSettingOwner owner(&a);
        ::SetLastError(ERROR_NO_MORE_FILES);
        owner.reset(&b);
        EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_NO_MORE_FILES));
        ::SetLastError(ERROR_ACCESS_DENIED);
        *owner.put() = &a;
        EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
        ::SetLastError(ERROR_FILE_NOT_FOUND);
    }
    EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(g_closes, 3);
}

TEST(UniqueOwner, MoveAndReleaseTransferOwnershipWithoutClosing) {
    HANDLE raw = newEvent();
    unique_handle a(raw);
    unique_handle b(std::move(a));
    EXPECT_FALSE(a.valid());
    EXPECT_EQ(b.get(), raw);

    unique_handle c;
    c = std::move(b);
    EXPECT_TRUE(isOpen(raw));

    HANDLE released = c.release();
    EXPECT_FALSE(c.valid());
    EXPECT_TRUE(isOpen(released));
    ::CloseHandle(released);
}

TEST(UniqueOwner, EmptyValuesAreKeptApartPerKind) {
    unique_hfile file;
    EXPECT_EQ(file.get(), INVALID_HANDLE_VALUE);
    EXPECT_FALSE(file.valid());
    unique_handle handle;
    EXPECT_EQ(handle.get(), nullptr);

    // A failed CreateFile leaves INVALID_HANDLE_VALUE, which must not count as held.
    unique_hfile missing(::CreateFileA("Z:\\no\\such\\file", GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    const DWORD error = ::GetLastError();
    EXPECT_FALSE(missing.valid());
    EXPECT_EQ(error, static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
}

// Closes like the handle owners' kinds decide, but only counts.
template <typename Kind> struct CountingClose : Kind {
    static inline int closes = 0;
    static void close(HANDLE) noexcept { ++closes; }
};

TEST(UniqueOwner, NullAndInvalidHandleValueAreBothEmptyForEveryHandleOwner) {
    EXPECT_FALSE(unique_handle(INVALID_HANDLE_VALUE).valid());
    EXPECT_FALSE(unique_hfile(nullptr).valid());
    EXPECT_FALSE(unique_hfind(nullptr).valid());
    {
        UniqueOwner<CountingClose<traits::Handle>> process(INVALID_HANDLE_VALUE);
        UniqueOwner<CountingClose<traits::FileHandle>> file(nullptr);
        process.reset(nullptr);
        file.reset(INVALID_HANDLE_VALUE);
    }
    EXPECT_EQ(CountingClose<traits::Handle>::closes, 0);
    EXPECT_EQ(CountingClose<traits::FileHandle>::closes, 0);
}

TEST(UniqueOwner, ScopeExitRunsUnlessDismissed) {
    int runs = 0;
    {
        auto guard = scope_exit([&] { ++runs; });
    }
    EXPECT_EQ(runs, 1);
    {
        auto guard = scope_exit([&] { ++runs; });
        guard.dismiss();
    }
    EXPECT_EQ(runs, 1);
}

TEST(SystemText, LineEndKeptOrTrimmedAndNothingForUnknownCodes) {
    const std::string text = SystemTextA(ERROR_FILE_NOT_FOUND, LineEnd::Trim).value_or("");
    ASSERT_FALSE(text.empty());
    EXPECT_NE(text.back(), '\n');
    EXPECT_NE(text.back(), '\r');
    EXPECT_EQ(SystemTextA(ERROR_FILE_NOT_FOUND), text + "\r\n");
    EXPECT_FALSE(SystemTextA(0x2FFFFFFF).has_value());
}
