#include "toolbridge/drovix_automation.h"

#include <ole2.h>

#include <cstdio>
#include <cstring>
#include <optional>

#include "mirravon/ansi_text.h"
#include "mirravon/system_failure.h"
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

}  // namespace

void CDrovixAutomation::Create() {
    CLSID clsid;
    const std::wstring progId =
        mirravon::WideFromAnsi(kDrovixProgId, sizeof kDrovixProgId - 1).value_or(std::wstring());
    HRESULT hr = CLSIDFromProgID(progId.c_str(), &clsid);
    if (SUCCEEDED(hr)) {
        m_dispatch.reset();
        mirravon::unique_com<IUnknown> unknown;
        hr = CoCreateInstance(clsid, nullptr, kClassContext, IID_IUnknown, reinterpret_cast<void**>(unknown.put()));
        if (SUCCEEDED(hr)) hr = OleRun(unknown.get());
        if (SUCCEEDED(hr))
            hr = unknown.get()->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(m_dispatch.put()));
    }
    if (FAILED(hr)) {
        m_dispatch.reset();
        RaiseToolError(kAutomationNotCreated, {kDrovixProgId});
    }
    m_created = true;
}

void CDrovixAutomation::EnsureCreated() {
    if (!m_created || !m_dispatch) Create();
}

HRESULT CDrovixAutomation::Call(const wchar_t* wideName, const char* narrowName, VARIANTARG* args, UINT count) {
    DISPID id = DISPID_UNKNOWN;
    LPOLESTR names[1] = {const_cast<LPOLESTR>(wideName)};
    if (m_dispatch.get()->GetIDsOfNames(IID_NULL, names, 1, kLocale, &id) != S_OK)
        RaiseToolError(kAutomationNameUnknown, {kDrovixProgId, narrowName});

    DISPPARAMS params = {args, nullptr, count, 0};
    ExceptionInfo info;
    UINT argumentError = 0;
    HRESULT hr = m_dispatch.get()->Invoke(id, IID_NULL, kLocale, DISPATCH_METHOD, &params, nullptr, info.get(),
                                          count ? &argumentError : nullptr);
    if (hr == DISP_E_EXCEPTION) {
        info.complete();
        const std::string text = info.text();
        RaiseToolError(kAutomationException, {text.c_str()});
    }
    return hr;
}

HRESULT CDrovixAutomation::LoginToProject(const char* a, const char* b, const char* c, std::int32_t n, const char* e) {
    EnsureCreated();
    Arguments args(5);
    args.text(0, e);
    args.integer(1, n);
    args.text(2, c);
    args.text(3, b);
    args.text(4, a);
    return Call(L"LoginToProject", "LoginToProject", args.data(), args.count());
}

HRESULT CDrovixAutomation::Logoff() {
    EnsureCreated();
    return Call(L"Logoff", "Logoff", nullptr, 0);
}

HRESULT CDrovixAutomation::OpenScript(const char* a) {
    EnsureCreated();
    Arguments args(1);
    args.text(0, a);
    return Call(L"OpenScript", "OpenScript", args.data(), args.count());
}

HRESULT CDrovixAutomation::ExecuteScriptEx(const char* a, const char* b) {
    EnsureCreated();
    Arguments args(2);
    args.text(0, b);
    args.text(1, a);
    return Call(L"ExecuteScriptEx", "ExecuteScriptEx", args.data(), args.count());
}

}  // namespace toolbridge
