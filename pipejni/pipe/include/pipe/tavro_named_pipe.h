// The pipe channel for native callers: classes exported by tavrodvxjni.
//
// A program that uses them includes this header and links the DLL's import
// library; the code that defines them is built with TAVRODVXJNI_EXPORTS.
//
// Failures are thrown as the system error code (`unsigned long`). The DLL links
// its C++ runtime statically, so such an exception can only be caught by code
// that shares that runtime: a caller in another module sees std::terminate.
// Such callers should expect success paths only, or use the Java bindings.
#pragma once

#include <windows.h>

#ifdef TAVRODVXJNI_EXPORTS
#define TAVRO_API __declspec(dllexport)
#else
#define TAVRO_API __declspec(dllimport)
#endif

namespace TAVRO {

// The server end. Constructing creates the pipe (throws the system error code
// as `unsigned long` on failure); destroying closes it.
class TAVRO_API CNamedPipe {
public:
    explicit CNamedPipe(const char* name);
    // A copy holds its own handle to the same pipe (a duplicate), so that each
    // object closes exactly the handle it holds, once.
    CNamedPipe(const CNamedPipe& other);
    CNamedPipe& operator=(const CNamedPipe& other);
    ~CNamedPipe();

    void* GetHandle();
    int WaitForConnection();
    // See ReadPipeMessage: free() the result.
    char* ReadMessage(unsigned long& length);
    // CloseHandle's result; a second Close (or the destructor after it) closes nothing and returns 0.
    int Close();

private:
    HANDLE m_hPipe;
};

// The client end. Constructing connects (throws like the server's constructor);
// destroying closes.
class TAVRO_API CNamedPipeClient {
public:
    explicit CNamedPipeClient(const char* name);
    CNamedPipeClient(const CNamedPipeClient& other);
    CNamedPipeClient& operator=(const CNamedPipeClient& other);
    ~CNamedPipeClient();

    void* GetHandle();
    unsigned long WriteMessage(const char* data, unsigned long length);
    // Waits until the handle has no unread inbound data, then closes it.
    int Close();

private:
    HANDLE m_hPipe;
};

}  // namespace TAVRO
