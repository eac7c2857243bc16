// Benchmark of the pipe channel between two processes: round-trip latency and
// one-way throughput through the channel's functions, against a baseline on the
// same kind of pipe that reads each message with one right-sized read (the size
// from PeekNamedPipe) and writes it without peeking or flushing.
//
//   pipe_bench [--quick]     runs the parent and starts itself as the child
//
// Each round trip is a message to the child on one pipe and the same message
// back on another; throughput is a burst of messages one way and a short reply.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "mirravon_test/child_process.h"
#include "mirravon_test/win32_test_support.h"
#include "pipe/named_pipe.h"

namespace {

using pipe::ConnectPipeClient;
using pipe::CreatePipeServer;
using pipe::ReadPipeMessage;
using pipe::WaitForPipeClient;
using pipe::WritePipeMessage;

struct Variant {
    const char* name;
    HANDLE (*createServer)(const char*);
    void (*waitClient)(HANDLE);
    HANDLE (*connect)(const char*);
    void (*write)(HANDLE, const std::string&);
    std::string (*read)(HANDLE);
};

// ---- the channel's functions
HANDLE ChannelServer(const char* name) { return CreatePipeServer(name); }
void ChannelWait(HANDLE pipe) { WaitForPipeClient(pipe); }
HANDLE ChannelConnect(const char* name) { return ConnectPipeClient(name); }
void ChannelWrite(HANDLE pipe, const std::string& m) {
    WritePipeMessage(pipe, m.data(), static_cast<unsigned long>(m.size()));
}
std::string ChannelRead(HANDLE pipe) {
    unsigned long length = 0;
    char* data = ReadPipeMessage(pipe, &length);
    std::string m(data, length);
    std::free(data);
    return m;
}

// ---- baseline: the same pipe, one right-sized read per message
HANDLE RawServer(const char* name) {
    return ::CreateNamedPipeA(name, PIPE_ACCESS_DUPLEX, PIPE_TYPE_MESSAGE | PIPE_READMODE_MESSAGE | PIPE_WAIT,
                              PIPE_UNLIMITED_INSTANCES, 128, 128, 30000, nullptr);
}
void RawWait(HANDLE pipe) { ::ConnectNamedPipe(pipe, nullptr); }
HANDLE RawConnect(const char* name) {
    return ::CreateFileA(name, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
}
void RawWrite(HANDLE pipe, const std::string& m) {
    DWORD written = 0;
    ::WriteFile(pipe, m.data(), static_cast<DWORD>(m.size()), &written, nullptr);
}
std::string RawRead(HANDLE pipe) {
    // A read of nothing blocks until a message is there; then its size is known.
    char none = 0;
    DWORD got = 0;
    ::ReadFile(pipe, &none, 0, &got, nullptr);
    DWORD left = 0;
    if (!::PeekNamedPipe(pipe, nullptr, 0, nullptr, nullptr, &left)) return {};
    std::string m(left, '\0');
    if (left != 0 && !::ReadFile(pipe, &m[0], left, &got, nullptr)) return {};
    m.resize(got);
    return m;
}

// Two steps between them, to see where the time goes: the baseline with the
// channel's flush after each write, and that with the channel's 128-byte reads
// into a buffer grown by 128 bytes (all without debugger lines).
void FlushedWrite(HANDLE pipe, const std::string& m) {
    RawWrite(pipe, m);
    ::FlushFileBuffers(pipe);
}
std::string ChunkedRead(HANDLE pipe) {
    std::string m;
    size_t used = 0;
    for (;;) {
        m.resize(used + 128);
        DWORD got = 0;
        if (::ReadFile(pipe, &m[used], 128, &got, nullptr)) {
            used += got;
            break;
        }
        if (::GetLastError() != ERROR_MORE_DATA) break;
        used += got;
    }
    m.resize(used);
    return m;
}

const Variant kVariants[] = {
    {"channel", ChannelServer, ChannelWait, ChannelConnect, ChannelWrite, ChannelRead},
    {"baseline", RawServer, RawWait, RawConnect, RawWrite, RawRead},
    {"flushed", RawServer, RawWait, RawConnect, FlushedWrite, RawRead},
    {"chunked", RawServer, RawWait, RawConnect, FlushedWrite, ChunkedRead},
};
constexpr int kVariantCount = sizeof kVariants / sizeof kVariants[0];

HANDLE ConnectWhenThere(const Variant& v, const std::string& name) {
    for (int i = 0; i < 600 && !::WaitNamedPipeA(name.c_str(), 100); ++i) ::Sleep(50);
    return v.connect(name.c_str());
}

using mirravon_test::Now;

// The child: an echo server for "rtt N", a sink for "thr N", until "end".
int Child(const std::string& base) {
    for (const Variant& v : kVariants) {
        const std::string toChild = base + "-" + v.name + "-a";
        const std::string toParent = base + "-" + v.name + "-b";
        HANDLE in = v.createServer(toChild.c_str());
        HANDLE out = ConnectWhenThere(v, toParent);
        v.waitClient(in);
        for (;;) {
            const std::string command = v.read(in);
            const int count = std::atoi(command.c_str() + 4);
            if (command.compare(0, 3, "rtt") == 0) {
                for (int i = 0; i < count; ++i) v.write(out, v.read(in));
            } else if (command.compare(0, 3, "thr") == 0) {
                for (int i = 0; i < count; ++i) v.read(in);
                v.write(out, "ok");
            } else {
                break;
            }
        }
        ::CloseHandle(out);
        ::CloseHandle(in);
    }
    return 0;
}

struct Figures {
    double rttMicros = 0;
    double megabytesPerSecond = 0;
};

int Parent(bool quick) {
    const std::string base = "\\\\.\\pipe\\mirravon-bench-" + std::to_string(::GetCurrentProcessId());
    char self[MAX_PATH];
    ::GetModuleFileNameA(nullptr, self, MAX_PATH);
    // The parent's own ends first, so the child can connect at once.
    std::vector<HANDLE> fromChild;
    for (const Variant& v : kVariants) fromChild.push_back(v.createServer((base + "-" + v.name + "-b").c_str()));
    const mirravon_test::ChildProcess child("\"" + std::string(self) + "\" --child " + base);
    if (!child.started()) {
        std::fprintf(stderr, "cannot start the child: %lu\n", child.startError());
        return 1;
    }
    const size_t sizes[] = {16, 128, 4096, 65536, 1048576};
    const int rttCounts[] = {200, 200, 100, 20, 3};
    const int burstCounts[] = {2000, 1000, 200, 20, 3};
    Figures figures[kVariantCount][5];
    for (int vi = 0; vi < kVariantCount; ++vi) {
        const Variant& v = kVariants[vi];
        HANDLE out = ConnectWhenThere(v, base + "-" + v.name + "-a");
        HANDLE in = fromChild[static_cast<size_t>(vi)];
        v.waitClient(in);
        for (int sizeIndex = 0; sizeIndex < 5; ++sizeIndex) {
            const std::string message(sizes[sizeIndex], 'm');
            const int rtts = quick ? (rttCounts[sizeIndex] + 9) / 10 : rttCounts[sizeIndex];
            const int burst = quick ? (burstCounts[sizeIndex] + 9) / 10 : burstCounts[sizeIndex];
            v.write(out, "rtt " + std::to_string(rtts));
            // The median round trip: the machine is shared, single slow trips are noise.
            std::vector<double> trips;
            for (int i = 0; i < rtts; ++i) {
                const double start = Now();
                v.write(out, message);
                if (v.read(in).size() != message.size()) std::fprintf(stderr, "short echo\n");
                trips.push_back(Now() - start);
            }
            std::sort(trips.begin(), trips.end());
            figures[vi][sizeIndex].rttMicros = trips[trips.size() / 2] * 1e6;
            v.write(out, "thr " + std::to_string(burst));
            const double start = Now();
            for (int i = 0; i < burst; ++i) v.write(out, message);
            v.read(in);
            figures[vi][sizeIndex].megabytesPerSecond =
                static_cast<double>(message.size()) * burst / (Now() - start) / (1024.0 * 1024.0);
        }
        v.write(out, "end");
        ::CloseHandle(out);
        ::CloseHandle(in);
    }
    child.wait(60000);

    std::printf("Median round trip (us) and one-way throughput (MiB/s); ratio = channel time / baseline time\n");
    std::printf("%-8s | %11s %11s %7s | %10s %10s %7s | %11s %11s\n", "size", "channel", "baseline", "ratio", "channel",
                "baseline", "ratio", "+flush rtt", "+chunks rtt");
    for (int i = 0; i < 5; ++i) {
        const Figures& c = figures[0][i];
        const Figures& b = figures[1][i];
        std::printf("%-8zu | %11.1f %11.1f %7.2f | %10.3f %10.3f %7.2f | %11.1f %11.1f\n", sizes[i], c.rttMicros,
                    b.rttMicros, c.rttMicros / b.rttMicros, c.megabytesPerSecond, b.megabytesPerSecond,
                    b.megabytesPerSecond / c.megabytesPerSecond, figures[2][i].rttMicros, figures[3][i].rttMicros);
    }
    std::printf("+flush: baseline with FlushFileBuffers after each write; +chunks: that with 128-byte reads\n");
    // The channel writes two debugger lines per further 128 bytes it reads.
    const int lines = quick ? 200 : 2000;
    const double start = Now();
    for (int i = 0; i < lines; ++i) ::OutputDebugStringA("ReadMessage: more data to read");
    std::printf("one debugger line (OutputDebugStringA, no debugger attached): %.1f us\n",
                (Now() - start) * 1e6 / lines);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    try {
        if (argc == 3 && std::strcmp(argv[1], "--child") == 0) return Child(argv[2]);
        return Parent(argc == 2 && std::strcmp(argv[1], "--quick") == 0);
    } catch (unsigned long e) {
        std::fprintf(stderr, "pipe_bench: system error %lu\n", e);
        return 1;
    }
}
