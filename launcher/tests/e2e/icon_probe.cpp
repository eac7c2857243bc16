#include "icon_probe.h"

#include "mirravon/unique_owner.h"

namespace stelvo_e2e {
namespace {

HMODULE hookModule() {
    static HMODULE module = [] {
        char path[MAX_PATH] = {};
        ::GetModuleFileNameA(nullptr, path, MAX_PATH);
        std::string dll(path);
        dll = dll.substr(0, dll.rfind('\\') + 1) + "stelvo_icon_hook.dll";
        return ::LoadLibraryA(dll.c_str());
    }();
    return module;
}

}  // namespace

IconKind probeIcon(HWND box) {
    HMODULE module = hookModule();
    if (module == nullptr) return IconKind::Unknown;
    auto proc = reinterpret_cast<HOOKPROC>(reinterpret_cast<void*>(::GetProcAddress(module, "IconHookProc")));
    if (proc == nullptr) return IconKind::Unknown;
    const DWORD thread = ::GetWindowThreadProcessId(box, nullptr);
    mirravon::unique_hhook hook(::SetWindowsHookExW(WH_CALLWNDPROC, proc, module, thread));
    if (!hook) return IconKind::Unknown;
    DWORD_PTR ignored = 0;
    ::SendMessageTimeoutW(box, ::RegisterWindowMessageW(kIconProbeMessage), 0, 0, SMTO_ABORTIFHUNG, 10000, &ignored);
    switch (reinterpret_cast<INT_PTR>(::GetPropW(box, kIconKindProperty))) {
    case 1: return IconKind::None;
    case 2: return IconKind::Error;
    case 3: return IconKind::Information;
    case 4: return IconKind::Warning;
    case 5: return IconKind::Question;
    default: return IconKind::Unknown;
    }
}

}  // namespace stelvo_e2e
