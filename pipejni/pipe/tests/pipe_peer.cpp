// The other process of the pipe tests. The channel's own steps go through the
// classes that tavrodvxjni exports (and, for the failure cases that need a
// foreign handle, through the free functions themselves).
//
//   pipe_peer server NAME   serves NAME: reads the client's messages and checks them
//   pipe_peer client NAME   checks the failure cases, then writes the messages to NAME
//
// Each role runs one fixed sequence, so its debugger output is one fixed list of
// lines (pipe_channel_test.cpp holds them). Exit code 0 when every check held,
// else the number of the first failed check.
#include <windows.h>
#include <malloc.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>

#include "pipe/named_pipe.h"
#include "pipe/tavro_named_pipe.h"
#include "pipe_messages.h"

namespace {

using pipe::ClosePipeHandle;
using pipe::ConnectPipeClient;
using pipe::CreatePipeServer;
using pipe::ReadPipeMessage;
using pipe::WaitForPipeClient;
using pipe::WritePipeMessage;

int g_failed = 0;

void Check(bool ok, int number, const char* what) {
    if (!ok && g_failed == 0) {
        std::fprintf(stderr, "pipe_peer: check %d failed: %s\n", number, what);
        g_failed = number;
    }
}

// Reads one message; checks its bytes and the size of the buffer it came in.
void Expect(TAVRO::CNamedPipe& pipe, const std::string& want, size_t capacity, int number) {
    unsigned long length = 12345;
    char* data = pipe.ReadMessage(length);
    Check(data != nullptr, number, "buffer");
    if (data == nullptr) return;
    Check(length == want.size() && std::memcmp(data, want.data(), want.size()) == 0, number, "message content");
    Check(_msize(data) == capacity, number + 1, "buffer capacity");
    std::free(data);
}

HANDLE RawServer(const std::string& name, DWORD instances, DWORD timeoutMs) {
    return ::CreateNamedPipeA(name.c_str(), PIPE_ACCESS_DUPLEX, PIPE_TYPE_MESSAGE | PIPE_READMODE_MESSAGE | PIPE_WAIT,
                              instances, 128, 128, timeoutMs, nullptr);
}

HANDLE RawClient(const std::string& name) {
    return ::CreateFileA(name.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
}

int Server(const std::string& name) {
    try {
        CreatePipeServer(pipetest::kBadName);
        Check(false, 1, "create with a bad name");
    } catch (unsigned long e) {
        Check(e != 0, 2, "create error");
    }
    {  // the client came and went before the wait
        const std::string gone = name + pipetest::kGoneSuffix;
        HANDLE pipe = CreatePipeServer(gone.c_str());
        HANDLE client = RawClient(gone);
        Check(client != INVALID_HANDLE_VALUE, 3, "raw client");
        ::CloseHandle(client);
        Check(WaitForPipeClient(pipe) == 0, 4, "wait after the client left");
        ClosePipeHandle(pipe);
    }
    {  // not a pipe
        HANDLE event = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
        try {
            unsigned long length = 0;
            std::free(ReadPipeMessage(event, &length));
            Check(false, 5, "read from an event");
        } catch (unsigned long e) {
            Check(e != 0, 6, "read error");
        }
        ::CloseHandle(event);
    }

    TAVRO::CNamedPipe pipe(name.c_str());
    Check(pipe.WaitForConnection() == 1, 10, "wait");
    int number = 20;
    for (const std::string& message : pipetest::Messages()) {
        const size_t reads = message.empty() ? 1 : (message.size() + 127) / 128;
        Expect(pipe, message, reads * 128, number);
        number += 2;
    }
    for (int i = 0; i < 2; ++i) Expect(pipe, "", 128, 60 + 2 * i);  // the client has closed its end
    Check(pipe.Close() != 0, 70, "close");
    Check(pipe.Close() == 0 && ::GetLastError() == ERROR_INVALID_HANDLE, 71, "second close");
    return g_failed;
}

int Client(const std::string& name) {
    try {
        ConnectPipeClient((name + pipetest::kNoneSuffix).c_str());
        Check(false, 1, "connect to no pipe");
    } catch (unsigned long e) {
        Check(e == ERROR_FILE_NOT_FOUND, 2, "no pipe: error 2");
    }
    {  // every instance busy, the wait times out (the pipe's default wait is short)
        const std::string busy = name + pipetest::kBusySuffix;
        HANDLE server = RawServer(busy, 1, 300);
        HANDLE taken = RawClient(busy);
        Check(server != INVALID_HANDLE_VALUE && taken != INVALID_HANDLE_VALUE, 3, "busy set-up");
        try {
            ConnectPipeClient(busy.c_str());
            Check(false, 4, "connect to a busy pipe");
        } catch (unsigned long e) {
            Check(e == ERROR_SEM_TIMEOUT, 5, "busy: the wait's time-out error");
        }
        ::CloseHandle(taken);
        ::CloseHandle(server);
    }
    {  // an ordinary file is no pipe: refused before anything can be written to it
        const std::string path = pipetest::NotAPipePath(name);
        HANDLE file = ::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        Check(file != INVALID_HANDLE_VALUE, 14, "file set-up");
        ::CloseHandle(file);
        try {
            ClosePipeHandle(ConnectPipeClient(path.c_str()));
            Check(false, 15, "connect to an ordinary file");
        } catch (unsigned long e) {
            Check(e == ERROR_BAD_PIPE, 16, "file: error 230");
        }
        ::DeleteFileA(path.c_str());
    }
    {  // busy until a second instance appears
        const std::string later = name + pipetest::kLaterSuffix;
        HANDLE first = RawServer(later, PIPE_UNLIMITED_INSTANCES, 10000);
        HANDLE taken = RawClient(later);
        HANDLE second = INVALID_HANDLE_VALUE;
        std::thread maker([&] {
            ::Sleep(1500);  // long enough for the first attempt to find every instance busy
            second = RawServer(later, PIPE_UNLIMITED_INSTANCES, 10000);
        });
        try {
            TAVRO::CNamedPipeClient client(later.c_str());
            Check(client.GetHandle() != INVALID_HANDLE_VALUE, 6, "connected after the wait");
        } catch (unsigned long) {
            Check(false, 7, "connect after the wait");
        }
        maker.join();
        ::CloseHandle(second);
        ::CloseHandle(taken);
        ::CloseHandle(first);
    }
    {  // inbound data holds the write back until it is read; a write to a closed pipe fails
        const std::string waits = name + pipetest::kWaitSuffix;
        HANDLE server = RawServer(waits, PIPE_UNLIMITED_INSTANCES, 10000);
        HANDLE client = ConnectPipeClient(waits.c_str());
        DWORD n = 0;
        Check(::WriteFile(server, "xyz", 3, &n, nullptr) && n == 3, 8, "server writes to the client");
        unsigned long written = 0;
        std::thread writer([&] { written = WritePipeMessage(client, "q", 1); });
        ::Sleep(1000);  // the writer meanwhile peeks and waits at least once
        char back[8];
        Check(::ReadFile(client, back, sizeof back, &n, nullptr) && n == 3, 9, "client takes the inbound data");
        Check(::ReadFile(server, back, sizeof back, &n, nullptr) && n == 1 && back[0] == 'q', 10, "server reads");
        writer.join();
        Check(written == 1, 11, "written");
        ::CloseHandle(server);
        try {
            WritePipeMessage(client, "r", 1);
            Check(false, 12, "write to a closed pipe");
        } catch (unsigned long e) {
            Check(e != 0, 13, "write error");
        }
        ClosePipeHandle(client);
    }

    // The channel itself: wait (quietly) for the server's pipe, then write the messages.
    for (int i = 0; i < 600 && !::WaitNamedPipeA(name.c_str(), 100); ++i) ::Sleep(100);
    TAVRO::CNamedPipeClient client(name.c_str());
    int number = 20;
    for (const std::string& message : pipetest::Messages()) {
        Check(client.WriteMessage(message.data(), static_cast<unsigned long>(message.size())) == message.size(), number,
              "write");
        ++number;
    }
    return g_failed;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: pipe_peer server|client NAME\n");
        return 100;
    }
    const std::string role = argv[1];
    try {
        if (role == "server") return Server(argv[2]);
        if (role == "client") return Client(argv[2]);
    } catch (unsigned long e) {
        std::fprintf(stderr, "pipe_peer: unexpected system error %lu\n", e);
        return 101;
    }
    return 100;
}
