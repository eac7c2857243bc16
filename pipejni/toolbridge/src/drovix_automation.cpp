#include "toolbridge/drovix_automation.h"

#include <ole2.h>

#include <cstdio>
#include <cstring>
#include <optional>
#include <utility>

#include "mirravon/ansi_text.h"
#include "mirravon/system_failure.h"
#include "toolbridge/com_entry.h"
#include "toolbridge/tool_error.h"

namespace toolbridge {
namespace {

// In-process server, in-process handler or local server.
constexpr DWORD kClassContext = CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER | CLSCTX_LOCAL_SERVER;
// The user's default locale.
constexpr LCID kLocale = 0x400;

// A null text stays a null BSTR (the tool tells it apart from an empty one).
mirravon::unique_bstr bstrFromAnsi(const char* text) {
    mirravon::unique_bstr result;
    if (text == nullptr) return result;
    DWORD error = ERROR_SUCCESS;
    const std::optional<std::wstring> wide = mirravon::WideFromAnsi(text, std::strlen(text), &error);
    if (!wide) mirravon::FailWithError(error);
    result.reset(SysAllocStringLen(wide->data(), static_cast<UINT>(wide->size())));
    // Running out of memory here is none of the tool's codes: it travels as the
    // system's own error, like any other failure of the system underneath.
    if (!result) mirravon::FailWithError(ERROR_NOT_ENOUGH_MEMORY);
    return result;
}

std::string ansiFromBstr(BSTR text) {
    const std::string result = mirravon::AnsiFromWide(text, SysStringLen(text)).value_or(std::string());
    // A description is one text; an embedded zero would cut it short later anyway.
    return result.substr(0, result.find('\0'));
}

// The arguments of one call, last-first as IDispatch expects them; every BSTR
// made for the call is freed with it.
class Arguments {
public:
    explicit Arguments(UINT count) noexcept : m_count(count) {
        for (VARIANTARG& v : m_values) VariantInit(&v);
    }
    ~Arguments() {
        for (VARIANTARG& v : m_values) VariantClear(&v);
    }
    Arguments(const Arguments&) = delete;
    Arguments& operator=(const Arguments&) = delete;

    void text(UINT position, const char* value) {
        mirravon::unique_bstr bstr = bstrFromAnsi(value);
        V_VT(&m_values[position]) = VT_BSTR;
        V_BSTR(&m_values[position]) = bstr.release();
    }
    void integer(UINT position, std::int32_t value) noexcept {
        V_VT(&m_values[position]) = VT_I4;
        V_I4(&m_values[position]) = value;
    }
    VARIANTARG* data() noexcept { return m_count ? m_values : nullptr; }
    UINT count() const noexcept { return m_count; }

private:
    VARIANTARG m_values[5];
    UINT m_count;
};

// The strings the server allocated into the exception information.
class ExceptionInfo {
public:
    ExceptionInfo() noexcept { ZeroMemory(&m_info, sizeof m_info); }
    ~ExceptionInfo() {
        SysFreeString(m_info.bstrSource);
        SysFreeString(m_info.bstrDescription);
        SysFreeString(m_info.bstrHelpFile);
    }
    ExceptionInfo(const ExceptionInfo&) = delete;
    ExceptionInfo& operator=(const ExceptionInfo&) = delete;

    EXCEPINFO* get() noexcept { return &m_info; }

    // The server may leave the texts to be filled in on demand.
    void complete() noexcept {
        if (m_info.pfnDeferredFillIn != nullptr) {
            m_info.pfnDeferredFillIn(&m_info);
            m_info.pfnDeferredFillIn = nullptr;
        }
    }

    // The description, or, when the tool gave none, a text that still names
    // the failure by its code.
    std::string text() const {
        std::string description = ansiFromBstr(m_info.bstrDescription);
        if (!description.empty()) return description;
        char fallback[96];
        if (m_info.wCode != 0)
            std::snprintf(fallback, sizeof fallback, "%s raised exception %u without a description", kDrovixProgId,
                          static_cast<unsigned>(m_info.wCode));
        else
            std::snprintf(fallback, sizeof fallback, "%s raised exception 0x%08lX without a description", kDrovixProgId,
                          static_cast<unsigned long>(m_info.scode));
        return fallback;
    }

private:
    EXCEPINFO m_info;
};

// A proxy answers IClientSecurity: COM's proxy manager offers it on every
// standard proxy, and an object of the process has no use for it.
bool isProxy(IUnknown* object) {
    mirravon::unique_com<IClientSecurity> security;
    return SUCCEEDED(object->QueryInterface(IID_IClientSecurity, reinterpret_cast<void**>(security.put())));
}

// Whether the name lookup's status (other than S_OK) says that the server does
// not know the name: its own two answers for that, and, as ever, a success
// that gives no id. Every other failure is COM's or the system's (the server
// has gone, the call could not be made).
bool nameUnknown(HRESULT hr) { return hr == DISP_E_UNKNOWNNAME || hr == DISP_E_UNKNOWNLCID || SUCCEEDED(hr); }

// A failing status as the system error code it stands for: a Windows error
// inside a status (such as "The RPC server is unavailable") as that error.
unsigned long systemCodeOf(HRESULT hr) {
    return HRESULT_FACILITY(hr) == FACILITY_WIN32 ? HRESULT_CODE(hr) : static_cast<unsigned long>(hr);
}

}  // namespace

// The library's own instance has let go of everything by now (unload, or
// process exit); one of a test still holds its entry in the table.
CDrovixAutomation::~CDrovixAutomation() { RevokeEntry(); }

void CDrovixAutomation::Create() {
    EnsureComEntered();
    const std::lock_guard<std::recursive_mutex> hold(m_lock);
    CreateHeld();
}

void CDrovixAutomation::CreateHeld() {
    CLSID clsid;
    const std::wstring progId =
        mirravon::WideFromAnsi(kDrovixProgId, sizeof kDrovixProgId - 1).value_or(std::wstring());
    HRESULT hr = CLSIDFromProgID(progId.c_str(), &clsid);
    if (SUCCEEDED(hr)) {
        DropHeld();
        mirravon::unique_com<IUnknown> unknown;
        mirravon::unique_com<IDispatch> dispatch;
        hr = CoCreateInstance(clsid, nullptr, kClassContext, IID_IUnknown, reinterpret_cast<void**>(unknown.put()));
        if (SUCCEEDED(hr)) hr = OleRun(unknown.get());
        if (SUCCEEDED(hr)) hr = unknown.get()->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(dispatch.put()));
        if (SUCCEEDED(hr) && isProxy(unknown.get())) {
            // The table holds its own reference to the object; this thread's
            // proxy goes, so that nothing stays behind in this apartment.
            if (!m_table)
                hr = CoCreateInstance(CLSID_StdGlobalInterfaceTable, nullptr, CLSCTX_INPROC_SERVER,
                                      IID_IGlobalInterfaceTable, reinterpret_cast<void**>(m_table.put()));
            DWORD cookie = 0;
            if (SUCCEEDED(hr)) hr = m_table.get()->RegisterInterfaceInGlobal(dispatch.get(), IID_IDispatch, &cookie);
            if (SUCCEEDED(hr)) {
                m_cookie = cookie;
                m_homeThread = GetCurrentThreadId();
            }
        } else if (SUCCEEDED(hr)) {
            m_dispatch = std::move(dispatch);
        }
    }
    if (FAILED(hr)) {
        DropHeld();
        RaiseToolError(kAutomationNotCreated, {kDrovixProgId});
    }
    m_created = true;
}

void CDrovixAutomation::DropHeld() noexcept {
    RevokeEntry();
    m_dispatch.reset();
}

// Whoever takes the cookie revokes it: a thread's end and the lock's holder
// may both try.
void CDrovixAutomation::RevokeEntry() noexcept {
    m_homeThread = 0;
    if (const DWORD cookie = m_cookie.exchange(0)) m_table.get()->RevokeInterfaceFromGlobal(cookie);
}

CDrovixAutomation::ThreadInterface CDrovixAutomation::ForThisThread() {
    EnsureComEntered();
    const std::lock_guard<std::recursive_mutex> hold(m_lock);
    ThreadInterface object;
    for (bool again = true;; again = false) {
        if (!m_created || (!m_dispatch && m_cookie == 0)) CreateHeld();
        if (m_dispatch) {
            m_dispatch.get()->AddRef();
            object.dispatch.reset(m_dispatch.get());
            object.direct = true;
            return object;
        }
        const DWORD cookie = m_cookie;
        const HRESULT hr = m_table.get()->GetInterfaceFromGlobal(cookie, IID_IDispatch,
                                                                 reinterpret_cast<void**>(object.dispatch.put()));
        if (SUCCEEDED(hr)) return object;
        // The entry went with the thread that registered it while this one
        // took it: a new object, as after that thread's end.
        if (again && m_cookie != cookie) continue;
        // COM could not give this thread the object (the server has gone, say).
        mirravon::FailWithError(systemCodeOf(hr));
    }
}

void CDrovixAutomation::ReleaseObject() noexcept {
    const std::lock_guard<std::recursive_mutex> hold(m_lock);
    DropHeld();
    m_table.reset();
}

void CDrovixAutomation::AbandonObject() noexcept {
    m_dispatch.release();
    m_table.release();
    m_cookie = 0;
    m_homeThread = 0;
}

void CDrovixAutomation::OnThreadEnding() noexcept {
    if (m_homeThread == GetCurrentThreadId()) RevokeEntry();
}

HRESULT CDrovixAutomation::Call(ThreadInterface& object, const wchar_t* wideName, const char* narrowName,
                                VARIANTARG* args, UINT count) {
    // An object of the process runs each call on the calling thread; its
    // apartment would let one call in at a time, so the calls take turns here.
    // A proxy's calls are ordered by the server's own apartment.
    std::unique_lock<std::recursive_mutex> turn(m_directCalls, std::defer_lock);
    if (object.direct) turn.lock();
    IDispatch* dispatch = object.dispatch.get();
    DISPID id = DISPID_UNKNOWN;
    LPOLESTR names[1] = {const_cast<LPOLESTR>(wideName)};
    const HRESULT lookup = dispatch->GetIDsOfNames(IID_NULL, names, 1, kLocale, &id);
    if (lookup != S_OK) {
        if (nameUnknown(lookup)) RaiseToolError(kAutomationNameUnknown, {kDrovixProgId, narrowName});
        mirravon::FailWithError(systemCodeOf(lookup));
    }

    DISPPARAMS params = {args, nullptr, count, 0};
    ExceptionInfo info;
    UINT argumentError = 0;
    HRESULT hr = dispatch->Invoke(id, IID_NULL, kLocale, DISPATCH_METHOD, &params, nullptr, info.get(),
                                  count ? &argumentError : nullptr);
    if (hr == DISP_E_EXCEPTION) {
        info.complete();
        const std::string text = info.text();
        RaiseToolError(kAutomationException, {text.c_str()});
    }
    return hr;
}

HRESULT CDrovixAutomation::LoginToProject(const char* a, const char* b, const char* c, std::int32_t n, const char* e) {
    ThreadInterface object = ForThisThread();
    Arguments args(5);
    args.text(0, e);
    args.integer(1, n);
    args.text(2, c);
    args.text(3, b);
    args.text(4, a);
    return Call(object, L"LoginToProject", "LoginToProject", args.data(), args.count());
}

HRESULT CDrovixAutomation::Logoff() {
    ThreadInterface object = ForThisThread();
    return Call(object, L"Logoff", "Logoff", nullptr, 0);
}

HRESULT CDrovixAutomation::OpenScript(const char* a) {
    ThreadInterface object = ForThisThread();
    Arguments args(1);
    args.text(0, a);
    return Call(object, L"OpenScript", "OpenScript", args.data(), args.count());
}

HRESULT CDrovixAutomation::ExecuteScriptEx(const char* a, const char* b) {
    ThreadInterface object = ForThisThread();
    Arguments args(2);
    args.text(0, b);
    args.text(1, a);
    return Call(object, L"ExecuteScriptEx", "ExecuteScriptEx", args.data(), args.count());
}

}  // namespace toolbridge
