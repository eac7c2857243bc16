// The named-pipe message channel: a server end that reads whole messages and a
// client end that writes them, one pipe message per channel message, no header.
//
// Every step writes a line to the debugger output; every failing system call
// ends in its GetLastError code thrown by value as `unsigned long`
// (mirravon/system_failure.h).
#pragma once

#include <windows.h>

#include <cstdlib>
#include <memory>

namespace pipe {

// Owns a buffer that ReadPipeMessage handed out (malloc'd), freeing it with free().
struct FreeMessage {
    void operator()(char* buffer) const noexcept { std::free(buffer); }
};
using MessageBuffer = std::unique_ptr<char, FreeMessage>;

// Creates the server end: a duplex message pipe, read in message mode, blocking,
// unlimited instances, 128-byte buffers each way, 30 s default wait.
HANDLE CreatePipeServer(const char* name);

// Blocks until a client opens the pipe: 1 when one is connected (also when it
// came before the call), 0 when not. Never throws.
int WaitForPipeClient(HANDLE pipe);

// Reads one whole message in 128-byte chunks into a buffer from malloc that the
// caller frees with free() (MessageBuffer does); *length receives its length (0 once the client has
// closed its end). The buffer is not zero-terminated.
char* ReadPipeMessage(HANDLE pipe, unsigned long* length);

// CloseHandle's result; no disconnect, no flush.
int ClosePipeHandle(HANDLE pipe);

// Opens the client end, waiting through the pipe's default time-out while every
// instance is busy (as often as it stays busy). A name that opens something
// other than a pipe (an ordinary file, say) is closed again and fails with
// ERROR_BAD_PIPE, before anything can be written to it.
HANDLE ConnectPipeClient(const char* name);

// Writes `data` as one message once no unread inbound data is left on the
// handle, then flushes (which returns once the reader has taken it). Returns the
// bytes written.
unsigned long WritePipeMessage(HANDLE pipe, const char* data, unsigned long length);

}  // namespace pipe
