// Client of the test tool's automation server: creates its object on first use,
// keeps it for the life of the library, and calls its methods late-bound by name.
#pragma once

#include <windows.h>
#include <oleauto.h>

#include <mirravon/unique_owner.h>

#include <cstdint>
#include <string>

namespace toolbridge {

inline constexpr const char kDrovixProgId[] = "Dvxcomsvr.DrovixComServer";

class CDrovixAutomation {
public:
    CDrovixAutomation() noexcept = default;
    virtual ~CDrovixAutomation() = default;
    CDrovixAutomation(const CDrovixAutomation&) = delete;
    CDrovixAutomation& operator=(const CDrovixAutomation&) = delete;

    // Makes the tool's automation object; code 3 when it cannot be made.
    void Create();

    // Each creates the object first when there is none, then calls the method
    // of the same name. Texts are ANSI texts and may be null (a null BSTR).
    // Codes 3, 4 and 5; any other status of the call is returned.
    HRESULT LoginToProject(const char* a, const char* b, const char* c, std::int32_t n, const char* e);
    HRESULT Logoff();
    HRESULT OpenScript(const char* a);
    HRESULT ExecuteScriptEx(const char* a, const char* b);

    bool created() const noexcept { return m_created; }

    // Unload: releases the object while the unloading thread is still in COM.
    void ReleaseObject() noexcept { m_dispatch.reset(); }
    // Process exit: other modules may be gone already, so nothing is called.
    void AbandonObject() noexcept { m_dispatch.release(); }

private:
    void EnsureCreated();
    HRESULT Call(const wchar_t* wideName, const char* narrowName, VARIANTARG* args, UINT count);

    mirravon::unique_com<IDispatch> m_dispatch;
    bool m_created = false;
};

}  // namespace toolbridge
