#include "pipe/named_pipe.h"

#include <cstdlib>
#include <cstring>
#include <string>

#include "mirravon/system_failure.h"
#include "mirravon/unique_owner.h"

namespace pipe {
namespace {

using mirravon::DebugLine;
using mirravon::DecimalText;
using mirravon::FailWithError;
using mirravon::FailWithLastError;

constexpr DWORD kBufferSize = 128;
constexpr DWORD kDefaultTimeoutMs = 30000;
constexpr unsigned long kReadChunk = 128;

// A message as log text: up to its first zero byte.
std::string LogText(const char* data, unsigned long length) {
    if (data == nullptr) return {};
    const void* zero = std::memchr(data, 0, length);
    return std::string(data, zero ? static_cast<const char*>(zero) - data : length);
}

}  // namespace

HANDLE CreatePipeServer(const char* name) {
    const std::string text = name ? name : "";
    DebugLine("Creating a named pipe server [" + text + "]");
    HANDLE pipe = ::CreateNamedPipeA(name, PIPE_ACCESS_DUPLEX, PIPE_TYPE_MESSAGE | PIPE_READMODE_MESSAGE | PIPE_WAIT,
                                     PIPE_UNLIMITED_INSTANCES, kBufferSize, kBufferSize, kDefaultTimeoutMs, nullptr);
    if (pipe == INVALID_HANDLE_VALUE)
        FailWithLastError([&] { return "Failed to create named pipe [" + text + "] with error: "; });
    DebugLine("Created named pipe server");
    return pipe;
}

int WaitForPipeClient(HANDLE pipe) {
    DebugLine("Waiting for pipe client");
    if (::ConnectNamedPipe(pipe, nullptr) || ::GetLastError() == ERROR_PIPE_CONNECTED) {
        DebugLine("One client just connected");
        return 1;
    }
    DebugLine("No client connecting to named pipe server");
    return 0;
}

char* ReadPipeMessage(HANDLE pipe, unsigned long* length) {
    // Freed on every way out but the one that hands it to the caller.
    MessageBuffer buffer(static_cast<char*>(std::malloc(kReadChunk)));
    if (!buffer) FailWithError(ERROR_NOT_ENOUGH_MEMORY);
    unsigned long capacity = kReadChunk;
    unsigned long used = 0;
    for (;;) {
        if (capacity - used < kReadChunk) {
            DebugLine("ReadMessage: allocating more memory");
            char* grown = static_cast<char*>(std::realloc(buffer.get(), capacity + kReadChunk));
            if (grown == nullptr) FailWithError(ERROR_NOT_ENOUGH_MEMORY);
            // realloc has taken the old block: the owner moves on to the new one.
            (void)buffer.release();
            buffer.reset(grown);
            capacity += kReadChunk;
        }
        DWORD read = 0;
        if (::ReadFile(pipe, buffer.get() + used, kReadChunk, &read, nullptr)) {
            used += read;
            break;
        }
        const unsigned long e = ::GetLastError();
        if (e == ERROR_MORE_DATA) {
            DebugLine("ReadMessage: more data to read");
            used += read;
            continue;
        }
        if (e == ERROR_BROKEN_PIPE) {
            DebugLine("ReadMessage: Pipe client has closed its end");
            break;
        }
        FailWithError(e, "ReadMessage: Error reading data with error: ");
    }
    if (length != nullptr) *length = used;
    DebugLine("ReadMessage: read " + DecimalText(used) + " bytes [" + LogText(buffer.get(), used) + "]");
    return buffer.release();
}

int ClosePipeHandle(HANDLE pipe) { return ::CloseHandle(pipe); }

HANDLE ConnectPipeClient(const char* name) {
    const std::string text = name ? name : "";
    DebugLine("Connecting to named pipe " + text);
    unsigned long e = 0;
    for (;;) {
        mirravon::unique_hfile pipe(
            ::CreateFileA(name, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr));
        if (pipe) {
            // The path of an ordinary file or a device opens just as well, and the
            // first message would overwrite what it holds.
            if (::GetFileType(pipe.get()) == FILE_TYPE_PIPE) return pipe.release();
            e = ERROR_BAD_PIPE;
            break;
        }
        e = ::GetLastError();
        if (e != ERROR_PIPE_BUSY) break;
        DebugLine("No listening pipe server: wait for a little...");
        if (!::WaitNamedPipeA(name, NMPWAIT_USE_DEFAULT_WAIT)) {
            e = ::GetLastError();
            break;
        }
    }
    FailWithError(e, "Failed to connect to a listening pipe server with error ");
}

unsigned long WritePipeMessage(HANDLE pipe, const char* data, unsigned long length) {
    DebugLine("WriteMessage: writing " + DecimalText(length) + " bytes [" + LogText(data, length) + "]");
    DWORD available = 0;
    while (::PeekNamedPipe(pipe, nullptr, 0, nullptr, &available, nullptr) && available != 0) {
        DebugLine("WriteMessage: there are " + DecimalText(available) + " bytes left in pipe");
        ::Sleep(50);
    }
    DWORD written = 0;
    if (!::WriteFile(pipe, data, length, &written, nullptr))
        FailWithLastError("WriteMessage: failed to write with error ");
    ::FlushFileBuffers(pipe);
    DebugLine("bytes written: " + DecimalText(written));
    return written;
}

}  // namespace pipe
