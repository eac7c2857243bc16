// Client of the test tool's automation server: creates its object on first use,
// keeps it for the life of the library, and calls its methods late-bound by name.
#pragma once

#include <windows.h>
#include <objidl.h>
#include <oleauto.h>

#include <mirravon/unique_owner.h>

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>

namespace toolbridge {

inline constexpr const char kDrovixProgId[] = "Dvxcomsvr.DrovixComServer";

// Every operation may come from any thread. An object in the process is used
// directly from every thread, one call at a time; a proxy (the object of a
// local server) belongs to the apartment that made it, so it is kept in the
// global interface table and each calling thread takes its own from there.
class CDrovixAutomation {
public:
    CDrovixAutomation() noexcept = default;
    virtual ~CDrovixAutomation();
    CDrovixAutomation(const CDrovixAutomation&) = delete;
    CDrovixAutomation& operator=(const CDrovixAutomation&) = delete;

    // Makes the tool's automation object; code 3 when it cannot be made.
    void Create();

    // Each creates the object first when there is none, then calls the method
    // of the same name. Texts are ANSI texts and may be null (a null BSTR).
    // Codes 3, 4 and 5, and the system's error for a call that COM could not
    // make; any other status of the call is returned.
    HRESULT LoginToProject(const char* a, const char* b, const char* c, std::int32_t n, const char* e);
    HRESULT Logoff();
    HRESULT OpenScript(const char* a);
    HRESULT ExecuteScriptEx(const char* a, const char* b);

    bool created() const noexcept { return m_created; }

    // Unload: releases the object while the unloading thread is still in COM.
    void ReleaseObject() noexcept;
    // Process exit: other modules may be gone already, so nothing is called.
    void AbandonObject() noexcept;
    // A thread's end, before it leaves COM: the entry its apartment registered
    // is revoked while the apartment is still there, and the next operation
    // makes a new object.
    void OnThreadEnding() noexcept;

private:
    // The object's interface as the calling thread may use it.
    struct ThreadInterface {
        mirravon::unique_com<IDispatch> dispatch;
        bool direct = false;
    };
    ThreadInterface ForThisThread();
    void CreateHeld();
    void DropHeld() noexcept;
    void RevokeEntry() noexcept;
    HRESULT Call(ThreadInterface& object, const wchar_t* wideName, const char* narrowName, VARIANTARG* args,
                 UINT count);

    mirravon::unique_com<IDispatch> m_dispatch;  // in the process: used directly
    bool m_created = false;
    // Out of process: the proxy's entry in the global interface table, and the
    // thread whose apartment registered it (which must stay until it is revoked).
    mirravon::unique_com<IGlobalInterfaceTable> m_table;
    std::atomic<DWORD> m_cookie{0};
    std::atomic<DWORD> m_homeThread{0};
    // Held while a thread makes, takes or lets go of the object; never during
    // a call, and never by a thread's end, which runs under the loader's lock
    // that making the object may wait for.
    std::recursive_mutex m_lock;
    // Calls into an object in the process, one at a time.
    std::recursive_mutex m_directCalls;
};

}  // namespace toolbridge
