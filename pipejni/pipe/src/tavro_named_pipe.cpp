#include "pipe/tavro_named_pipe.h"

#include "mirravon/system_failure.h"
#include "pipe/named_pipe.h"

namespace TAVRO {
namespace {

// A second handle to the same pipe, for a copy; throws the system error code.
HANDLE Duplicate(HANDLE pipe) {
    if (pipe == INVALID_HANDLE_VALUE) return INVALID_HANDLE_VALUE;
    HANDLE copy = INVALID_HANDLE_VALUE;
    if (!::DuplicateHandle(::GetCurrentProcess(), pipe, ::GetCurrentProcess(), &copy, 0, FALSE, DUPLICATE_SAME_ACCESS))
        mirravon::FailWithLastError();
    return copy;
}

// Closes once: the handle is forgotten, so a later Close or the destructor
// cannot close a handle value the system has since given to someone else.
int CloseOnce(HANDLE& pipe) {
    if (pipe == INVALID_HANDLE_VALUE) {
        ::SetLastError(ERROR_INVALID_HANDLE);
        return 0;
    }
    const int result = pipe::ClosePipeHandle(pipe);
    pipe = INVALID_HANDLE_VALUE;
    return result;
}

// Assignment from another object: this one then holds a duplicate of its
// handle, once the handle it held is closed its own way.
template <typename End> void AssignDuplicate(End& self, HANDLE& mine, HANDLE theirs) {
    HANDLE copy = Duplicate(theirs);
    self.Close();
    mine = copy;
}

}  // namespace

CNamedPipe::CNamedPipe(const char* name) : m_hPipe(pipe::CreatePipeServer(name)) {}
CNamedPipe::CNamedPipe(const CNamedPipe& other) : m_hPipe(Duplicate(other.m_hPipe)) {}
CNamedPipe& CNamedPipe::operator=(const CNamedPipe& other) {
    if (this != &other) AssignDuplicate(*this, m_hPipe, other.m_hPipe);
    return *this;
}
CNamedPipe::~CNamedPipe() { Close(); }
void* CNamedPipe::GetHandle() { return m_hPipe; }
int CNamedPipe::WaitForConnection() { return pipe::WaitForPipeClient(m_hPipe); }
char* CNamedPipe::ReadMessage(unsigned long& length) { return pipe::ReadPipeMessage(m_hPipe, &length); }
int CNamedPipe::Close() { return CloseOnce(m_hPipe); }

CNamedPipeClient::CNamedPipeClient(const char* name) : m_hPipe(pipe::ConnectPipeClient(name)) {}
CNamedPipeClient::CNamedPipeClient(const CNamedPipeClient& other) : m_hPipe(Duplicate(other.m_hPipe)) {}
CNamedPipeClient& CNamedPipeClient::operator=(const CNamedPipeClient& other) {
    if (this != &other) AssignDuplicate(*this, m_hPipe, other.m_hPipe);
    return *this;
}
CNamedPipeClient::~CNamedPipeClient() { Close(); }
void* CNamedPipeClient::GetHandle() { return m_hPipe; }
unsigned long CNamedPipeClient::WriteMessage(const char* data, unsigned long length) {
    return pipe::WritePipeMessage(m_hPipe, data, length);
}
int CNamedPipeClient::Close() {
    if (m_hPipe != INVALID_HANDLE_VALUE) {
        DWORD available = 0;
        while (::PeekNamedPipe(m_hPipe, nullptr, 0, nullptr, &available, nullptr) && available != 0) ::Sleep(100);
    }
    return CloseOnce(m_hPipe);
}

}  // namespace TAVRO
