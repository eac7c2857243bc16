// Loaded into the process that shows a message box (see icon_probe.h): tells
// which system icon the box shows, through a window property of the box.
#include <windows.h>

extern "C" __declspec(dllexport) LRESULT CALLBACK IconHookProc(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HC_ACTION) {
        const auto* message = reinterpret_cast<const CWPSTRUCT*>(lParam);
        if (message->message == ::RegisterWindowMessageW(L"StelvoTestIconProbe")) {
            // The icon control: id 20 on Windows, stc1 (0x0440) in Wine's box.
            HWND control = ::GetDlgItem(message->hwnd, 20);
            if (control == nullptr) control = ::GetDlgItem(message->hwnd, 0x0440);
            INT_PTR kind = 0;
            if (control != nullptr) {
                const auto icon = reinterpret_cast<HICON>(::SendMessageW(control, STM_GETICON, 0, 0));
                if (icon == nullptr) kind = 1;
                // The system icons by number: hand (error), asterisk, exclamation, question.
                else if (icon == ::LoadIconW(nullptr, MAKEINTRESOURCEW(32513))) kind = 2;
                else if (icon == ::LoadIconW(nullptr, MAKEINTRESOURCEW(32516))) kind = 3;
                else if (icon == ::LoadIconW(nullptr, MAKEINTRESOURCEW(32515))) kind = 4;
                else if (icon == ::LoadIconW(nullptr, MAKEINTRESOURCEW(32514))) kind = 5;
            }
            ::SetPropW(message->hwnd, L"StelvoTestIconKind", reinterpret_cast<HANDLE>(kind));
        }
    }
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}
