// Stand-in for the test tool's main program "kvdrovix.exe": it shows its main
// window after a chosen delay, optionally minimized, and ends when the window is
// closed or its lifetime runs out (so that a failed test leaves nothing behind).
//
//   kvdrovix.exe [--delay-ms N] [--minimized] [--ready-event NAME] [--go-event NAME]
//                [--lifetime-ms N]
//
// With --go-event the delay starts when the test sets that event, which lets the
// test start the process early and time the window from the start of its wait;
// --ready-event is set once the program waits for it.
#include <windows.h>

#include <cstdlib>
#include <cstring>

#include "standin_control.h"

namespace {

LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    if (message == WM_TIMER) {
        DestroyWindow(window);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

void setEvent(const char* name) {
    if (name == nullptr) return;
    HANDLE event = OpenEventA(EVENT_MODIFY_STATE, FALSE, name);
    if (event) {
        SetEvent(event);
        CloseHandle(event);
    }
}

}  // namespace

int main(int argc, char** argv) {
    DWORD delay = 0;
    DWORD lifetime = 180000;
    bool minimized = false;
    const char* readyEvent = nullptr;
    const char* goEvent = nullptr;
    for (int i = 1; i < argc; ++i) {
        const char* value = i + 1 < argc ? argv[i + 1] : nullptr;
        if (std::strcmp(argv[i], "--delay-ms") == 0 && value) {
            delay = static_cast<DWORD>(std::strtoul(value, nullptr, 10));
            ++i;
        } else if (std::strcmp(argv[i], "--lifetime-ms") == 0 && value) {
            lifetime = static_cast<DWORD>(std::strtoul(value, nullptr, 10));
            ++i;
        } else if (std::strcmp(argv[i], "--ready-event") == 0 && value) {
            readyEvent = value;
            ++i;
        } else if (std::strcmp(argv[i], "--go-event") == 0 && value) {
            goEvent = value;
            ++i;
        } else if (std::strcmp(argv[i], "--minimized") == 0) {
            minimized = true;
        } else {
            return 2;
        }
    }

    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = windowProc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = standin::kMainWindowClass;
    if (!RegisterClassA(&windowClass)) return 3;

    if (goEvent) {
        HANDLE go = CreateEventA(nullptr, TRUE, FALSE, goEvent);
        if (go == nullptr) return 4;
        setEvent(readyEvent);
        DWORD waited = WaitForSingleObject(go, 60000);
        CloseHandle(go);
        if (waited != WAIT_OBJECT_0) return 5;
    } else {
        setEvent(readyEvent);
    }
    Sleep(delay);

    HWND window = CreateWindowExA(0, standin::kMainWindowClass, "Drovix (stand-in)", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                                  CW_USEDEFAULT, 400, 300, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    if (window == nullptr) return 6;
    ShowWindow(window, minimized ? SW_SHOWMINIMIZED : SW_SHOWNORMAL);
    SetTimer(window, 1, lifetime, nullptr);

    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return 0;
}
