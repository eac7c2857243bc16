// Stand-in for the test tool's automation server: an in-process COM server
// registered under the tool's ProgID, with the four late-bound methods the bridge
// calls. It journals every name lookup and every call (each argument's VARIANT
// type and value, a null BSTR told apart from an empty one), notes any departure
// from the calling protocol the bridge promises, and fails on request.
#include <windows.h>
#include <oleauto.h>

#include <cstdio>
#include <cstring>
#include <mutex>
#include <new>
#include <string>
#include <vector>

#include "mirravon_test/to_utf8.h"
#include "standin_control.h"

namespace {

const wchar_t kProgId[] = L"Dvxcomsvr.DrovixComServer";
const CLSID kClsid = {0x6A1D2C7E, 0x4B3F, 0x4E21, {0x9C, 0x55, 0x2F, 0x8B, 0x1D, 0x0E, 0x7A, 0x41}};

struct Method {
    const wchar_t* name;
    DISPID id;
    UINT argumentCount;
};
const Method kMethods[] = {
    {L"LoginToProject", 1, 5},
    {L"Logoff", 2, 0},
    {L"OpenScript", 3, 1},
    {L"ExecuteScriptEx", 4, 2},
};

HMODULE g_module = nullptr;
std::mutex g_lock;
std::string g_journal;
bool g_failCreation = false;
std::wstring g_forgotten;
HRESULT g_forgottenAnswer = DISP_E_UNKNOWNNAME;
std::wstring g_raiseMethod;
bool g_raiseHasDescription = false;
std::wstring g_raiseDescription;
std::string g_journalFile;
DWORD g_callMs = 0;
LONG g_created = 0;
LONG g_alive = 0;
LONG g_inside = 0;  // Invokes under way

void journal(const std::string& line) {
    std::lock_guard<std::mutex> hold(g_lock);
    g_journal += line;
    g_journal += '\n';
    if (g_journalFile.empty()) return;
    // Each line at once: the test reads the file while this server runs.
    HANDLE file =
        CreateFileA(g_journalFile.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    const std::string text = line + '\n';
    DWORD written = 0;
    WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    CloseHandle(file);
}

std::string describe(const VARIANTARG& v) {
    char buffer[64];
    switch (V_VT(&v)) {
    case VT_BSTR:
        if (V_BSTR(&v) == nullptr) return "BSTR:null";
        return "BSTR:\"" + mirravon_test::toUtf8({V_BSTR(&v), SysStringLen(V_BSTR(&v))}) + "\"";
    case VT_I4: std::snprintf(buffer, sizeof buffer, "I4:%ld", static_cast<long>(V_I4(&v))); return buffer;
    default: std::snprintf(buffer, sizeof buffer, "VT%u:?", static_cast<unsigned>(V_VT(&v))); return buffer;
    }
}

const Method* methodById(DISPID id) {
    for (const Method& m : kMethods)
        if (m.id == id) return &m;
    return nullptr;
}

class Server final : public IDispatch {
public:
    Server() { InterlockedIncrement(&g_alive); }
    ~Server() {
        // Whether the releasing thread was still in COM: a client that releases
        // after leaving COM may find the server gone.
        APTTYPE type;
        APTTYPEQUALIFIER qualifier;
        journal(CoGetApartmentType(&type, &qualifier) == S_OK ? "Released in COM" : "Released outside COM");
        InterlockedDecrement(&g_alive);
    }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
        if (out == nullptr) return E_POINTER;
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDispatch)) {
            *out = static_cast<IDispatch*>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&m_refs)); }
    ULONG STDMETHODCALLTYPE Release() override {
        LONG left = InterlockedDecrement(&m_refs);
        if (left == 0) delete this;
        return static_cast<ULONG>(left);
    }

    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        if (count) *count = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }

    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID lcid, DISPID* ids) override {
        std::string line = "GetIDsOfNames";
        for (UINT i = 0; i < count; ++i) line += " " + mirravon_test::toUtf8(names[i]);
        if (!IsEqualIID(riid, IID_NULL)) line += " [riid not IID_NULL]";
        if (lcid != 0x400) line += " [lcid " + std::to_string(lcid) + "]";
        if (count != 1) line += " [names " + std::to_string(count) + "]";
        journal(line);
        if (count == 0 || ids == nullptr) return E_INVALIDARG;
        HRESULT result = S_OK;
        for (UINT i = 0; i < count; ++i) {
            ids[i] = DISPID_UNKNOWN;
            bool forgotten;
            HRESULT answer;
            {
                std::lock_guard<std::mutex> hold(g_lock);
                forgotten = !g_forgotten.empty() && g_forgotten == names[i];
                answer = forgotten ? g_forgottenAnswer : DISP_E_UNKNOWNNAME;
            }
            const Method* found = nullptr;
            for (const Method& m : kMethods)
                if (!forgotten && lstrcmpW(m.name, names[i]) == 0) found = &m;  // exact case, as the tool's table
            if (found) ids[i] = found->id;
            else result = answer;
        }
        return result;
    }

    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID riid, LCID lcid, WORD flags, DISPPARAMS* params, VARIANT* result,
                                     EXCEPINFO* info, UINT* argError) override {
        const Method* method = methodById(id);
        if (method == nullptr) {
            journal("Invoke unknown id " + std::to_string(id));
            return DISP_E_MEMBERNOTFOUND;
        }
        // An apartment's object is entered by one call at a time.
        const bool overlapping = InterlockedIncrement(&g_inside) > 1;
        struct Leave {
            ~Leave() { InterlockedDecrement(&g_inside); }
        } leave;
        std::string line = "Invoke " + mirravon_test::toUtf8(method->name) + "(";
        UINT count = params ? params->cArgs : 0;
        // Positional arguments arrive last-first: the journal shows them in declared order.
        for (UINT i = 0; i < count; ++i) {
            if (i) line += ", ";
            line += describe(params->rgvarg[count - 1 - i]);
        }
        line += ")";
        if (!IsEqualIID(riid, IID_NULL)) line += " [riid not IID_NULL]";
        if (lcid != 0x400) line += " [lcid " + std::to_string(lcid) + "]";
        if (flags != DISPATCH_METHOD) line += " [flags " + std::to_string(flags) + "]";
        if (params && params->cNamedArgs != 0) line += " [named arguments]";
        if (result != nullptr) line += " [result slot]";
        if (info == nullptr) line += " [no exception slot]";
        if (method->argumentCount > 0 && argError == nullptr) line += " [no argument-error slot]";
        if (overlapping) line += " [while another call ran]";
        journal(line);

        if (count != method->argumentCount) return DISP_E_BADPARAMCOUNT;

        bool raise;
        bool hasDescription;
        std::wstring description;
        DWORD callMs;
        {
            std::lock_guard<std::mutex> hold(g_lock);
            callMs = g_callMs;
            raise = !g_raiseMethod.empty() && g_raiseMethod == method->name;
            hasDescription = g_raiseHasDescription;
            description = g_raiseDescription;
        }
        if (callMs != 0) Sleep(callMs);
        if (raise) {
            if (info != nullptr) {
                ZeroMemory(info, sizeof *info);
                info->wCode = 1001;
                info->bstrSource = SysAllocString(kProgId);
                info->bstrDescription = hasDescription ? SysAllocString(description.c_str()) : nullptr;
                info->bstrHelpFile = SysAllocString(L"drovix.hlp");
            }
            return DISP_E_EXCEPTION;
        }
        return S_OK;
    }

private:
    LONG m_refs = 1;
};

class Factory final : public IClassFactory {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
        if (out == nullptr) return E_POINTER;
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IClassFactory)) {
            *out = static_cast<IClassFactory*>(this);
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }

    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID riid, void** out) override {
        if (out == nullptr) return E_POINTER;
        *out = nullptr;
        if (outer != nullptr) return CLASS_E_NOAGGREGATION;
        bool refuse;
        {
            std::lock_guard<std::mutex> hold(g_lock);
            refuse = g_failCreation;
        }
        if (refuse) {
            journal("CreateInstance refused");
            return E_FAIL;
        }
        Server* server = new (std::nothrow) Server();
        if (server == nullptr) return E_OUTOFMEMORY;
        HRESULT hr = server->QueryInterface(riid, out);
        server->Release();
        if (SUCCEEDED(hr)) {
            InterlockedIncrement(&g_created);
            journal("CreateInstance");
        }
        return hr;
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }
};

Factory g_factory;

LONG setKey(const std::wstring& path, const wchar_t* name, const std::wstring& value) {
    HKEY key = nullptr;
    LONG rc = RegCreateKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr);
    if (rc != ERROR_SUCCESS) return rc;
    rc = RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                        static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(key);
    return rc;
}

std::wstring clsidText() {
    wchar_t text[64] = {};
    StringFromGUID2(kClsid, text, 64);
    return text;
}

}  // namespace

extern "C" {

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) g_module = instance;
    return TRUE;
}

__declspec(dllexport) HRESULT __stdcall DllGetClassObject(REFCLSID clsid, REFIID riid, void** out) {
    if (out == nullptr) return E_POINTER;
    *out = nullptr;
    if (!IsEqualCLSID(clsid, kClsid)) return CLASS_E_CLASSNOTAVAILABLE;
    return g_factory.QueryInterface(riid, out);
}

// Kept loaded: the tests hold it and read its journal across loads of the bridge.
__declspec(dllexport) HRESULT __stdcall DllCanUnloadNow() { return S_FALSE; }

// In the machine's classes, which is where the class id of a ProgID is looked up.
__declspec(dllexport) HRESULT __stdcall DllRegisterServer() {
    wchar_t path[MAX_PATH] = {};
    DWORD length = GetModuleFileNameW(g_module, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return E_FAIL;
    const std::wstring clsid = clsidText();
    const std::wstring classes = L"Software\\Classes\\";
    LONG rc = setKey(classes + kProgId + L"\\CLSID", nullptr, clsid);
    if (rc == ERROR_SUCCESS) rc = setKey(classes + L"CLSID\\" + clsid + L"\\InprocServer32", nullptr, path);
    if (rc == ERROR_SUCCESS)
        rc = setKey(classes + L"CLSID\\" + clsid + L"\\InprocServer32", L"ThreadingModel", L"Apartment");
    if (rc == ERROR_SUCCESS) rc = setKey(classes + L"CLSID\\" + clsid + L"\\ProgID", nullptr, kProgId);
    return HRESULT_FROM_WIN32(static_cast<unsigned long>(rc));
}

// Removes the ProgID (so that it no longer resolves) and the class.
__declspec(dllexport) HRESULT __stdcall DllUnregisterServer() {
    const std::wstring classes = L"Software\\Classes\\";
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, (classes + kProgId).c_str());
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, (classes + L"CLSID\\" + clsidText()).c_str());
    return S_OK;
}

__declspec(dllexport) void __cdecl StandInServer_Reset() {
    std::lock_guard<std::mutex> hold(g_lock);
    g_journal.clear();
    g_failCreation = false;
    g_forgotten.clear();
    g_forgottenAnswer = DISP_E_UNKNOWNNAME;
    g_raiseMethod.clear();
    g_raiseHasDescription = false;
    g_raiseDescription.clear();
    g_callMs = 0;
}

__declspec(dllexport) void __cdecl StandInServer_FailCreation(int fail) {
    std::lock_guard<std::mutex> hold(g_lock);
    g_failCreation = fail != 0;
}

__declspec(dllexport) void __cdecl StandInServer_ForgetMethod(const wchar_t* method, HRESULT answer) {
    std::lock_guard<std::mutex> hold(g_lock);
    g_forgotten = method ? method : L"";
    g_forgottenAnswer = answer;
}

__declspec(dllexport) void __cdecl StandInServer_RaiseOn(const wchar_t* method, const wchar_t* description) {
    std::lock_guard<std::mutex> hold(g_lock);
    g_raiseMethod = method ? method : L"";
    g_raiseHasDescription = description != nullptr;
    g_raiseDescription = description ? description : L"";
}

__declspec(dllexport) void __cdecl StandInServer_SlowCalls(DWORD milliseconds) {
    std::lock_guard<std::mutex> hold(g_lock);
    g_callMs = milliseconds;
}

__declspec(dllexport) int __cdecl StandInServer_CopyJournal(char* buffer, int size) {
    std::lock_guard<std::mutex> hold(g_lock);
    int needed = static_cast<int>(g_journal.size()) + 1;
    if (buffer != nullptr && size >= needed) std::memcpy(buffer, g_journal.c_str(), static_cast<size_t>(needed));
    return needed;
}

__declspec(dllexport) void __cdecl StandInServer_JournalTo(const char* path) {
    std::lock_guard<std::mutex> hold(g_lock);
    g_journalFile = path ? path : "";
}

__declspec(dllexport) long __cdecl StandInServer_ObjectsCreated() { return g_created; }
__declspec(dllexport) long __cdecl StandInServer_ObjectsAlive() { return g_alive; }

}  // extern "C"
