#include "box_watcher.h"

#include "icon_probe.h"

namespace stelvo_e2e {
namespace {

std::wstring windowText(HWND window) {
    wchar_t buffer[1024] = {};
    const int length = ::GetWindowTextW(window, buffer, 1024);
    return std::wstring(buffer, length > 0 ? static_cast<std::size_t>(length) : 0);
}

}  // namespace

BoxWatcher::BoxWatcher(DWORD processId) : m_processId(processId), m_thread([this] { run(); }) {}

BoxWatcher::~BoxWatcher() { stop(); }

std::vector<SeenBox> BoxWatcher::stop() {
    m_stop = true;
    if (m_thread.joinable()) m_thread.join();
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_boxes;
}

void BoxWatcher::run() {
    while (!m_stop) {
        ::EnumWindows(&BoxWatcher::visit, reinterpret_cast<LPARAM>(this));
        ::Sleep(50);
    }
}

BOOL CALLBACK BoxWatcher::visit(HWND window, LPARAM param) {
    auto* self = reinterpret_cast<BoxWatcher*>(param);
    DWORD owner = 0;
    ::GetWindowThreadProcessId(window, &owner);
    if (owner != self->m_processId || self->m_pressed.count(window)) return TRUE;
    wchar_t className[64] = {};
    ::GetClassNameW(window, className, 64);
    if (std::wstring(className) != L"#32770") return TRUE;
    // A dialog is shown only after its initialisation has set the title and the
    // text; before that the controls may exist with nothing in them yet.
    if (!::IsWindowVisible(window)) return TRUE;
    HWND textControl = ::GetDlgItem(window, 0xFFFF);
    if (textControl == nullptr) return TRUE;
    SeenBox box;
    box.title = windowText(window);
    box.text = windowText(textControl);
    box.icon = probeIcon(window);
    self->m_pressed.insert(window);
    {
        std::lock_guard<std::mutex> lock(self->m_mutex);
        self->m_boxes.push_back(box);
    }
    ::PostMessageW(window, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    return TRUE;
}

}  // namespace stelvo_e2e
