#include "toolbridge/com_entry.h"

#include <windows.h>
#include <objbase.h>

namespace toolbridge {
namespace {

// Per thread: nothing yet (a thread that existed before the load, until it
// calls), entered, or refused.
DWORD g_comState = TLS_OUT_OF_INDEXES;
LPVOID const kEntered = reinterpret_cast<LPVOID>(1);
LPVOID const kRefused = reinterpret_cast<LPVOID>(2);

}  // namespace

void StartComEntries() noexcept { g_comState = TlsAlloc(); }

void EndComEntries() noexcept {
    if (g_comState == TLS_OUT_OF_INDEXES) return;
    TlsFree(g_comState);
    g_comState = TLS_OUT_OF_INDEXES;
}

void EnterCom() noexcept {
    const HRESULT hr = CoInitialize(nullptr);
    if (g_comState != TLS_OUT_OF_INDEXES) TlsSetValue(g_comState, SUCCEEDED(hr) ? kEntered : kRefused);
}

void EnsureComEntered() noexcept {
    if (g_comState != TLS_OUT_OF_INDEXES && TlsGetValue(g_comState) == nullptr) EnterCom();
}

void LeaveCom() noexcept {
    if (g_comState == TLS_OUT_OF_INDEXES) return;
    const bool entered = TlsGetValue(g_comState) == kEntered;
    TlsSetValue(g_comState, nullptr);
    if (entered) CoUninitialize();
}

}  // namespace toolbridge
