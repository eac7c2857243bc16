// The agent controller start against stand-in programs run as real processes,
// a stand-in service registered with the real service manager, and the
// "InstallHome" value in the real registry. On a 64-bit Windows some cases run
// again with stand-ins of the other architecture: 64-bit ones beside this
// 32-bit program under WOW64, 32-bit ones beside the 64-bit build.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "mirravon/unique_owner.h"
#include "mirravon_test/caller.h"
#include "mirravon_test/child_process.h"
#include "mirravon_test/scratch_key.h"
#include "mirravon_test/to_utf8.h"
#include "mirravon_test/win32_test_support.h"
#include "mirravon_test/wine_paths.h"
#include "tavroos/agent_controller.h"
#include "tavroos/kestrum.h"

using mirravon_test::ScratchKey;
using tavroos::AgentControllerTiming;
using tavroos::CAgentControllerStarter;
using tavroos::ProcessIdList;

namespace {

std::wstring Widen(const std::string& s) { return std::wstring(s.begin(), s.end()); }

// An install home of stand-ins: bin\QAServer.exe, bin\QAService.exe, and
// (this program's architecture only) other\qaserver.exe; they log to standin.log in it.
struct Home {
    explicit Home(const char* hostPath)
        : path(Widen(mirravon_test::toWindowsPath(hostPath))),
          server(mirravon_test::toWindowsPath(hostPath) + "\\bin\\QAServer.exe"),
          service(path + L"\\bin\\QAService.exe"),
          log(path + L"\\standin.log") {}
    std::wstring path;
    std::string server;
    std::wstring service;
    std::wstring log;
};
const Home kOwnHome(TAVROOS_QAC_HOME);          // stand-ins of this program's architecture
const Home kOtherHome(TAVROOS_QAC_OTHER_HOME);  // and of the other one
const std::wstring kHome = kOwnHome.path;
const std::string kServer = kOwnHome.server;
const std::string kLowerCaseServer = mirravon_test::toWindowsPath(TAVROOS_QAC_HOME) + "\\other\\qaserver.exe";

AgentControllerTiming FastPolls() {
    AgentControllerTiming timing;
    timing.pollMs = 100;
    timing.serviceEndLimitMs = 60000;
    timing.serverAppearLimitMs = 60000;
    return timing;
}

CAgentControllerStarter Starter(const AgentControllerTiming& timing = FastPolls()) {
    return CAgentControllerStarter(L"QAServer.exe", L"QAService.exe", timing);
}

// A start with `timing`: its result and how long it took.
struct TimedStart {
    bool result;
    ULONGLONG ms;
};
TimedStart StartWith(const AgentControllerTiming& timing) {
    const ULONGLONG begin = ::GetTickCount64();
    const bool result = Starter(timing).Start();
    return {result, ::GetTickCount64() - begin};
}

std::vector<DWORD> Find(const wchar_t* name) {
    ProcessIdList ids{};
    const int n = Starter().FindProcesses(name, ids);
    return std::vector<DWORD>(ids.begin(), ids.begin() + n);
}

// Waits, bounded, until `name` is listed `count` times.
bool WaitForCount(const wchar_t* name, std::size_t count, DWORD limitMs = 60000) {
    const ULONGLONG start = ::GetTickCount64();
    while (Find(name).size() != count) {
        if (::GetTickCount64() - start > limitMs) return false;
        ::Sleep(100);
    }
    return true;
}

// Starts a stand-in and leaves it running (the fixture ends it); its process id, 0 when it did not start.
DWORD Launch(const std::string& program) { return mirravon_test::ChildProcess("\"" + program + "\"", program).id(); }

std::vector<std::string> LogLines(const Home& home = kOwnHome) {
    std::ifstream in(mirravon_test::toUtf8(home.log));
    std::vector<std::string> events;
    for (std::string line; std::getline(in, line);) events.push_back(line.substr(0, line.find(' ')));
    return events;
}

std::size_t CountOf(const std::vector<std::string>& events, const std::string& event) {
    return static_cast<std::size_t>(std::count(events.begin(), events.end(), event));
}

// A process is listed before its first line of code runs: wait, bounded, for
// the stand-ins' log to show `count` lines of `event`.
bool WaitForLog(const std::string& event, std::size_t count, const Home& home = kOwnHome, DWORD limitMs = 60000) {
    const ULONGLONG start = ::GetTickCount64();
    while (CountOf(LogLines(home), event) < count) {
        if (::GetTickCount64() - start > limitMs) return false;
        ::Sleep(100);
    }
    return true;
}

void RemoveService() {
    mirravon::unique_schandle manager(::OpenSCManagerW(nullptr, nullptr, SC_MANAGER_ALL_ACCESS));
    if (!manager) return;
    mirravon::unique_schandle service(
        ::OpenServiceW(manager.get(), CAgentControllerStarter::kServiceName, SERVICE_ALL_ACCESS));
    if (service) ::DeleteService(service.get());
}

class AgentController : public ::testing::Test {
protected:
    void SetUp() override { Clean(); }
    void TearDown() override { Clean(); }

    void Clean() {
        key.remove();
        for (const wchar_t* name : {L"QAServer.exe", L"qaserver.exe", L"QAService.exe"}) {
            const std::vector<DWORD> ids = Find(name);
            ProcessIdList list{};
            std::copy(ids.begin(), ids.end(), list.begin());
            Starter().TerminateProcesses(list, static_cast<int>(ids.size()));
        }
        key64.remove();
        RemoveService();
        for (const Home* home : {&kOwnHome, &kOtherHome}) ::DeleteFileW(home->log.c_str());
    }

    void SetInstallHome(const std::wstring& home) { key.setString(CAgentControllerStarter::kInstallHomeValue, home); }

    ScratchKey key{HKEY_LOCAL_MACHINE, CAgentControllerStarter::kRegistryKey};
    // Where a 64-bit agent controller records its home.
    ScratchKey key64{HKEY_LOCAL_MACHINE, CAgentControllerStarter::kRegistryKey, mirravon::RegistryView::Bits64};
};

TEST_F(AgentController, NothingRunningAndNoKeyGivesFalseAndStartsNothing) {
    EXPECT_FALSE(tavroos::CKestrum::GetInstance().StartQAC());
    // The key without the value is no better.
    key.create();
    EXPECT_FALSE(Starter().Start());
    EXPECT_TRUE(Find(L"QAServer.exe").empty());
    EXPECT_EQ(CountOf(LogLines(), "server-start"), 0u);
}

TEST_F(AgentController, NameDifferingOnlyInCaseIsNotTheServer) {
    ASSERT_NE(Launch(kLowerCaseServer), 0u);
    ASSERT_TRUE(WaitForCount(L"qaserver.exe", 1));
    EXPECT_TRUE(Find(L"QAServer.exe").empty());
    // Not counted: with no install home the start fails instead of reporting a server.
    EXPECT_FALSE(Starter().Start());
    EXPECT_EQ(Find(L"qaserver.exe").size(), 1u);
}

TEST_F(AgentController, ExactlyOneServerIsLeftAlone) {
    const DWORD pid = Launch(kServer);
    ASSERT_NE(pid, 0u);
    ASSERT_TRUE(WaitForLog("server-start", 1));
    EXPECT_TRUE(Starter().Start());
    EXPECT_EQ(Find(L"QAServer.exe"), std::vector<DWORD>{pid});
    ::Sleep(1000);  // room for a wrongly started server to show itself
    EXPECT_EQ(CountOf(LogLines(), "server-start"), 1u);
}

TEST_F(AgentController, ThreeServersAreEndedAndOneStartedFromInstallHome) {
    // A trailing backslash stays: the server path then holds two in a row.
    SetInstallHome(kHome + L"\\");
    std::vector<DWORD> old;
    for (int i = 0; i < 3; ++i) old.push_back(Launch(kServer));
    ASSERT_TRUE(WaitForLog("server-start", 3));
    EXPECT_TRUE(Starter().Start());
    const std::vector<DWORD> now = Find(L"QAServer.exe");
    ASSERT_EQ(now.size(), 1u);
    EXPECT_EQ(std::find(old.begin(), old.end(), now[0]), old.end()) << "an old server survived";
    EXPECT_TRUE(WaitForLog("server-start", 4));
}

TEST_F(AgentController, ServerThatNeverAppearsEndsTheWaitWithFalse) {
    // The install home names a folder without the server program.
    SetInstallHome(kHome + L"\\nowhere");
    AgentControllerTiming timing = FastPolls();
    timing.serverAppearLimitMs = 1500;
    const TimedStart start = StartWith(timing);
    EXPECT_FALSE(start.result);
    EXPECT_LT(start.ms, 20000u);
}

// Registers the stand-in service of `home` with the real service manager and starts it.
void StartStandInService(const Home& home = kOwnHome, mirravon_test::Caller where = {}) {
    const mirravon_test::CallerTrace trace(where);
    mirravon::unique_schandle manager(::OpenSCManagerW(nullptr, nullptr, SC_MANAGER_ALL_ACCESS));
    ASSERT_TRUE(manager);
    const std::wstring binary = L"\"" + home.service + L"\"";
    mirravon::unique_schandle service(
        ::CreateServiceW(manager.get(), CAgentControllerStarter::kServiceName, CAgentControllerStarter::kServiceName,
                         SERVICE_ALL_ACCESS, SERVICE_WIN32_OWN_PROCESS, SERVICE_DEMAND_START, SERVICE_ERROR_NORMAL,
                         binary.c_str(), nullptr, nullptr, nullptr, nullptr, nullptr));
    ASSERT_TRUE(service) << "CreateServiceW failed: " << ::GetLastError();
    ASSERT_TRUE(::StartServiceW(service.get(), 0, nullptr)) << "StartServiceW failed: " << ::GetLastError();
    ASSERT_TRUE(WaitForLog("service-running", 1, home));
}

// Stop asked, "-shutdown" run once by the server beside the service program,
// the service ended, then one fresh server instead of the old one.
void ExpectServiceRestartsTheServer(const Home& home, mirravon_test::Caller where = {}) {
    const mirravon_test::CallerTrace trace(where);
    ASSERT_NO_FATAL_FAILURE(StartStandInService(home));
    const DWORD oldServer = Launch(home.server);
    ASSERT_TRUE(WaitForLog("server-start", 1, home));

    EXPECT_TRUE(Starter().Start());

    const std::vector<DWORD> now = Find(L"QAServer.exe");
    ASSERT_EQ(now.size(), 1u);
    EXPECT_NE(now[0], oldServer);
    EXPECT_TRUE(Find(L"QAService.exe").empty());
    ASSERT_TRUE(WaitForLog("server-start", 2, home));
    const std::vector<std::string> events = LogLines(home);
    const std::vector<std::string> expectedTail{"service-stop-requested", "server-shutdown", "service-end",
                                                "server-start"};
    ASSERT_GE(events.size(), expectedTail.size());
    EXPECT_EQ(std::vector<std::string>(events.end() - 4, events.end()), expectedTail);
    EXPECT_EQ(CountOf(events, "server-start"), 2u);
    EXPECT_EQ(CountOf(events, "server-shutdown"), 1u);
}

TEST_F(AgentController, RunningServiceGetsShutdownThenAFreshServer) { ExpectServiceRestartsTheServer(kOwnHome); }

// A 32-bit process cannot read a 64-bit one's modules: the programs are known
// by their image paths, the service program's folder too. A 64-bit process
// reads a 32-bit one's modules, or its image path.
TEST_F(AgentController, OtherArchitectureServiceGetsShutdownThenAFreshServer) {
    MIRRAVON_SKIP_UNLESS_64BIT_WINDOWS();
    ExpectServiceRestartsTheServer(kOtherHome);
}

TEST_F(AgentController, OtherArchitectureServerIsSeenAndLeftAlone) {
    MIRRAVON_SKIP_UNLESS_64BIT_WINDOWS();
    // With an install home, a server not seen would be started a second time.
    // Under WOW64 it is where a 64-bit agent controller records it.
    (sizeof(void*) == 8 ? key : key64).setString(CAgentControllerStarter::kInstallHomeValue, kOtherHome.path);
    const DWORD pid = Launch(kOtherHome.server);
    ASSERT_NE(pid, 0u);
    ASSERT_TRUE(WaitForLog("server-start", 1, kOtherHome));
    EXPECT_EQ(Find(L"QAServer.exe"), std::vector<DWORD>{pid});
    AgentControllerTiming timing = FastPolls();
    timing.serverAppearLimitMs = 3000;
    EXPECT_TRUE(StartWith(timing).result);
    ::Sleep(1000);  // room for a wrongly started server to show itself
    EXPECT_EQ(CountOf(LogLines(kOtherHome), "server-start"), 1u);
}

// A 64-bit agent controller records its home only in the 64-bit view; the
// server started from there is a 64-bit one, seen as it comes up.
TEST_F(AgentController, InstallHomeInThe64BitViewStartsTheServer) {
    MIRRAVON_SKIP_UNLESS_WOW64();
    key64.setString(CAgentControllerStarter::kInstallHomeValue, kOtherHome.path);
    EXPECT_EQ(key.text(CAgentControllerStarter::kInstallHomeValue), "<absent>");
    AgentControllerTiming timing = FastPolls();
    timing.serverAppearLimitMs = 15000;
    EXPECT_TRUE(StartWith(timing).result);
    EXPECT_EQ(Find(L"QAServer.exe").size(), 1u);
    EXPECT_TRUE(WaitForLog("server-start", 1, kOtherHome));
    EXPECT_EQ(CountOf(LogLines(kOtherHome), "server-start"), 1u);
}

// Wine starts no program at a path of 260 characters or more (CreateProcess
// answers 2), so the system's answer for one is played by a stand-in query
// that answers as QueryFullProcessImageNameW does: it fails a room too small
// for the path and its terminator.
std::wstring g_imagePath;
BOOL WINAPI SystemLikeImagePathQuery(HANDLE, DWORD, LPWSTR path, PDWORD units) {
    if (*units <= g_imagePath.size()) {
        ::SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    std::copy(g_imagePath.begin(), g_imagePath.end(), path);
    path[g_imagePath.size()] = L'\0';
    *units = static_cast<DWORD>(g_imagePath.size());
    return TRUE;
}

// A 64-bit controller under WOW64 is named only by its image path, in a room
// of 260 units: a program path of 259 characters fits with its terminator; one
// of 260 is no name, never one cut to fit (which could match another program).
TEST_F(AgentController, ImagePathOf259CharactersIsANameAndOneOf260IsNot) {
    const std::wstring file = L"\\QAServer.exe";
    for (const std::size_t length : {std::size_t{259}, std::size_t{260}}) {
        g_imagePath = L"C:\\" + std::wstring(length - 3 - file.size(), L'p') + file;
        ASSERT_EQ(g_imagePath.size(), length);
        std::wstring path = L"untouched";
        const bool named = tavroos::ImagePath(::GetCurrentProcess(), path, SystemLikeImagePathQuery);
        EXPECT_EQ(named, length == 259) << length;
        EXPECT_EQ(path, named ? g_imagePath : L"untouched") << length;
    }

    // The real thing: a 64-bit server (the other architecture under WOW64) at a
    // path of 259 characters is found.
    if (!mirravon_test::RunningUnderWow64()) return;
    const auto longPath = [](const std::wstring& path) { return L"\\\\?\\" + path; };
    const std::wstring room = kOtherHome.path + L"\\room";
    const std::wstring folder = room + L"\\" + std::wstring(259 - room.size() - 1 - file.size(), L'p');
    const std::wstring program = folder + file;
    ASSERT_EQ(program.size(), 259u);
    const auto clean = mirravon::scope_exit([&] {
        ::DeleteFileW(longPath(program).c_str());
        ::RemoveDirectoryW(longPath(folder).c_str());
        ::RemoveDirectoryW(longPath(room).c_str());
    });
    ::CreateDirectoryW(longPath(room).c_str(), nullptr);
    ASSERT_TRUE(::CreateDirectoryW(longPath(folder).c_str(), nullptr)) << ::GetLastError();
    ASSERT_TRUE(::CopyFileW(longPath(Widen(kOtherHome.server)).c_str(), longPath(program).c_str(), FALSE))
        << ::GetLastError();
    const std::string narrow = mirravon_test::toUtf8(program);
    const mirravon_test::ChildProcess server("\"" + narrow + "\"", narrow);
    ASSERT_TRUE(server.started()) << server.startError();
    EXPECT_EQ(Find(L"QAServer.exe"), std::vector<DWORD>{server.id()});
    server.terminate(0);
    server.wait(5000);
}

// A module query that answers as the system documents it: a name longer than
// the room is cut to fit with its terminator, and the call still succeeds.
std::wstring g_moduleName;
DWORD WINAPI CuttingModuleQuery(HANDLE, HMODULE, LPWSTR name, DWORD units) {
    const std::size_t length = std::min<std::size_t>(g_moduleName.size(), units - 1);
    std::copy(g_moduleName.begin(), g_moduleName.begin() + static_cast<std::ptrdiff_t>(length), name);
    name[length] = L'\0';
    return static_cast<DWORD>(length);
}

// The service program's folder must never come from a cut module name: a
// name that fills the 260-unit room is no name, and the image path (whole, or
// refused when longer than 259) answers instead.
TEST_F(AgentController, ModuleNameThatFillsItsRoomGivesWayToTheImagePath) {
    using tavroos::ProgramNaming;
    const auto nameOf = [](ProgramNaming naming) {
        std::wstring name = L"untouched";
        const bool named =
            tavroos::ProgramName(::GetCurrentProcess(), naming, name, CuttingModuleQuery, SystemLikeImagePathQuery);
        return named ? name : L"<none>";
    };
    g_imagePath = L"C:\\image\\QAService.exe";
    g_moduleName = L"C:\\" + std::wstring(241, L'm') + L"\\QAService.exe";  // 258 units: whole
    EXPECT_EQ(nameOf(ProgramNaming::FullPath), g_moduleName);
    g_moduleName = L"C:\\" + std::wstring(300, L'm') + L"\\QAService.exe";
    EXPECT_EQ(nameOf(ProgramNaming::FullPath), g_imagePath);
    EXPECT_EQ(nameOf(ProgramNaming::FileOnly), L"QAService.exe");
    g_imagePath = g_moduleName;
    EXPECT_EQ(nameOf(ProgramNaming::FullPath), L"<none>");
}

}  // namespace

namespace {

TEST_F(AgentController, ServiceThatDoesNotEndIsWaitedForOnlyUpToTheBound) {
    ASSERT_TRUE(::SetEnvironmentVariableW(L"TAVROOS_STANDIN_IGNORE_SHUTDOWN", L"1"));
    auto restore = mirravon::scope_exit([] { ::SetEnvironmentVariableW(L"TAVROOS_STANDIN_IGNORE_SHUTDOWN", nullptr); });
    ASSERT_NO_FATAL_FAILURE(StartStandInService());
    AgentControllerTiming timing = FastPolls();
    timing.serviceEndLimitMs = 2000;
    const TimedStart start = StartWith(timing);
    EXPECT_TRUE(start.result);
    EXPECT_LT(start.ms, 30000u);
    // The server is restarted all the same.
    EXPECT_EQ(Find(L"QAServer.exe").size(), 1u);
    EXPECT_EQ(Find(L"QAService.exe").size(), 1u);
    EXPECT_TRUE(WaitForLog("server-start", 1));
    EXPECT_EQ(CountOf(LogLines(), "service-end"), 0u);
}

}  // namespace
