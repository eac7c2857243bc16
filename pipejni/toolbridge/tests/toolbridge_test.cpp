// The bridge's classes driven directly against the stand-in tool: the automation
// client against the stand-in server, the system library against the stand-in
// "kvxsys.dll" variants, the window wait through a clock that spends no time.
#include <windows.h>
#include <objbase.h>

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "mirravon_test/to_utf8.h"
#include "standin_support.h"
#include "test_window.h"
#include "tool_error_check.h"
#include "toolbridge/drovix_automation.h"
#include "toolbridge/ktx_system_library.h"
#include "toolbridge/tool_error.h"
#include "toolbridge/tool_home.h"

using namespace toolbridge;
using namespace toolbridge_test;

namespace {

// ---------------------------------------------------------------- tool home from the environment

TEST(ToolHome, VariableBecomesTheHomeAndTheCurrentDirectory) {
    ProcessStateGuard guard;
    SetEnvironmentVariableA(kToolHomeVariable, fullHome().c_str());
    LoadToolHomeFromEnvironment();
    EXPECT_EQ(ToolHomeDirectory(), fullHome() + "\\");
    EXPECT_TRUE(samePath(currentDirectory(), fullHome())) << currentDirectory();
    EXPECT_EQ(DrovixInstallDir(), fullHome());

    SetEnvironmentVariableA(kToolHomeVariable, (fullHome() + "\\").c_str());
    LoadToolHomeFromEnvironment();
    EXPECT_EQ(ToolHomeDirectory(), fullHome() + "\\");
    EXPECT_EQ(DrovixInstallDir(), fullHome() + "\\");
}

TEST(ToolHome, UnsetOrOverlongVariableLeavesTheCurrentDirectoryAlone) {
    ProcessStateGuard guard;
    SetEnvironmentVariableA(kToolHomeVariable, nullptr);
    LoadToolHomeFromEnvironment();
    EXPECT_EQ(ToolHomeDirectory(), "");
    EXPECT_EQ(DrovixInstallDir(), "");
    EXPECT_TRUE(samePath(currentDirectory(), guard.directory()));

    SetEnvironmentVariableA(kToolHomeVariable, ("C:\\" + std::string(300, 'x')).c_str());
    LoadToolHomeFromEnvironment();
    EXPECT_EQ(ToolHomeDirectory(), "");
    EXPECT_EQ(DrovixInstallDir(), "");
    EXPECT_TRUE(samePath(currentDirectory(), guard.directory()));
}

// ---------------------------------------------------------------- automation client

class Automation : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr))); }
    void TearDown() override { CoUninitialize(); }
    StandInServer server;
};

TEST_F(Automation, FirstOperationCreatesTheObjectAndTheSecondReusesIt) {
    const long before = server.objectsCreated();
    {
        CDrovixAutomation client;
        EXPECT_FALSE(client.created());
        EXPECT_EQ(client.Logoff(), S_OK);
        EXPECT_TRUE(client.created());
        EXPECT_EQ(client.OpenScript("Main"), S_OK);
        EXPECT_EQ(server.objectsCreated(), before + 1);
        EXPECT_EQ(server.takeJournal(), (std::vector<std::string>{
                                            "CreateInstance",
                                            "GetIDsOfNames Logoff",
                                            "Invoke Logoff()",
                                            "GetIDsOfNames OpenScript",
                                            "Invoke OpenScript(BSTR:\"Main\")",
                                        }));
        EXPECT_GE(server.objectsAlive(), 1);
    }
    EXPECT_EQ(server.objectsAlive(), 0) << "the client's destruction releases the object";
}

TEST_F(Automation, ArgumentsArriveInDeclaredOrderWithTheirTypes) {
    CDrovixAutomation client;
    client.LoginToProject("proj", nullptr, "", 1, "extra");
    client.LoginToProject("p", "u", "pw", 0, nullptr);
    client.ExecuteScriptEx("Script1", "arg list");
    client.OpenScript(nullptr);
    std::vector<std::string> journal = server.takeJournal();
    ASSERT_EQ(journal.size(), 9u);
    EXPECT_EQ(journal[2], "Invoke LoginToProject(BSTR:\"proj\", BSTR:null, BSTR:\"\", I4:1, BSTR:\"extra\")");
    EXPECT_EQ(journal[4], "Invoke LoginToProject(BSTR:\"p\", BSTR:\"u\", BSTR:\"pw\", I4:0, BSTR:null)");
    EXPECT_EQ(journal[6], "Invoke ExecuteScriptEx(BSTR:\"Script1\", BSTR:\"arg list\")");
    EXPECT_EQ(journal[8], "Invoke OpenScript(BSTR:null)");
}

TEST_F(Automation, AnsiTextIsConvertedThroughTheCodePage) {
    CDrovixAutomation client;
    const char ansi[] =
        "Pr\xfc"
        "fung";
    wchar_t wide[16] = {};
    MultiByteToWideChar(CP_ACP, 0, ansi, -1, wide, 16);
    client.OpenScript(ansi);
    std::vector<std::string> journal = server.takeJournal();
    ASSERT_EQ(journal.size(), 3u);
    EXPECT_EQ(journal[2], "Invoke OpenScript(BSTR:\"" + mirravon_test::toUtf8(wide) + "\")");
}

TEST_F(Automation, FailedCreationRaisesCode3AndIsRetried) {
    CDrovixAutomation client;
    server.failCreation(true);
    expectFailure(failureOf([&] { client.Logoff(); }), 3, {"Dvxcomsvr.DrovixComServer"});
    EXPECT_FALSE(client.created());
    expectFailure(failureOf([&] { client.OpenScript("x"); }), 3, {"Dvxcomsvr.DrovixComServer"});
    server.failCreation(false);
    EXPECT_EQ(client.OpenScript("x"), S_OK);
    EXPECT_TRUE(client.created());
    EXPECT_EQ(server.takeJournal(), (std::vector<std::string>{
                                        "CreateInstance refused",
                                        "CreateInstance refused",
                                        "CreateInstance",
                                        "GetIDsOfNames OpenScript",
                                        "Invoke OpenScript(BSTR:\"x\")",
                                    }));
}

TEST_F(Automation, UnresolvableProgIdRaisesCode3) {
    CDrovixAutomation client;
    server.unregisterServer();
    ToolFailure failure = failureOf([&] { client.Create(); });
    server.registerServer();
    expectFailure(failure, 3, {"Dvxcomsvr.DrovixComServer"});
    EXPECT_TRUE(server.takeJournal().empty());
    client.Create();
    EXPECT_TRUE(client.created());
}

// An in-process server of the other architecture cannot be loaded into this
// process: the object cannot be made, code 3 as for any failed creation.
// (A 32-bit Windows has no 64-bit server at all; there Wine starts a DLL host
// for it that never ends.)
TEST_F(Automation, InProcessServerOfTheOtherArchitectureRaisesCode3) {
    MIRRAVON_SKIP_UNLESS_64BIT_WINDOWS();
    server.registerInprocServerAt(otherArchitectureServerPath());
    CDrovixAutomation client;
    ToolFailure failure = failureOf([&] { client.Create(); });
    server.registerServer();
    expectFailure(failure, 3, {"Dvxcomsvr.DrovixComServer"});
    EXPECT_FALSE(client.created());
    EXPECT_TRUE(server.takeJournal().empty());
}

// A local server of the other architecture serves the calls: they cross from
// one kind of process to the other. The server program would end once the
// object it made is released; under Wine the global interface table keeps it,
// so it is ended here.
TEST_F(Automation, LocalServerOfTheOtherArchitectureServesTheCalls) {
    MIRRAVON_SKIP_UNLESS_64BIT_WINDOWS();
    server.registerLocalServerAt(otherArchitectureLocalServerPath());
    {
        CDrovixAutomation client;
        EXPECT_EQ(client.Logoff(), S_OK);
        EXPECT_TRUE(client.created());
        EXPECT_EQ(client.OpenScript("Main"), S_OK);
    }
    server.endLocalServer();
    server.unregisterServer();
    server.registerServer();
    EXPECT_TRUE(server.takeJournal().empty()) << "the in-process server was used";
}

TEST_F(Automation, UnknownMethodRaisesCode4BeforeAnythingIsInvoked) {
    CDrovixAutomation client;
    server.forgetMethod(L"OpenScript");
    expectFailure(failureOf([&] { client.OpenScript("x"); }), 4, {"Dvxcomsvr.DrovixComServer", "OpenScript"});
    EXPECT_EQ(server.takeJournal(), (std::vector<std::string>{"CreateInstance", "GetIDsOfNames OpenScript"}));
    // The name is looked up again on every call.
    server.forgetMethod(nullptr);
    EXPECT_EQ(client.OpenScript("x"), S_OK);
    server.takeJournal();

    // Not knowing the name for the locale is not knowing it; any other failure
    // of the lookup is COM's or the system's, thrown as the system's error (a
    // Windows error inside the status as that error), never as code 4.
    server.forgetMethod(L"Logoff", DISP_E_UNKNOWNLCID);
    expectFailure(failureOf([&] { client.Logoff(); }), 4, {"Dvxcomsvr.DrovixComServer", "Logoff"});
    const struct {
        HRESULT status;
        unsigned long thrown;
    } failures[] = {{RPC_E_DISCONNECTED, static_cast<unsigned long>(RPC_E_DISCONNECTED)},
                    {HRESULT_FROM_WIN32(RPC_S_SERVER_UNAVAILABLE), RPC_S_SERVER_UNAVAILABLE},
                    {E_OUTOFMEMORY, ERROR_OUTOFMEMORY}};
    for (const auto& failure : failures) {
        server.forgetMethod(L"Logoff", failure.status);
        unsigned long thrown = 0;
        try {
            client.Logoff();
        } catch (unsigned long code) {
            thrown = code;
        }
        EXPECT_EQ(thrown, failure.thrown);
    }
    EXPECT_EQ(server.takeJournal(), std::vector<std::string>(4, "GetIDsOfNames Logoff"));
}

TEST_F(Automation, ToolExceptionRaisesCode5WithItsDescription) {
    CDrovixAutomation client;
    server.raiseOn(L"ExecuteScriptEx", L"Script failed");
    expectFailure(failureOf([&] { client.ExecuteScriptEx("a", "b"); }), 5, {"Script failed"});
    server.raiseOn(L"OpenScript", L"Script not found");
    expectFailure(failureOf([&] { client.OpenScript("a"); }), 5, {"Script not found"});
}

TEST_F(Automation, ToolExceptionWithoutDescriptionStillNamesTheFailure) {
    CDrovixAutomation client;
    server.raiseOn(L"Logoff", nullptr);
    expectFailure(failureOf([&] { client.Logoff(); }), 5,
                  {"Dvxcomsvr.DrovixComServer raised exception 1001 without a description"});
    server.raiseOn(L"Logoff", L"");
    expectFailure(failureOf([&] { client.Logoff(); }), 5,
                  {"Dvxcomsvr.DrovixComServer raised exception 1001 without a description"});
}

TEST_F(Automation, ReleaseAtUnloadLetsTheObjectGo) {
    CDrovixAutomation client;
    client.Logoff();
    EXPECT_EQ(server.objectsAlive(), 1);
    server.takeJournal();
    client.ReleaseObject();
    EXPECT_EQ(server.objectsAlive(), 0);
    EXPECT_EQ(server.takeJournal(), std::vector<std::string>{"Released in COM"});
}

// ---------------------------------------------------------------- system library

class SystemLibrary : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(GetModuleHandleA("kvxsys.dll"), nullptr) << "a kvxsys.dll is still loaded"; }
    // Home as the library's load sets it, then a current directory elsewhere, so
    // that only the load from the home directory can find the library.
    void homeAt(const std::string& home) {
        SetEnvironmentVariableA(kToolHomeVariable, home.c_str());
        LoadToolHomeFromEnvironment();
        SetCurrentDirectoryA(guard.directory().c_str());
    }
    void TearDown() override {
        SetEnvironmentVariableA(kToolHomeVariable, nullptr);
        LoadToolHomeFromEnvironment();
        EXPECT_EQ(GetModuleHandleA("kvxsys.dll"), nullptr) << "the library outlived its binder";
    }
    ProcessStateGuard guard;
};

TEST_F(SystemLibrary, LoadsFromTheCurrentDirectoryByName) {
    SetEnvironmentVariableA(kToolHomeVariable, fullHome().c_str());
    LoadToolHomeFromEnvironment();  // the home is now the current directory
    CKtxSystemLibrary library;
    EXPECT_EQ(library.FindKTXWindow(1), nullptr);  // kvdrovix.exe does not run
    EXPECT_TRUE(library.bound());
    LoadedKvxsys kvxsys;
    EXPECT_EQ(kvxsys.findCount(), 1);
    EXPECT_EQ(kvxsys.lastNumber(), 1);
}

TEST_F(SystemLibrary, FoundOnlyInTheHomeDirectoryByTheSecondAttempt) {
    homeAt(fullHome());
    ASSERT_EQ(LoadLibraryA("kvxsys.dll"), nullptr) << "the name alone must not find it here";
    CKtxSystemLibrary library;
    library.Bind();
    EXPECT_TRUE(library.bound());
    EXPECT_NE(GetModuleHandleA("kvxsys.dll"), nullptr);
}

TEST_F(SystemLibrary, MissingLibraryRaisesCode1AndIsTriedAgain) {
    homeAt(emptyHome());
    CKtxSystemLibrary library;
    expectFailure(failureOf([&] { library.FindKTXWindow(1); }), 1, {"kvxsys.dll"});
    EXPECT_FALSE(library.bound());
    homeAt(fullHome());
    library.Bind();
    EXPECT_TRUE(library.bound());
}

TEST_F(SystemLibrary, MissingFunctionRaisesCode1WithItsNameAndKeepsNothingLoaded) {
    homeAt(lackingHome());
    CKtxSystemLibrary library;
    expectFailure(failureOf([&] { library.FindKTXWindow(1); }), 1, {"kvxsys.dll", "ExecApplication"});
    EXPECT_FALSE(library.bound());
    EXPECT_EQ(GetModuleHandleA("kvxsys.dll"), nullptr);
    expectFailure(failureOf([&] { library.Bind(); }), 1, {"kvxsys.dll", "ExecApplication"});
}

// A 32-bit "kvxsys.dll" beside the 64-bit library, or a 64-bit one beside the
// 32-bit library: the system refuses it (error 193, which has a text of its
// own), and the bind ends as for a missing library, with nothing loaded.
TEST_F(SystemLibrary, LibraryOfTheOtherArchitectureRaisesCode1) {
    homeAt(otherArchitectureHome());
    ASSERT_EQ(LoadLibraryA((otherArchitectureHome() + "\\kvxsys.dll").c_str()), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_BAD_EXE_FORMAT));
    EXPECT_NE(mirravon_test::SystemTextOf(ERROR_BAD_EXE_FORMAT), "");
    CKtxSystemLibrary library;
    expectFailure(failureOf([&] { library.FindKTXWindow(1); }), 1, {"kvxsys.dll"});
    EXPECT_FALSE(library.bound());
    EXPECT_EQ(GetModuleHandleA("kvxsys.dll"), nullptr);
}

TEST_F(SystemLibrary, HomeTooLongForThePathIsNotCut) {
    // 250 characters of home fit, the file name after them does not.
    std::string home = emptyHome() + "\\";
    home += std::string(250 - home.size(), 'd');
    homeAt(home);
    ASSERT_EQ(ToolHomeDirectory().size(), 251u);
    CKtxSystemLibrary library;
    expectFailure(failureOf([&] { library.Bind(); }), 1, {"kvxsys.dll"});
}

// ---------------------------------------------------------------- window wait

class RecordingClock final : public WaitClock {
public:
    void Sleep(DWORD ms) override { sleeps.push_back(ms); }
    std::vector<DWORD> sleeps;
};

class WindowWait : public ::testing::Test {
protected:
    void SetUp() override {
        SetEnvironmentVariableA(kToolHomeVariable, fullHome().c_str());
        LoadToolHomeFromEnvironment();
        library.Bind();
        kvxsys = LoadedKvxsys();
        ASSERT_TRUE(kvxsys.loaded());
        kvxsys.reset();
    }
    void TearDown() override { kvxsys.reset(); }
    ProcessStateGuard guard;
    CKtxSystemLibrary library;
    LoadedKvxsys kvxsys;
    RecordingClock clock;
};

TEST_F(WindowWait, WindowAfterTwoAndAHalfSecondsIsFoundByTheFourthPoll) {
    TestWindow window(false);
    kvxsys.answerFrom(4, window.handle());
    CKtxComponent component(kDrovixMainComponent, library, clock);
    EXPECT_EQ(component.WaitForWindow(), window.handle());
    EXPECT_EQ(kvxsys.findCount(), 4);
    EXPECT_EQ(clock.sleeps, (std::vector<DWORD>{1000, 1000, 1000}));
    EXPECT_EQ(kvxsys.lastNumber(), 1);
}

TEST_F(WindowWait, WindowThatNeverComesGivesNullAfter61PollsAnd60Sleeps) {
    CKtxComponent component(kDrovixMainComponent, library, clock);
    EXPECT_EQ(component.WaitForWindow(), nullptr);
    EXPECT_EQ(kvxsys.findCount(), 61);
    EXPECT_EQ(clock.sleeps, std::vector<DWORD>(60, 1000));
}

TEST_F(WindowWait, WindowAtThe61stPollIsReturned) {
    TestWindow window(false);
    kvxsys.answerFrom(61, window.handle());
    CKtxComponent component(7, library, clock);
    EXPECT_EQ(component.WaitForWindow(), window.handle());
    EXPECT_EQ(kvxsys.findCount(), 61);
    EXPECT_EQ(clock.sleeps.size(), 60u);
    EXPECT_EQ(kvxsys.lastNumber(), 7);
}

TEST_F(WindowWait, MinimizedWindowIsRestoredAndBroughtForward) {
    TestWindow window(true);
    ASSERT_TRUE(IsIconic(window.handle()));
    kvxsys.answerFrom(1, window.handle());
    CKtxComponent component(kDrovixMainComponent, library, clock);
    EXPECT_EQ(component.ActivateWindow(), window.handle());
    EXPECT_FALSE(IsIconic(window.handle()));
    EXPECT_TRUE(IsWindowVisible(window.handle()));
    EXPECT_EQ(GetForegroundWindow(), window.handle());
    EXPECT_TRUE(clock.sleeps.empty());
}

TEST_F(WindowWait, VisibleWindowIsBroughtForwardAsItIs) {
    TestWindow other(false);
    TestWindow window(false);
    RECT before;
    GetWindowRect(window.handle(), &before);
    SetForegroundWindow(other.handle());
    kvxsys.answerFrom(1, window.handle());
    CKtxComponent component(kDrovixMainComponent, library, clock);
    EXPECT_EQ(component.ActivateWindow(), window.handle());
    EXPECT_EQ(GetForegroundWindow(), window.handle());
    RECT after;
    GetWindowRect(window.handle(), &after);
    EXPECT_TRUE(EqualRect(&before, &after));
}

TEST_F(WindowWait, HandleThatIsNoWindowIsNotActivated) {
    HWND gone;
    {
        TestWindow window(false);
        gone = window.handle();
    }
    ASSERT_FALSE(IsWindow(gone));
    kvxsys.answerFrom(1, gone);
    CKtxComponent component(kDrovixMainComponent, library, clock);
    EXPECT_EQ(component.ActivateWindow(), nullptr);
}

TEST(WindowWaitWithoutLibrary, BindFailureEndsTheWaitAtOnce) {
    ProcessStateGuard guard;
    SetEnvironmentVariableA(kToolHomeVariable, emptyHome().c_str());
    LoadToolHomeFromEnvironment();
    SetCurrentDirectoryA(guard.directory().c_str());
    CKtxSystemLibrary library;
    RecordingClock clock;
    CKtxComponent component(kDrovixMainComponent, library, clock);
    expectFailure(failureOf([&] { component.ActivateWindow(); }), 1, {"kvxsys.dll"});
    EXPECT_TRUE(clock.sleeps.empty());
    SetEnvironmentVariableA(kToolHomeVariable, nullptr);
    LoadToolHomeFromEnvironment();
}

}  // namespace
