// The agent controller start against stand-in programs run as real processes,
// a stand-in service registered with the real service manager, and the
// "InstallHome" value in the real registry.
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
#include "mirravon_test/wine_paths.h"
#include "tavroos/agent_controller.h"
#include "tavroos/kestrum.h"

using mirravon_test::ScratchKey;
using tavroos::AgentControllerTiming;
using tavroos::CAgentControllerStarter;
using tavroos::ProcessIdList;

namespace {

std::wstring Widen(const std::string& s) { return std::wstring(s.begin(), s.end()); }

// The stand-ins' install home: bin\QAServer.exe, bin\QAService.exe, other\qaserver.exe.
const std::string kHomePath = mirravon_test::toWindowsPath(TAVROOS_QAC_HOME);
const std::wstring kHome = Widen(kHomePath);
const std::string kServer = kHomePath + "\\bin\\QAServer.exe";
const std::wstring kService = kHome + L"\\bin\\QAService.exe";
const std::string kLowerCaseServer = kHomePath + "\\other\\qaserver.exe";
const std::wstring kLog = kHome + L"\\standin.log";

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

std::vector<std::string> LogLines() {
    std::ifstream in(mirravon_test::toUtf8(kLog));
    std::vector<std::string> events;
    for (std::string line; std::getline(in, line);) events.push_back(line.substr(0, line.find(' ')));
    return events;
}

std::size_t CountOf(const std::vector<std::string>& events, const std::string& event) {
    return static_cast<std::size_t>(std::count(events.begin(), events.end(), event));
}

// A process is listed before its first line of code runs: wait, bounded, for
// the stand-ins' log to show `count` lines of `event`.
bool WaitForLog(const std::string& event, std::size_t count, DWORD limitMs = 60000) {
    const ULONGLONG start = ::GetTickCount64();
    while (CountOf(LogLines(), event) < count) {
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
        RemoveService();
        ::DeleteFileW(kLog.c_str());
    }

    void SetInstallHome(const std::wstring& home) { key.setString(CAgentControllerStarter::kInstallHomeValue, home); }

    ScratchKey key{HKEY_LOCAL_MACHINE, CAgentControllerStarter::kRegistryKey};
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

// Registers the stand-in service with the real service manager and starts it.
void StartStandInService(mirravon_test::Caller where = {}) {
    const mirravon_test::CallerTrace trace(where);
    mirravon::unique_schandle manager(::OpenSCManagerW(nullptr, nullptr, SC_MANAGER_ALL_ACCESS));
    ASSERT_TRUE(manager);
    const std::wstring binary = L"\"" + kService + L"\"";
    mirravon::unique_schandle service(::CreateServiceW(
        manager.get(), CAgentControllerStarter::kServiceName, CAgentControllerStarter::kServiceName,
        SERVICE_ALL_ACCESS, SERVICE_WIN32_OWN_PROCESS, SERVICE_DEMAND_START, SERVICE_ERROR_NORMAL, binary.c_str(),
        nullptr, nullptr, nullptr, nullptr, nullptr));
    ASSERT_TRUE(service) << "CreateServiceW failed: " << ::GetLastError();
    ASSERT_TRUE(::StartServiceW(service.get(), 0, nullptr)) << "StartServiceW failed: " << ::GetLastError();
    ASSERT_TRUE(WaitForLog("service-running", 1));
}

TEST_F(AgentController, RunningServiceGetsShutdownThenAFreshServer) {
    ASSERT_NO_FATAL_FAILURE(StartStandInService());
    const DWORD oldServer = Launch(kServer);
    ASSERT_TRUE(WaitForLog("server-start", 1));

    EXPECT_TRUE(Starter().Start());

    const std::vector<DWORD> now = Find(L"QAServer.exe");
    ASSERT_EQ(now.size(), 1u);
    EXPECT_NE(now[0], oldServer);
    EXPECT_TRUE(Find(L"QAService.exe").empty());
    // Stop asked, "-shutdown" run once, the service ended, then one fresh server.
    ASSERT_TRUE(WaitForLog("server-start", 2));
    const std::vector<std::string> events = LogLines();
    const std::vector<std::string> expectedTail{"service-stop-requested", "server-shutdown", "service-end",
                                                "server-start"};
    ASSERT_GE(events.size(), expectedTail.size());
    EXPECT_EQ(std::vector<std::string>(events.end() - 4, events.end()), expectedTail);
    EXPECT_EQ(CountOf(events, "server-start"), 2u);
    EXPECT_EQ(CountOf(events, "server-shutdown"), 1u);
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
