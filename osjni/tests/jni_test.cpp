// The real tavroos.dll under the strict stand-in VM: what the Java side sees.
#include <gtest/gtest.h>

#include <atomic>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "jnihost/jni_host.h"
#include "mirravon/unique_owner.h"
#include "mirravon_test/caller.h"
#include "mirravon_test/scratch_dir.h"
#include "mirravon_test/scratch_key.h"
#include "mirravon_test/to_utf8.h"
#include "mirravon_test/wine_paths.h"

using jnihost::JniHost;
using jnihost::Library;
namespace cls = jnihost::classes;
using mirravon_test::Caller;
using mirravon_test::CallerTrace;
using mirravon_test::ScratchDir;
using mirravon_test::ScratchKey;
using mirravon_test::toUtf8;

namespace {

#define OS_EXPORT(name) \
    "Java_com_varnex_quorel_mirravon_testmanagement_services_repository_core_OperatingSystemAPI_" name
#define WIN_EXPORT(name) \
    "Java_com_varnex_quorel_mirravon_testmanagement_services_repository_core_WindowsOperatingSystemAPI_" name

const std::string kDll = mirravon_test::toWindowsPath(TAVROOS_DLL);

std::u16string U16(const std::wstring& w) { return std::u16string(w.begin(), w.end()); }

class Tavroos : public ::testing::Test {
protected:
    explicit Tavroos(const std::vector<std::string>& undeclared = {}) {
        vm.declareClientClasses(undeclared);
        dll = std::make_unique<Library>(vm, kDll);
        self = vm.newObject(cls::kWindowsOperatingSystemAPI);
    }
    void SetUp() override { ASSERT_TRUE(dll->loaded()) << kDll << " error " << dll->loadError(); }

    jstring Str(const std::wstring& text) { return vm.newString(U16(text)); }

    // A pending KestrumException with an empty message, cleared.
    void ExpectKestrumException(Caller where = {}) {
        const CallerTrace trace(where);
        EXPECT_EQ(vm.pendingExceptionClass(), cls::kKestrumException);
        EXPECT_EQ(vm.pendingExceptionMessage(), "");
        vm.clearException();
    }
    void ExpectNoException(Caller where = {}) {
        const CallerTrace trace(where);
        EXPECT_FALSE(vm.exceptionPending()) << vm.pendingExceptionClass();
        vm.clearException();
    }

    std::string Getenv(jstring name, Caller where = {}) {
        const CallerTrace trace(where);
        jstring value = vm.call<jstring>(*dll, OS_EXPORT("getenv"), self, name);
        ExpectNoException();
        EXPECT_NE(value, nullptr);
        return value ? vm.stringUtf8(value) : "<null>";
    }

    // name -> directory, from the FileStat constructor arguments in array order.
    std::vector<std::pair<std::string, bool>> ListFiles(jstring dir, Caller where = {}) {
        const CallerTrace trace(where);
        jobjectArray array = vm.call<jobjectArray>(*dll, WIN_EXPORT("listFiles"), self, dir);
        ExpectNoException();
        std::vector<std::pair<std::string, bool>> entries;
        if (!array) {
            ADD_FAILURE() << "listFiles gave null";
            return entries;
        }
        EXPECT_EQ(vm.className(array), std::string("[L") + cls::kFileStat + ";");
        for (jobject element : vm.arrayElements(array)) {
            EXPECT_EQ(vm.constructorDescriptor(element), "(Ljava/lang/String;Z)V");
            const std::vector<jnihost::Value> args = vm.constructorArgs(element);
            if (args.size() != 2) {
                ADD_FAILURE() << "FileStat built with " << args.size() << " arguments";
                continue;
            }
            entries.emplace_back(vm.stringUtf8(args[0].l()), args[1].z());
        }
        return entries;
    }

    JniHost vm;
    std::unique_ptr<Library> dll;
    jobject self = nullptr;
};

constexpr const wchar_t* kToolKey = L"Software\\Belmora\\Kestrum\\CurrentVersion";

TEST_F(Tavroos, KestrumMissingIsFalseWithoutExceptionButPathThrows) {
    ScratchKey key(HKEY_LOCAL_MACHINE, kToolKey);
    EXPECT_EQ(vm.call<jboolean>(*dll, OS_EXPORT("isKestrumInstalled"), self), JNI_FALSE);
    ExpectNoException();
    EXPECT_EQ(vm.call<jstring>(*dll, OS_EXPORT("getKestrumPath"), self), nullptr);
    ExpectKestrumException();

    key.setString(L"ProductHome", L"C:\\Belmora\\Kestrum\u00E9\\");
    EXPECT_EQ(vm.call<jboolean>(*dll, OS_EXPORT("isKestrumInstalled"), self), JNI_TRUE);
    jstring path = vm.call<jstring>(*dll, OS_EXPORT("getKestrumPath"), self);
    ExpectNoException();
    ASSERT_NE(path, nullptr);
    EXPECT_EQ(vm.stringChars(path), u"C:\\Belmora\\Kestrum\u00E9\\");
}

TEST_F(Tavroos, SharesAreAnEmptyArrayAndLocalPathsHaveNoUncName) {
    jobjectArray shares = vm.call<jobjectArray>(*dll, WIN_EXPORT("getShares"), self);
    ExpectNoException();
    ASSERT_NE(shares, nullptr);
    EXPECT_EQ(vm.arrayLength(shares), 0);
    EXPECT_EQ(vm.className(shares), std::string("[L") + cls::kShareRecord + ";");

    EXPECT_EQ(vm.call<jstring>(*dll, WIN_EXPORT("toUNC"), self, Str(L"C:\\windows\\system32")), nullptr);
    ExpectKestrumException();
    EXPECT_EQ(vm.call<jstring>(*dll, WIN_EXPORT("toUNC"), self, static_cast<jstring>(nullptr)), nullptr);
    ExpectKestrumException();
}

TEST_F(Tavroos, ListFilesGivesEveryEntryWithDotsAsDirectories) {
    ScratchDir dir(L"tavroos-jni-list");
    dir.file(L"a.txt");
    dir.file(L"hidden.txt", FILE_ATTRIBUTE_HIDDEN);
    dir.file(L"\u00C5ngstr\u00F6m-\u65E5.txt");
    dir.folder(L"sub");
    const std::map<std::string, bool> expected{{".", true},
                                               {"..", true},
                                               {"a.txt", false},
                                               {"hidden.txt", false},
                                               {toUtf8(L"\u00C5ngstr\u00F6m-\u65E5.txt"), false},
                                               {"sub", true}};
    const auto entries = ListFiles(Str(dir.path()));
    EXPECT_EQ((std::map<std::string, bool>(entries.begin(), entries.end())), expected);
    EXPECT_EQ(entries.size(), expected.size());
    // Each element's references are let go as the array is built.
    EXPECT_LT(vm.lastCallLocalRefPeak(), 16);

    // A string is used only up to its first U+0000.
    std::u16string cut = U16(dir.path());
    cut += u'\0';
    cut += u"\\nothing-here";
    const auto cutEntries = ListFiles(vm.newString(cut));
    EXPECT_EQ((std::map<std::string, bool>(cutEntries.begin(), cutEntries.end())), expected);
}

TEST_F(Tavroos, ListFilesOfMissingDirectoryOrNullIsNullWithException) {
    ScratchDir dir(L"tavroos-jni-missing");
    dir.file(L"file.txt");
    for (jstring bad : {Str(dir / L"missing"), Str(dir / L"file.txt"), static_cast<jstring>(nullptr)}) {
        EXPECT_EQ(vm.call<jobjectArray>(*dll, WIN_EXPORT("listFiles"), self, bad), nullptr);
        ExpectKestrumException();
    }
}

// A JNI call that fails stops the conversion: the VM's error reaches Java, not KestrumException.
TEST_F(Tavroos, VmThatRunsShortLeavesItsOwnError) {
    ScratchDir dir(L"tavroos-jni-short");
    vm.failCall("GetStringChars");
    EXPECT_EQ(vm.call<jobjectArray>(*dll, WIN_EXPORT("listFiles"), self, Str(dir.path())), nullptr);
    EXPECT_EQ(vm.pendingExceptionClass(), cls::kOutOfMemoryError);
    vm.clearException();
    vm.failCall("NewString");
    EXPECT_EQ(vm.call<jstring>(*dll, OS_EXPORT("getenv"), self, Str(L"PATH")), nullptr);
    EXPECT_EQ(vm.pendingExceptionClass(), cls::kOutOfMemoryError);
    vm.clearException();
}

TEST_F(Tavroos, LongListingKeepsFewLocalReferences) {
    ScratchDir dir(L"tavroos-jni-long");
    for (int i = 0; i < 300; ++i) dir.file(L"f" + std::to_wstring(i));
    EXPECT_EQ(ListFiles(Str(dir.path())).size(), 302u);
    EXPECT_LT(vm.lastCallLocalRefPeak(), 16);
}

// Two threads create and delete other files, 20 at a time, while the folder is
// listed again and again: its two passes then keep disagreeing, and a file that
// is there all along must still be in every listing.
TEST_F(Tavroos, BusyFolderListingKeepsEveryFileThatStays) {
    ScratchDir dir(L"tavroos-jni-busy");
    constexpr int kStaying = 600;
    for (int i = 0; i < kStaying; ++i) dir.file(L"stay" + std::to_wstring(i));
    std::atomic<bool> stop{false};
    std::atomic<int> changes{0};
    auto churn = [&](int thread) {
        while (!stop) {
            for (int pass = 0; pass < 2; ++pass)
                for (int i = 0; i < 20; ++i) {
                    const std::wstring name = dir / (L"churn" + std::to_wstring(thread) + L"-" + std::to_wstring(i));
                    if (pass == 0)
                        mirravon::unique_hfile(::CreateFileW(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                                             FILE_ATTRIBUTE_NORMAL, nullptr));
                    else ::DeleteFileW(name.c_str());
                    ++changes;
                }
        }
    };
    std::thread first(churn, 1), second(churn, 2);
    int listings = 0;
    int incomplete = 0;
    const DWORD start = ::GetTickCount();
    while (::GetTickCount() - start < 3000 && incomplete == 0) {
        int staying = 0;
        for (const auto& entry : ListFiles(Str(dir.path())))
            if (entry.first.rfind("stay", 0) == 0) ++staying;
        ++listings;
        if (staying != kStaying) ++incomplete;
    }
    stop = true;
    first.join();
    second.join();
    EXPECT_EQ(incomplete, 0) << "listing " << listings << " missed files that stayed";
    if (incomplete == 0) {
        EXPECT_GT(changes.load(), 300) << "the folder was not busy: nothing was tested";
    }
}

TEST_F(Tavroos, GetenvOfUnsetEmptyAndNullIsEmptyString) {
    ::SetEnvironmentVariableW(L"TAVROOS_JNI_UNSET", nullptr);
    ASSERT_TRUE(::SetEnvironmentVariableW(L"TAVROOS_JNI_EMPTY", L""));
    ASSERT_TRUE(::SetEnvironmentVariableW(L"TAVROOS_JNI_SET", L"v\u00E4lue-\u65E5"));
    EXPECT_EQ(Getenv(Str(L"TAVROOS_JNI_UNSET")), "");
    EXPECT_EQ(Getenv(Str(L"TAVROOS_JNI_EMPTY")), "");
    EXPECT_EQ(Getenv(Str(L"TAVROOS_JNI_SET")), toUtf8(L"v\u00E4lue-\u65E5"));
    EXPECT_EQ(Getenv(nullptr), "");
    std::u16string cut = u"TAVROOS_JNI_SET";
    cut += u'\0';
    cut += u"_OTHER";
    EXPECT_EQ(Getenv(vm.newString(cut)), toUtf8(L"v\u00E4lue-\u65E5"));
}

// The registry queries' rules are tested below the exports; here, what reaches
// Java: the value as a Java string, absence as "".
TEST_F(Tavroos, RegistryQueriesGiveTheValueOrEmptyString) {
    ScratchKey vs71(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\VisualStudio\\7.1", mirravon::RegistryView::Bits32);
    ScratchKey vs80(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\VisualStudio\\8.0", mirravon::RegistryView::Bits32);
    ScratchKey qft(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Quorel Software\\Quorel Test\\8");
    auto query = [&](const char* name) {
        jstring s = vm.call<jstring>(*dll, name, self);
        ExpectNoException();
        return s ? vm.stringUtf8(s) : std::string("<null>");
    };
    const char* const net = OS_EXPORT("getRegistryValueForNetInstall");
    const char* const assembly = OS_EXPORT("getRegistryValueForQFTNetAssemblyNameInstall");
    EXPECT_EQ(query(net), "");
    EXPECT_EQ(query(assembly), "");
    vs80.setString(L"InstallDir", L"C:\\VS8\u00E9\\");
    EXPECT_EQ(query(net), toUtf8(L"C:\\VS8\u00E9\\"));
    qft.setString(L"Quorel FT Net Assembly Name", L"Quorel.FT.Net\u00E9");
    EXPECT_EQ(query(assembly), toUtf8(L"Quorel.FT.Net\u00E9"));
}

TEST_F(Tavroos, StartQacWithoutAgentControllerIsFalseWithoutException) {
    ScratchKey key(HKEY_LOCAL_MACHINE, L"Software\\Varnex\\Quorel Agent Controller");
    EXPECT_EQ(vm.call<jboolean>(*dll, WIN_EXPORT("startQAC"), self), JNI_FALSE);
    ExpectNoException();
}

// The VM's own error stays pending when a class the library needs is missing.
class TavroosWithoutFileStat : public Tavroos {
protected:
    TavroosWithoutFileStat() : Tavroos({cls::kFileStat}) {}
};

TEST_F(TavroosWithoutFileStat, ListFilesLeavesNoClassDefFoundErrorOrNoSuchMethodError) {
    ScratchDir dir(L"tavroos-jni-noclass");
    EXPECT_EQ(vm.call<jobjectArray>(*dll, WIN_EXPORT("listFiles"), self, Str(dir.path())), nullptr);
    EXPECT_EQ(vm.pendingExceptionClass(), cls::kNoClassDefFoundError);
    vm.clearException();

    // The class exists, but not with the constructor the library calls.
    vm.declareClass(cls::kFileStat).constructor("(Ljava/lang/String;)V");
    EXPECT_EQ(vm.call<jobjectArray>(*dll, WIN_EXPORT("listFiles"), self, Str(dir.path())), nullptr);
    EXPECT_EQ(vm.pendingExceptionClass(), cls::kNoSuchMethodError);
    vm.clearException();
}

class TavroosWithoutException : public Tavroos {
protected:
    TavroosWithoutException() : Tavroos({cls::kKestrumException}) {}
};

TEST_F(TavroosWithoutException, FailureLeavesTheClassLookupError) {
    ScratchDir dir(L"tavroos-jni-noexception");
    EXPECT_EQ(vm.call<jobjectArray>(*dll, WIN_EXPORT("listFiles"), self, Str(dir / L"missing")), nullptr);
    EXPECT_EQ(vm.pendingExceptionClass(), cls::kNoClassDefFoundError);
    vm.clearException();
}

}  // namespace
