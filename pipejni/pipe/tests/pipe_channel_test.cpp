// The pipe channel for real: between threads through the exported classes, and
// between two processes with their debugger output captured.
#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <cstdlib>
#include <future>
#include <string>
#include <thread>

#include "mirravon_test/caller.h"
#include "mirravon_test/child_process.h"
#include "mirravon_test/debugger_capture.h"
#include "mirravon_test/test_main.h"
#include "mirravon_test/win32_test_support.h"
#include "pipe/named_pipe.h"
#include "pipe/tavro_named_pipe.h"
#include "pipe_messages.h"

namespace {

using pipe::ConnectPipeClient;

using mirravon_test::CompareLines;
using mirravon_test::DebuggeeRun;
using mirravon_test::RunUnderDebugger;

std::string g_peerPath;
std::string g_otherPeerPath;  // pipe_peer built for the other architecture

std::string UniqueName(const char* what) {
    return std::string("\\\\.\\pipe\\mirravon-test-") + what + "-" + std::to_string(::GetCurrentProcessId());
}

std::string ReadWhole(TAVRO::CNamedPipe& pipe) {
    unsigned long length = 0;
    char* data = pipe.ReadMessage(length);
    std::string message(data, length);
    std::free(data);
    return message;
}

// Runs `work` on a thread; a hang fails the test instead of stalling the run.
template <typename F> void OnThread(F work, std::future<void>& done) {
    done = std::async(std::launch::async, std::move(work));
}
void Finish(std::future<void>& done, mirravon_test::Caller where = {}) {
    const mirravon_test::CallerTrace trace(where);
    ASSERT_EQ(done.wait_for(std::chrono::seconds(30)), std::future_status::ready) << "the other thread hangs";
    done.get();
}

TEST(PipeChannel, ClientBeforeTheWaitIsReportedConnected) {
    const std::string name = UniqueName("early");
    TAVRO::CNamedPipe server(name.c_str());
    TAVRO::CNamedPipeClient client(name.c_str());
    EXPECT_EQ(server.WaitForConnection(), 1);

    std::future<void> writer;
    OnThread([&] { EXPECT_EQ(client.WriteMessage("12345", 5), 5ul); }, writer);
    EXPECT_EQ(ReadWhole(server), "12345");
    Finish(writer);
}

TEST(PipeChannel, ClientClosingWithoutWritingEndsEveryReadEmpty) {
    const std::string name = UniqueName("closes");
    TAVRO::CNamedPipe server(name.c_str());
    // The client closes only once the server has seen it: a client that is gone
    // before the wait begins makes the wait fail (ERROR_NO_DATA), a different case.
    std::promise<void> seen;
    std::future<void> client;
    OnThread(
        [&] {
            TAVRO::CNamedPipeClient c(name.c_str());
            seen.get_future().wait_for(std::chrono::seconds(30));
        },
        client);
    EXPECT_EQ(server.WaitForConnection(), 1);
    seen.set_value();
    Finish(client);
    for (int i = 0; i < 2; ++i) {
        unsigned long length = 99;
        char* data = server.ReadMessage(length);
        EXPECT_NE(data, nullptr);
        EXPECT_EQ(length, 0ul);
        std::free(data);
    }
}

TEST(PipeChannel, LargeMessagesArriveWholeAcrossTheSmallBuffer) {
    const std::string name = UniqueName("large");
    TAVRO::CNamedPipe server(name.c_str());
    std::future<void> writer;
    const std::string big = pipetest::Pattern(64 * 1024 + 3);
    OnThread(
        [&] {
            TAVRO::CNamedPipeClient client(name.c_str());
            EXPECT_EQ(client.WriteMessage(big.data(), static_cast<unsigned long>(big.size())), big.size());
            EXPECT_EQ(client.WriteMessage("tail", 4), 4ul);
        },
        writer);
    ASSERT_EQ(server.WaitForConnection(), 1);
    EXPECT_EQ(ReadWhole(server), big);
    EXPECT_EQ(ReadWhole(server), "tail");
    Finish(writer);
}

TEST(PipeChannel, CopiesHoldTheirOwnHandleAndCloseOnce) {
    const std::string name = UniqueName("copies");
    TAVRO::CNamedPipe server(name.c_str());
    {
        TAVRO::CNamedPipe other(UniqueName("copies-other").c_str());
        other = server;
        EXPECT_NE(other.GetHandle(), server.GetHandle());
    }  // closing the copy leaves the original working
    TAVRO::CNamedPipeClient client(name.c_str());
    EXPECT_EQ(server.WaitForConnection(), 1);
    TAVRO::CNamedPipeClient clientCopy(client);
    std::future<void> writer;
    OnThread([&] { EXPECT_EQ(clientCopy.WriteMessage("via copy", 8), 8ul); }, writer);
    EXPECT_EQ(ReadWhole(server), "via copy");
    Finish(writer);

    EXPECT_NE(server.Close(), 0);
    ::SetLastError(0);
    EXPECT_EQ(server.Close(), 0) << "a second close closes nothing";
    EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));

    // A copy of a closed end holds no handle: the empty value names this process to DuplicateHandle.
    TAVRO::CNamedPipe closedCopy(server);
    EXPECT_EQ(closedCopy.GetHandle(), INVALID_HANDLE_VALUE);
    EXPECT_EQ(closedCopy.Close(), 0);
    EXPECT_NE(clientCopy.Close(), 0);
    TAVRO::CNamedPipeClient assigned(client);
    assigned = clientCopy;
    EXPECT_EQ(assigned.GetHandle(), INVALID_HANDLE_VALUE);
}

// A C++ exception cannot leave a DLL whose runtime is linked statically, so the
// throwing paths are checked on the functions themselves, built into this program.
TEST(PipeChannel, NoSuchPipeThrowsFileNotFound) {
    try {
        ConnectPipeClient(UniqueName("nobody").c_str());
        ADD_FAILURE() << "connected to a pipe that does not exist";
    } catch (unsigned long e) {
        EXPECT_EQ(e, static_cast<unsigned long>(ERROR_FILE_NOT_FOUND));
    }
}

// Two processes, both run as debuggees: the channel between them, the failure
// cases, and every line each side writes to the debugger output.
TEST(PipeChannel, TwoProcessesAndTheirDebuggerOutput) {
    const std::string name = UniqueName("peers");
    const std::string peer = "\"" + g_peerPath + "\" ";
    std::vector<DebuggeeRun> runs = RunUnderDebugger({peer + "server " + name, peer + "client " + name}, 90000);
    ASSERT_EQ(runs.size(), 2u);
    for (const DebuggeeRun& run : runs) {
        ASSERT_TRUE(run.started) << run.commandLine;
        EXPECT_TRUE(run.exited) << run.commandLine << " did not finish";
        EXPECT_EQ(run.exitCode, 0u) << run.commandLine << ": number of the failed check";
    }
    EXPECT_EQ(CompareLines(pipetest::ServerLines(name), runs[0].lines), "") << "server's debugger output";
    EXPECT_EQ(CompareLines(pipetest::ClientLines(name), runs[1].lines), "") << "client's debugger output";
    if (HasFailure() || std::getenv("PIPE_TEST_SHOW_LINES") != nullptr) {
        for (const DebuggeeRun& run : runs) {
            std::string all;
            for (const std::string& l : run.lines) all += "  " + l.substr(0, 160) + "\n";
            std::printf("%s wrote:\n%s", run.commandLine.c_str(), all.c_str());
        }
    }
}

// A client and a server of different architectures, both ways round: a 32-bit
// and a 64-bit process share the pipe. The peer of the other architecture has
// the exported classes built in; its checks end it with the number of the
// first that failed.
TEST(PipeChannel, PeersOfTheTwoArchitecturesInEitherRole) {
    MIRRAVON_SKIP_UNLESS_64BIT_WINDOWS();
    const std::string own = "\"" + g_peerPath + "\" ";
    const std::string other = "\"" + g_otherPeerPath + "\" ";
    int round = 0;
    for (const auto& [server, client] : {std::pair(own, other), std::pair(other, own)}) {
        SCOPED_TRACE("server " + server + ", client " + client);
        const std::string name = UniqueName("mixed") + "-" + std::to_string(++round);
        const mirravon_test::ChildProcess serving(server + "server " + name);
        const mirravon_test::ChildProcess writing(client + "client " + name);
        ASSERT_TRUE(serving.started() && writing.started());
        const bool ended = serving.wait(90000) && writing.wait(90000);
        if (!ended) {
            serving.terminate(99);
            writing.terminate(99);
        }
        ASSERT_TRUE(ended) << "a peer hangs";
        EXPECT_EQ(serving.exitCode(), 0u) << "server: number of the failed check";
        EXPECT_EQ(writing.exitCode(), 0u) << "client: number of the failed check";
    }
}

TEST(LineComparison, PlaceholdersAndRepeatsMatchOnlyWhatTheySay) {
    EXPECT_EQ(CompareLines({"a {n}", "+b", "c"}, {"a 12", "b", "b", "c"}), "");
    EXPECT_EQ(CompareLines({"a {n}"}, {"a -5"}), "");
    EXPECT_NE(CompareLines({"a {n}"}, {"a x"}), "");
    EXPECT_NE(CompareLines({"+b", "c"}, {"c"}), "");
    EXPECT_NE(CompareLines({"a"}, {"a", "extra"}), "");
    EXPECT_NE(CompareLines({"a", "b"}, {"a"}), "");
}

}  // namespace

int main(int argc, char** argv) {
    return mirravon_test::RunTestsWithPaths(argc, argv, "PIPE_PEER_EXE OTHER_ARCHITECTURE_PIPE_PEER_EXE",
                                            {&g_peerPath, &g_otherPeerPath});
}
