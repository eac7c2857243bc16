#include "toolbridge/ktx_system_library.h"

#include "toolbridge/home_path.h"
#include "toolbridge/tool_error.h"
#include "toolbridge/tool_home.h"

namespace toolbridge {

HMODULE LoadToolLibrary(const char* name) {
    HMODULE module = LoadLibraryA(name);
    if (module != nullptr) return module;
    const std::string& home = ToolHomeDirectory();
    if (home.empty()) return nullptr;  // the same name again would fail the same way
    // A home directory and name that do not fit a path are not cut: a cut path
    // could load some other file.
    std::optional<std::string> path = JoinToolPath(home, name);
    if (!path) return nullptr;
    return LoadLibraryA(path->c_str());
}

void CKtxSystemLibrary::Bind() {
    if (m_bound) return;

    // Held locally until every function is found, so that a failed bind does
    // not keep the module loaded while the next search loads it again.
    mirravon::unique_hmodule module(LoadToolLibrary(kToolSystemLibrary));
    if (!module) RaiseToolError(kToolLibraryFailed, {kToolSystemLibrary});

    struct Entry {
        const char* name;
        FARPROC* slot;
    };
    FARPROC findWindow = nullptr;
    const Entry entries[] = {
        {"SendIPCData", &m_sendIPCData},
        {"KTXSys_SetInitialize", &m_setInitialize},
        {"KTXSys_RegisterComponent", &m_registerComponent},
        {"KTXSys_UnRegisterComponent", &m_unRegisterComponent},
        {"KTXSys_SetComponentWnd", &m_setComponentWnd},
        {"ExecApplication", &m_execApplication},
        {"FindKTXWindow", &findWindow},
    };
    for (const Entry& entry : entries) {
        *entry.slot = GetProcAddress(module.get(), entry.name);
        if (*entry.slot == nullptr) {
            for (const Entry& clear : entries) *clear.slot = nullptr;
            RaiseToolError(kToolLibraryFailed, {kToolSystemLibrary, entry.name});
        }
    }
    m_findKTXWindow = reinterpret_cast<FindWindowFunction>(reinterpret_cast<void*>(findWindow));
    m_module = std::move(module);
    m_bound = true;
}

HWND CKtxSystemLibrary::FindKTXWindow(std::int32_t number) {
    Bind();
    return m_findKTXWindow(number);
}

namespace {
class SystemClock final : public WaitClock {
public:
    void Sleep(DWORD milliseconds) override { ::Sleep(milliseconds); }
};
}  // namespace

WaitClock& SystemWaitClock() {
    static SystemClock clock;
    return clock;
}

HWND CKtxComponent::WaitForWindow() {
    for (int poll = 1;; ++poll) {
        HWND window = m_library->FindKTXWindow(m_number);
        if (window != nullptr) return window;
        if (poll == kMaxPolls) return nullptr;
        m_clock->Sleep(kPollIntervalMs);
    }
}

HWND CKtxComponent::ActivateWindow() {
    HWND window = WaitForWindow();
    if (window == nullptr || !IsWindow(window)) return nullptr;
    if (IsIconic(window)) ShowWindow(window, SW_SHOWNORMAL);
    BringWindowToTop(window);
    SetForegroundWindow(window);
    return window;
}

}  // namespace toolbridge
