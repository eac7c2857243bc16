// tavrodvxjni's DrovixNative exports, called through the JNI test host the way
// the client's VM calls them, against the stand-in tool: its automation server,
// its "kvxsys.dll" in a tool home directory and its main program kvdrovix.exe.
// Each test loads the real DLL afresh, so that its load-time set-up runs again.
#include <windows.h>
#include <objbase.h>

#include <gtest/gtest.h>
#include <jnihost/jni_host.h>
#include <mirravon/unique_owner.h>
#include <mirravon_test/caller.h>
#include <mirravon_test/child_process.h>
#include <mirravon_test/scratch_key.h>
#include <mirravon_test/to_utf8.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "standin_support.h"
#include "test_window.h"

using namespace toolbridge_test;
using mirravon_test::Caller;
using mirravon_test::CallerTrace;

namespace {

#define DROVIX_EXPORT(name) "Java_com_varnex_quorel_mirravon_testmanagement_drovix_common_DrovixNative_" name

// While alive, the module's imported Sleep is a stand-in that records each
// pause asked for and spends a hundredth of it: the import table entries that
// hold kernel32's Sleep are pointed at the stand-in, and put back at the end.
class ShortenedSleep {
public:
    explicit ShortenedSleep(HMODULE module) {
        s_requested.clear();
        s_real = reinterpret_cast<SleepFunction>(
            reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "Sleep")));
        auto* base = reinterpret_cast<BYTE*>(module);
        const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
        const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
        const IMAGE_DATA_DIRECTORY& imports = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
        if (s_real == nullptr || imports.VirtualAddress == 0) return;
        for (auto* d = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(base + imports.VirtualAddress); d->Name != 0;
             ++d)
            for (auto* slot = reinterpret_cast<ULONG_PTR*>(base + d->FirstThunk); *slot != 0; ++slot)
                if (*slot == reinterpret_cast<ULONG_PTR>(s_real)) {
                    put(slot, reinterpret_cast<ULONG_PTR>(&Recording));
                    m_slots.push_back(slot);
                }
    }
    ~ShortenedSleep() {
        for (ULONG_PTR* slot : m_slots) put(slot, reinterpret_cast<ULONG_PTR>(s_real));
    }
    ShortenedSleep(const ShortenedSleep&) = delete;
    ShortenedSleep& operator=(const ShortenedSleep&) = delete;

    bool active() const { return !m_slots.empty(); }
    const std::vector<DWORD>& requested() const { return s_requested; }

private:
    using SleepFunction = VOID(WINAPI*)(DWORD);
    static VOID WINAPI Recording(DWORD milliseconds) {
        s_requested.push_back(milliseconds);
        s_real(milliseconds / 100);
    }
    static void put(ULONG_PTR* slot, ULONG_PTR value) {
        DWORD old = 0;
        if (!VirtualProtect(slot, sizeof *slot, PAGE_READWRITE, &old)) return;
        *slot = value;
        VirtualProtect(slot, sizeof *slot, old, &old);
    }

    static inline SleepFunction s_real = nullptr;
    static inline std::vector<DWORD> s_requested;
    std::vector<ULONG_PTR*> m_slots;
};

// The tool counts as installed while this key exists.
const wchar_t kAppPaths[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\kvdrovix.exe";
const char kProgId[] = "Dvxcomsvr.DrovixComServer";

struct JavaFailure {
    bool pending = false;
    std::string exceptionClass;
    int code = 0;
    std::vector<std::string> texts;
};

// The stand-in kvdrovix.exe, started at once; its window comes `delayMs` after go().
class ToolProgram {
public:
    ToolProgram(DWORD delayMs, bool minimized, Caller where = {})
        : m_ready(CreateEventA(nullptr, TRUE, FALSE, "ToolbridgeTestKvdrovixReady")),
          m_go(CreateEventA(nullptr, TRUE, FALSE, "ToolbridgeTestKvdrovixGo")),
          m_process("\"" + kvdrovixPath() + "\" --delay-ms " + std::to_string(delayMs) +
                    " --ready-event ToolbridgeTestKvdrovixReady --go-event ToolbridgeTestKvdrovixGo" +
                    " --lifetime-ms 120000" + (minimized ? " --minimized" : "")) {
        const CallerTrace trace(where);
        if (!m_process.started()) {
            ADD_FAILURE() << "cannot start " << kvdrovixPath() << ": " << m_process.startError();
            return;
        }
        HANDLE waits[2] = {m_ready.get(), m_process.handle()};
        EXPECT_EQ(WaitForMultipleObjects(2, waits, FALSE, 30000), WAIT_OBJECT_0) << "kvdrovix.exe did not get ready";
    }
    ~ToolProgram() {
        if (HWND window = this->window()) PostMessageA(window, WM_CLOSE, 0, 0);
        if (m_process.started() && !m_process.wait(10000)) m_process.terminate(1);
    }

    void go() { SetEvent(m_go.get()); }
    HWND window() const { return FindWindowA(standin::kMainWindowClass, nullptr); }

private:
    mirravon::unique_handle m_ready;
    mirravon::unique_handle m_go;
    mirravon_test::ChildProcess m_process;
};

// A thread older than the library: it runs before the load (so the library is
// never told of its start) and does `work` once go() is called. Joined at the
// latest when the object goes.
class OlderThread {
public:
    explicit OlderThread(std::function<void()> work)
        : m_running(CreateEventA(nullptr, TRUE, FALSE, nullptr)),
          m_go(CreateEventA(nullptr, TRUE, FALSE, nullptr)),
          m_thread([this, work = std::move(work)] {
              SetEvent(m_running.get());
              WaitForSingleObject(m_go.get(), 30000);
              work();
          }) {
        // Only a thread that runs its own code has had its start-up notifications:
        // one merely created could still be told of the library once it is loaded.
        m_started = WaitForSingleObject(m_running.get(), 30000) == WAIT_OBJECT_0;
    }
    OlderThread(const OlderThread&) = delete;
    OlderThread& operator=(const OlderThread&) = delete;
    ~OlderThread() { join(); }

    // Whether it ran its own code before the constructor returned.
    bool started() const noexcept { return m_started; }
    void go() { SetEvent(m_go.get()); }
    void join() {
        go();
        if (m_thread.joinable()) m_thread.join();
    }

private:
    mirravon::unique_handle m_running;
    mirravon::unique_handle m_go;
    std::thread m_thread;
    bool m_started = false;
};

// Runs `work(i)` on `count` threads that start it together, and waits for all.
template <typename Work> void atOnce(int count, Work work) {
    mirravon::unique_handle go(CreateEventA(nullptr, TRUE, FALSE, nullptr));
    std::vector<std::thread> threads;
    for (int i = 0; i < count; ++i)
        threads.emplace_back([&, i] {
            WaitForSingleObject(go.get(), 30000);
            work(i);
        });
    SetEvent(go.get());
    for (std::thread& t : threads) t.join();
}

class DrovixNative : public ::testing::Test {
protected:
    void SetUp() override {
        vm.declareClientClasses();
        ASSERT_EQ(GetModuleHandleA("kvxsys.dll"), nullptr);
    }
    void TearDown() override { unload(); }
    void markInstalled() { appPaths.create(); }

    // Loads the DLL with QUORL_KVHOME set to `home` (null: unset).
    void load(const char* home, Caller where = {}) {
        const CallerTrace trace(where);
        SetEnvironmentVariableA("QUORL_KVHOME", home);
        dll = std::make_unique<jnihost::Library>(vm, mirravon_test::toWindowsPath(TOOLBRIDGE_DLL));
        ASSERT_TRUE(dll->loaded()) << dll->loadError();
        self = vm.newObject(jnihost::classes::kDrovixNative);
        cls = vm.findClass(jnihost::classes::kDrovixNative);
    }
    void unload() { dll.reset(); }

    // Holds the stand-in library that the bridge will load by name and has it
    // report `window` from its `poll`-th search on; false when it cannot be held.
    bool holdKvxsysAnswering(int poll, HWND window) {
        heldKvxsys.reset(LoadLibraryA((fullHome() + "\\kvxsys.dll").c_str()));
        if (!heldKvxsys) return false;
        LoadedKvxsys().answerFrom(poll, window);
        return true;
    }
    // Resets the held library's counters, unloads the bridge, then lets the library go.
    void releaseKvxsys() {
        LoadedKvxsys().reset();
        unload();
        heldKvxsys.reset();
    }

    jstring str(const char* text) { return vm.newStringUtf8(text); }

    jboolean isInstalled() { return vm.call<jboolean>(*dll, DROVIX_EXPORT("native_1isDrovixInstalled"), cls); }
    jstring installDir() { return vm.call<jstring>(*dll, DROVIX_EXPORT("native_1getDrovixInstallDir"), cls); }
    void loginAndLaunch(jstring a, jstring b, jstring c, bool flag, jstring e) {
        vm.call<void>(*dll, DROVIX_EXPORT("native_1loginAndLaunch"), self, a, b, c,
                      static_cast<jboolean>(flag ? JNI_TRUE : JNI_FALSE), e);
    }
    void logoff() { vm.call<void>(*dll, DROVIX_EXPORT("native_1logoff"), self); }
    void openScript(jstring name) {
        vm.call<void>(*dll, DROVIX_EXPORT("native_1openScript__Ljava_lang_String_2"), self, name);
    }
    void openScriptLong(jstring name, jlong value) {
        vm.call<void>(*dll, DROVIX_EXPORT("native_1openScript__Ljava_lang_String_2J"), self, name, value);
    }
    void playback(jstring a, jstring b) { vm.call<void>(*dll, DROVIX_EXPORT("native_1playbackScript"), self, a, b); }

    JavaFailure takeFailure(Caller where = {}) {
        const CallerTrace trace(where);
        JavaFailure failure;
        if (!vm.exceptionPending()) return failure;
        failure.pending = true;
        failure.exceptionClass = vm.pendingExceptionClass();
        jthrowable exception = vm.pendingException();
        EXPECT_EQ(vm.constructorDescriptor(exception), "(I[Ljava/lang/String;)V");
        std::vector<jnihost::Value> args = vm.constructorArgs(exception);
        if (args.size() == 2) {
            failure.code = args[0].i();
            for (jobject text : vm.arrayElements(args[1].l())) failure.texts.push_back(vm.stringUtf8(text));
        }
        vm.clearException();
        return failure;
    }
    void expectFailure(int code, const std::vector<std::string>& texts, Caller where = {}) {
        const CallerTrace trace(where);
        JavaFailure failure = takeFailure();
        ASSERT_TRUE(failure.pending) << "no exception pending";
        EXPECT_EQ(failure.exceptionClass, jnihost::classes::kDrovixIntegrationException);
        EXPECT_EQ(failure.code, code);
        EXPECT_EQ(failure.texts, texts);
    }
    void logoffOn(jobject receiver, JavaFailure& failure) {
        vm.call<void>(*dll, DROVIX_EXPORT("native_1logoff"), receiver);
        failure = takeFailure();
    }
    void loginOn(jobject receiver, const char* project, JavaFailure& failure) {
        vm.call<void>(*dll, DROVIX_EXPORT("native_1loginAndLaunch"), receiver, str(project), str("u"), str("p"),
                      static_cast<jboolean>(JNI_TRUE), str("e"));
        failure = takeFailure();
    }
    void expectNoFailure(Caller where = {}) {
        const CallerTrace trace(where);
        JavaFailure failure = takeFailure();
        EXPECT_FALSE(failure.pending) << "code " << failure.code << " " << failure.exceptionClass;
    }

    ProcessStateGuard guard;
    mirravon_test::ScratchKey appPaths{HKEY_LOCAL_MACHINE, kAppPaths, toolKeyView()};
    StandInServer server;
    jnihost::JniHost vm;
    std::unique_ptr<jnihost::Library> dll;
    mirravon::unique_hmodule heldKvxsys;
    jobject self = nullptr;
    jclass cls = nullptr;
};

// ---------------------------------------------------------------- discovery and load-time set-up

TEST_F(DrovixNative, NeitherKeyNorVariable) {
    load(nullptr);
    EXPECT_EQ(isInstalled(), JNI_FALSE);
    jstring dir = installDir();
    ASSERT_NE(dir, nullptr);
    EXPECT_EQ(vm.stringUtf8(dir), "");
    EXPECT_TRUE(samePath(currentDirectory(), guard.directory()));
    expectNoFailure();
}

TEST_F(DrovixNative, KeyAndVariable) {
    markInstalled();
    load(fullHome().c_str());
    EXPECT_EQ(isInstalled(), JNI_TRUE);
    EXPECT_EQ(vm.stringUtf8(installDir()), fullHome()) << "returned as the environment holds it";
    EXPECT_TRUE(samePath(currentDirectory(), fullHome())) << currentDirectory();
}

TEST_F(DrovixNative, VariableEndingInABackslashIsReturnedAsItIs) {
    load((fullHome() + "\\").c_str());
    EXPECT_EQ(isInstalled(), JNI_FALSE);
    EXPECT_EQ(vm.stringUtf8(installDir()), fullHome() + "\\");
    EXPECT_TRUE(samePath(currentDirectory(), fullHome())) << currentDirectory();
}

TEST_F(DrovixNative, KeyWithoutVariableAnswersIndependently) {
    markInstalled();
    load(nullptr);
    EXPECT_EQ(isInstalled(), JNI_TRUE);
    EXPECT_EQ(vm.stringUtf8(installDir()), "");
}

TEST_F(DrovixNative, HomeWithoutAnyBackslashIsARelativeDirectory) {
    SetCurrentDirectoryA(emptyHome().c_str());
    CreateDirectoryA("Tool", nullptr);
    load("Tool");
    EXPECT_TRUE(samePath(currentDirectory(), emptyHome() + "\\Tool")) << currentDirectory();
    EXPECT_EQ(vm.stringUtf8(installDir()), "Tool");
}

TEST_F(DrovixNative, OverlongVariableCountsAsUnset) {
    load(("C:\\" + std::string(300, 'x')).c_str());
    EXPECT_EQ(vm.stringUtf8(installDir()), "");
    EXPECT_TRUE(samePath(currentDirectory(), guard.directory()));
}

// ---------------------------------------------------------------- COM entry per thread

TEST_F(DrovixNative, ThreadsStartedAfterTheLoadAreEnteredIntoCom) {
    JavaFailure before;
    HRESULT beforeInit = E_FAIL;
    jobject shared = nullptr;
    OlderThread earlier([&] {
        logoffOn(shared, before);
        beforeInit = CoInitialize(nullptr);
        if (SUCCEEDED(beforeInit)) CoUninitialize();
    });
    EXPECT_TRUE(earlier.started());
    load(fullHome().c_str());
    shared = vm.newGlobalRef(self);
    earlier.join();

    JavaFailure after;
    HRESULT afterInit = E_FAIL;
    std::thread later([&] {
        logoffOn(shared, after);
        afterInit = CoInitialize(nullptr);
        if (SUCCEEDED(afterInit)) CoUninitialize();
    });
    later.join();

    // The thread that existed before the load is entered on its first call and
    // stays in COM until it ends.
    EXPECT_FALSE(before.pending) << before.code;
    EXPECT_EQ(beforeInit, S_FALSE);
    EXPECT_FALSE(after.pending) << after.code;
    EXPECT_EQ(afterInit, S_FALSE);
    HRESULT loadingThread = CoInitialize(nullptr);
    EXPECT_EQ(loadingThread, S_FALSE);
    if (SUCCEEDED(loadingThread)) CoUninitialize();
    EXPECT_EQ(server.takeJournal(),
              (std::vector<std::string>{"CreateInstance", "GetIDsOfNames Logoff", "Invoke Logoff()",
                                        "GetIDsOfNames Logoff", "Invoke Logoff()"}));
    vm.deleteRef(shared);
}

// Unloading leaves COM on the thread that unloads only when the load entered it:
// that thread may then enter a multithreaded apartment, and one that was in a
// multithreaded apartment of its own before the load keeps it.
TEST_F(DrovixNative, UnloadLeavesComOnlyWhereTheLoadEnteredIt) {
    HRESULT afterEntered = E_FAIL;
    APTTYPE ownKept = APTTYPE_STA;
    APTTYPEQUALIFIER qualifier;
    std::thread([&] {
        load(fullHome().c_str());
        unload();
        afterEntered = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
        if (SUCCEEDED(afterEntered)) CoUninitialize();

        if (FAILED(CoInitializeEx(nullptr, COINIT_MULTITHREADED))) return;
        load(fullHome().c_str());
        unload();
        if (CoGetApartmentType(&ownKept, &qualifier) != S_OK) ownKept = APTTYPE_CURRENT;
        CoUninitialize();
    }).join();
    EXPECT_EQ(afterEntered, S_OK);
    EXPECT_EQ(ownKept, APTTYPE_MTA);
}

// A VM may unload on a thread older than the library: it is entered into COM
// for the release alone, so the object goes while its thread is in COM.
TEST_F(DrovixNative, AThreadOlderThanTheLibraryReleasesTheObjectInCom) {
    HRESULT afterUnload = E_FAIL;
    OlderThread older([&] {
        unload();
        afterUnload = CoInitialize(nullptr);
        if (SUCCEEDED(afterUnload)) CoUninitialize();
    });
    load(fullHome().c_str());
    logoff();
    expectNoFailure();
    server.takeJournal();
    older.join();
    EXPECT_EQ(server.takeJournal(), std::vector<std::string>{"Released in COM"});
    EXPECT_EQ(afterUnload, S_OK) << "and it leaves again";
}

// ---------------------------------------------------------------- every Java thread, in and out of process

enum class ServerKind { InProcess, Local, LocalOfTheOtherArchitecture };

std::string kindName(const ::testing::TestParamInfo<ServerKind>& info) {
    switch (info.param) {
    case ServerKind::InProcess: return "InProcess";
    case ServerKind::Local: return "Local";
    default: return "LocalOfTheOtherArchitecture";
    }
}

// The same cases with the stand-in server in the process and as a local server
// program (whose proxy belongs to the apartment of the thread that made it).
class DrovixNativeServer : public DrovixNative, public ::testing::WithParamInterface<ServerKind> {
protected:
    void SetUp() override {
        DrovixNative::SetUp();
        if (GetParam() == ServerKind::LocalOfTheOtherArchitecture) {
            MIRRAVON_SKIP_UNLESS_64BIT_WINDOWS();
            server.useLocalServer(otherArchitectureLocalServerPath());
        }
        if (GetParam() == ServerKind::Local) server.useLocalServer(localServerPath());
    }
};

INSTANTIATE_TEST_SUITE_P(, DrovixNativeServer,
                         ::testing::Values(ServerKind::InProcess, ServerKind::Local,
                                           ServerKind::LocalOfTheOtherArchitecture),
                         kindName);

TEST_P(DrovixNativeServer, EveryThreadReachesTheTool) {
    // The first call comes from a thread that existed before the load: it is
    // entered into COM then, and the object is made in its apartment.
    mirravon::unique_handle called(CreateEventA(nullptr, TRUE, FALSE, nullptr));
    mirravon::unique_handle end(CreateEventA(nullptr, TRUE, FALSE, nullptr));
    JavaFailure first, loading, later, together[2];
    jobject shared = nullptr;
    OlderThread earlier([&] {
        logoffOn(shared, first);
        SetEvent(called.get());
        WaitForSingleObject(end.get(), 30000);
    });
    load(fullHome().c_str());
    shared = vm.newGlobalRef(self);
    earlier.go();
    WaitForSingleObject(called.get(), 30000);
    EXPECT_FALSE(first.pending) << "code " << first.code;

    logoffOn(self, loading);
    EXPECT_FALSE(loading.pending) << "code " << loading.code;
    std::thread([&] { loginOn(shared, "later", later); }).join();
    EXPECT_FALSE(later.pending) << "code " << later.code;
    atOnce(2, [&](int i) { loginOn(shared, i == 0 ? "one" : "two", together[i]); });
    for (const JavaFailure& failure : together) EXPECT_FALSE(failure.pending) << "code " << failure.code;
    vm.deleteRef(shared);
    // The thread that made the object ends: a proxy's table entry goes with
    // that thread's apartment, so the next call makes a new object; an object
    // of the process stays.
    SetEvent(end.get());
    earlier.join();
    logoff();
    expectNoFailure();

    std::vector<std::string> journal = server.takeJournal();
    const std::string login = "Invoke LoginToProject(BSTR:\"%\", BSTR:\"u\", BSTR:\"p\", I4:1, BSTR:\"e\")";
    auto loginOf = [&](const char* project) {
        std::string line = login;
        return line.replace(line.find('%'), 1, project);
    };
    ASSERT_GE(journal.size(), 11u) << ::testing::PrintToString(journal);
    EXPECT_EQ(
        std::vector<std::string>(journal.begin(), journal.begin() + 7),
        (std::vector<std::string>{"CreateInstance", "GetIDsOfNames Logoff", "Invoke Logoff()", "GetIDsOfNames Logoff",
                                  "Invoke Logoff()", "GetIDsOfNames LoginToProject", loginOf("later")}));
    // The two at once in either order, each lookup before its own call.
    std::vector<std::string> lastFour(journal.begin() + 7, journal.begin() + 11);
    std::sort(lastFour.begin(), lastFour.end());
    EXPECT_EQ(lastFour, (std::vector<std::string>{"GetIDsOfNames LoginToProject", "GetIDsOfNames LoginToProject",
                                                  loginOf("one"), loginOf("two")}));
    std::vector<std::string> afterItsEnd(journal.begin() + 11, journal.end());
    if (GetParam() == ServerKind::InProcess)
        EXPECT_EQ(afterItsEnd, (std::vector<std::string>{"GetIDsOfNames Logoff", "Invoke Logoff()"}));
    else
        EXPECT_EQ(afterItsEnd, (std::vector<std::string>{"CreateInstance", "GetIDsOfNames Logoff", "Invoke Logoff()"}));
}

// An object in the process runs each call on the calling thread: two threads
// at once take turns, as its apartment would have let them in.
TEST_F(DrovixNative, TwoThreadsAtOnceEnterAnObjectOfTheProcessInTurn) {
    load(fullHome().c_str());
    logoff();
    expectNoFailure();
    server.takeJournal();
    server.slowCalls(300);
    jobject shared = vm.newGlobalRef(self);
    JavaFailure failures[2];
    atOnce(2, [&](int i) { logoffOn(shared, failures[i]); });
    vm.deleteRef(shared);
    for (const JavaFailure& failure : failures) EXPECT_FALSE(failure.pending) << "code " << failure.code;
    EXPECT_EQ(server.takeJournal(), (std::vector<std::string>{"GetIDsOfNames Logoff", "Invoke Logoff()",
                                                              "GetIDsOfNames Logoff", "Invoke Logoff()"}));
}

// A server that has gone does not make the method unknown: the failure of COM's
// call reaches Java as a system error, with the system's text for it.
TEST_P(DrovixNativeServer, AServerThatHasGoneIsASystemErrorNotAnUnknownMethod) {
    if (GetParam() == ServerKind::InProcess) GTEST_SKIP() << "an in-process server cannot go on its own";
    load(fullHome().c_str());
    logoff();
    expectNoFailure();
    server.endLocalServer();
    logoff();
    ASSERT_TRUE(vm.exceptionPending());
    EXPECT_EQ(vm.pendingExceptionClass(), jnihost::classes::kDrovixIntegrationException);
    EXPECT_EQ(vm.constructorDescriptor(vm.pendingException()), "(Ljava/lang/String;)V");
    EXPECT_NE(vm.pendingExceptionMessage(), "");
    vm.clearException();
    EXPECT_EQ(server.takeJournal(), (std::vector<std::string>{"CreateInstance", "GetIDsOfNames Logoff",
                                                              "Invoke Logoff()", "Released in COM"}));
}

// ---------------------------------------------------------------- session operations

TEST_F(DrovixNative, FirstOperationCreatesTheObjectAndUnloadReleasesIt) {
    const long created = server.objectsCreated();
    load(fullHome().c_str());
    loginAndLaunch(str("proj"), nullptr, str(""), true, str("extra"));
    expectNoFailure();
    logoff();
    expectNoFailure();
    EXPECT_EQ(server.objectsCreated(), created + 1);
    EXPECT_EQ(server.takeJournal(),
              (std::vector<std::string>{
                  "CreateInstance",
                  "GetIDsOfNames LoginToProject",
                  "Invoke LoginToProject(BSTR:\"proj\", BSTR:null, BSTR:\"\", I4:1, BSTR:\"extra\")",
                  "GetIDsOfNames Logoff",
                  "Invoke Logoff()",
              }));
    EXPECT_EQ(server.objectsAlive(), 1);
    unload();
    EXPECT_EQ(server.objectsAlive(), 0);
    EXPECT_EQ(server.takeJournal(), std::vector<std::string>{"Released in COM"});
}

TEST_F(DrovixNative, LoginFlagFalseArrivesAsZeroAndArgumentsKeepTheirOrder) {
    load(fullHome().c_str());
    loginAndLaunch(str("a"), str("b"), str("c"), false, nullptr);
    expectNoFailure();
    std::vector<std::string> journal = server.takeJournal();
    ASSERT_EQ(journal.size(), 3u);
    EXPECT_EQ(journal[2], "Invoke LoginToProject(BSTR:\"a\", BSTR:\"b\", BSTR:\"c\", I4:0, BSTR:null)");
}

TEST_F(DrovixNative, FailedCreationIsCode3AndIsRetried) {
    load(fullHome().c_str());
    server.failCreation(true);
    logoff();
    expectFailure(3, {kProgId});
    loginAndLaunch(str("a"), str("b"), str("c"), false, str("e"));
    expectFailure(3, {kProgId});
    server.failCreation(false);
    logoff();
    expectNoFailure();
    EXPECT_EQ(server.takeJournal(),
              (std::vector<std::string>{"CreateInstance refused", "CreateInstance refused", "CreateInstance",
                                        "GetIDsOfNames Logoff", "Invoke Logoff()"}));
}

TEST_F(DrovixNative, UnknownMethodIsCode4) {
    load(fullHome().c_str());
    server.forgetMethod(L"LoginToProject");
    loginAndLaunch(str("a"), str("b"), str("c"), true, str("e"));
    expectFailure(4, {kProgId, "LoginToProject"});
    EXPECT_EQ(server.takeJournal(), (std::vector<std::string>{"CreateInstance", "GetIDsOfNames LoginToProject"}));
}

TEST_F(DrovixNative, LoginAndLogoffContactNoWindow) {
    load(fullHome().c_str());
    server.raiseOn(L"Logoff", L"Not logged in");
    logoff();
    expectFailure(5, {"Not logged in"});
    // The description travels as ANSI text and reaches Java as the same characters.
    const wchar_t description[] = L"Pr\u00fcfung l\u00e4uft";
    char ansi[64] = {};
    WideCharToMultiByte(CP_ACP, 0, description, -1, ansi, sizeof ansi, nullptr, nullptr);
    wchar_t roundTrip[64] = {};
    MultiByteToWideChar(CP_ACP, 0, ansi, -1, roundTrip, 64);
    server.raiseOn(L"Logoff", description);
    logoff();
    expectFailure(5, {mirravon_test::toUtf8(roundTrip)});
    EXPECT_EQ(GetModuleHandleA("kvxsys.dll"), nullptr);
}

TEST_F(DrovixNative, LoginAndHighlightContactNothing) {
    const long created = server.objectsCreated();
    load(fullHome().c_str());
    EXPECT_EQ(vm.call<jint>(*dll, DROVIX_EXPORT("native_1login"), self, str("p"), str("u"), str("w")), 0);
    expectNoFailure();
    vm.call<void>(*dll, DROVIX_EXPORT("native_1highlightScript"), self, str("s"), static_cast<jint>(3),
                  static_cast<jint>(4));
    expectNoFailure();
    EXPECT_EQ(server.objectsCreated(), created);
    EXPECT_TRUE(server.takeJournal().empty());
    EXPECT_EQ(GetModuleHandleA("kvxsys.dll"), nullptr);
}

// ---------------------------------------------------------------- script operations and the tool's library

TEST_F(DrovixNative, MissingLibraryIsCode1AndNothingIsCalled) {
    load(emptyHome().c_str());
    playback(str("s"), str("a"));
    expectFailure(1, {"kvxsys.dll"});
    openScript(str("s"));
    expectFailure(1, {"kvxsys.dll"});
    EXPECT_TRUE(server.takeJournal().empty());
}

// A "kvxsys.dll" of the other architecture cannot load: the same failure, no crash.
TEST_F(DrovixNative, LibraryOfTheOtherArchitectureIsCode1) {
    load(otherArchitectureHome().c_str());
    playback(str("s"), str("a"));
    expectFailure(1, {"kvxsys.dll"});
    EXPECT_TRUE(server.takeJournal().empty());
    EXPECT_EQ(GetModuleHandleA("kvxsys.dll"), nullptr);
}

TEST_F(DrovixNative, MissingFunctionIsCode1WithItsName) {
    load(lackingHome().c_str());
    openScript(str("s"));
    expectFailure(1, {"kvxsys.dll", "ExecApplication"});
    playback(str("s"), str("a"));
    expectFailure(1, {"kvxsys.dll", "ExecApplication"});
    EXPECT_TRUE(server.takeJournal().empty());
}

TEST_F(DrovixNative, ToolExceptionsAreCode5WithTheirDescription) {
    TestWindow window;
    ASSERT_TRUE(holdKvxsysAnswering(1, window.handle()));
    load(fullHome().c_str());
    server.raiseOn(L"ExecuteScriptEx", L"Script failed");
    playback(str("Script1"), nullptr);
    expectFailure(5, {"Script failed"});
    server.raiseOn(L"OpenScript", L"Script not found");
    openScriptLong(str("Script2"), 42);
    expectFailure(5, {"Script not found"});
    EXPECT_EQ(LoadedKvxsys().findCount(), 2);
    releaseKvxsys();
    EXPECT_EQ(server.takeJournal(), (std::vector<std::string>{
                                        "CreateInstance",
                                        "GetIDsOfNames ExecuteScriptEx",
                                        "Invoke ExecuteScriptEx(BSTR:\"Script1\", BSTR:null)",
                                        "GetIDsOfNames OpenScript",
                                        "Invoke OpenScript(BSTR:\"Script2\")",
                                        "Released in COM",
                                    }));
}

TEST_F(DrovixNative, AStringTheVmCannotGiveEndsTheCallBeforeTheTool) {
    // The window is found at once: an operation that went on would reach the tool.
    TestWindow window;
    ASSERT_TRUE(holdKvxsysAnswering(1, window.handle()));
    load(fullHome().c_str());
    // The VM's own error is what Java receives; the strict host has already
    // failed the test if a JNI call followed it or a buffer was kept.
    auto expectVmError = [&](Caller where = {}) {
        const CallerTrace trace(where);
        EXPECT_EQ(vm.pendingExceptionClass(), jnihost::classes::kOutOfMemoryError);
        vm.clearException();
    };
    for (int failing : {1, 3}) {
        vm.failCall("GetStringChars", failing);
        loginAndLaunch(str("a"), str("b"), str("c"), true, str("e"));
        expectVmError();
    }
    vm.failCall("GetStringChars");
    openScript(str("s"));
    expectVmError();
    vm.failCall("GetStringChars", 1);
    playback(str("s"), str("a"));
    expectVmError();
    releaseKvxsys();
    EXPECT_TRUE(server.takeJournal().empty());
}

TEST_F(DrovixNative, PlaybackWaitsForTheWindowWithoutBringingItForward) {
    TestWindow window(true);
    ASSERT_TRUE(holdKvxsysAnswering(4, window.handle()));
    load(fullHome().c_str());
    const DWORD start = GetTickCount();
    playback(str("Script1"), str("x=1"));
    const DWORD elapsed = GetTickCount() - start;
    expectNoFailure();
    EXPECT_EQ(LoadedKvxsys().findCount(), 4);
    EXPECT_GE(elapsed, 2900u) << "three sleeps of a second";
    EXPECT_TRUE(IsIconic(window.handle()));
    releaseKvxsys();
    std::vector<std::string> journal = server.takeJournal();
    ASSERT_EQ(journal.size(), 4u);
    EXPECT_EQ(journal[2], "Invoke ExecuteScriptEx(BSTR:\"Script1\", BSTR:\"x=1\")");
}

TEST_F(DrovixNative, OpenAndPlaybackWaitForTheToolsWindowAndRestoreIt) {
    ToolProgram tool(2500, true);
    load(fullHome().c_str());
    tool.go();
    const DWORD start = GetTickCount();
    openScript(str("Main"));
    const DWORD elapsed = GetTickCount() - start;
    expectNoFailure();
    LoadedKvxsys kvxsys;
    ASSERT_TRUE(kvxsys.loaded());
    EXPECT_EQ(kvxsys.findCount(), 4) << "found after " << elapsed << " ms";
    EXPECT_GE(elapsed, 2500u);
    HWND window = tool.window();
    ASSERT_NE(window, nullptr);
    EXPECT_FALSE(IsIconic(window)) << "the minimized window is restored";
    EXPECT_EQ(GetForegroundWindow(), window);

    // The window is there now: one search each.
    playback(str("Main"), str("args"));
    expectNoFailure();
    EXPECT_EQ(kvxsys.findCount(), 5);
    openScriptLong(str("Other"), 42);
    expectNoFailure();
    EXPECT_EQ(kvxsys.findCount(), 6);
    EXPECT_EQ(kvxsys.lastNumber(), 1);
    EXPECT_EQ(server.takeJournal(), (std::vector<std::string>{
                                        "CreateInstance",
                                        "GetIDsOfNames OpenScript",
                                        "Invoke OpenScript(BSTR:\"Main\")",
                                        "GetIDsOfNames ExecuteScriptEx",
                                        "Invoke ExecuteScriptEx(BSTR:\"Main\", BSTR:\"args\")",
                                        "GetIDsOfNames OpenScript",
                                        "Invoke OpenScript(BSTR:\"Other\")",
                                    }));
}

// The full window search through the export, with the DLL's own pauses taken
// short: the pause the product asks for is recorded, not spent.
TEST_F(DrovixNative, OpenScriptPollsAMinuteForAWindowThatNeverComesThenOpensAllTheSame) {
    load(fullHome().c_str());
    const ShortenedSleep sleeps(dll->handle());
    ASSERT_TRUE(sleeps.active()) << "the DLL imports no Sleep to stand in for";
    const DWORD start = GetTickCount();
    openScript(str("Late"));
    const DWORD elapsed = GetTickCount() - start;
    expectNoFailure();
    EXPECT_EQ(LoadedKvxsys().findCount(), 61);
    EXPECT_EQ(sleeps.requested(), std::vector<DWORD>(60, 1000));
    EXPECT_LT(elapsed, 30000u);
    std::vector<std::string> journal = server.takeJournal();
    ASSERT_FALSE(journal.empty());
    EXPECT_EQ(journal.back(), "Invoke OpenScript(BSTR:\"Late\")");
}

}  // namespace
