// A top-level window of the test process, with its own message thread: what the
// stand-in "kvxsys.dll" can be told to report as the tool's window.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>
#include <mirravon/unique_owner.h>
#include <mirravon_test/caller.h>

#include <thread>

class TestWindow {
public:
    explicit TestWindow(bool minimized = false, mirravon_test::Caller where = {}) {
        const mirravon_test::CallerTrace trace(where);
        const mirravon::unique_handle ready(CreateEventA(nullptr, TRUE, FALSE, nullptr));
        m_thread = std::thread([this, minimized, ready = ready.get()] {
            WNDCLASSA wc = {};
            wc.lpfnWndProc = DefWindowProcA;
            wc.hInstance = GetModuleHandleA(nullptr);
            wc.lpszClassName = "ToolbridgeTestWindow";
            RegisterClassA(&wc);
            m_window = CreateWindowExA(0, "ToolbridgeTestWindow", "test", WS_OVERLAPPEDWINDOW, 10, 10, 200, 100,
                                       nullptr, nullptr, wc.hInstance, nullptr);
            m_threadId = GetCurrentThreadId();
            if (m_window) ShowWindow(m_window, minimized ? SW_SHOWMINIMIZED : SW_SHOWNORMAL);
            SetEvent(ready);
            MSG msg;
            while (GetMessageA(&msg, nullptr, 0, 0) > 0) DispatchMessageA(&msg);
            if (m_window) DestroyWindow(m_window);
        });
        EXPECT_EQ(WaitForSingleObject(ready.get(), 10000), WAIT_OBJECT_0);
    }
    ~TestWindow() {
        PostThreadMessageA(m_threadId, WM_QUIT, 0, 0);
        m_thread.join();
    }
    HWND handle() const { return m_window; }

private:
    std::thread m_thread;
    HWND m_window = nullptr;
    DWORD m_threadId = 0;
};
