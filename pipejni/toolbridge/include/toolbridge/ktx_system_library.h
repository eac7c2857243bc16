// The test tool's system library "kvxsys.dll" and the tool's components (its
// programs), whose main windows the bridge waits for and brings forward.
#pragma once

#include <windows.h>

#include <mirravon/unique_owner.h>

#include <cstdint>

namespace toolbridge {

inline constexpr const char kToolSystemLibrary[] = "kvxsys.dll";

// Component number of the tool's main program, kvdrovix.exe.
inline constexpr std::int32_t kDrovixMainComponent = 1;

// LoadLibraryA with the system's search order (which includes the current
// directory), then from the tool's home directory. Null when neither loads.
HMODULE LoadToolLibrary(const char* name);

class CKtxSystemLibrary {
public:
    CKtxSystemLibrary() noexcept = default;
    virtual ~CKtxSystemLibrary() = default;  // the module owner frees the library
    CKtxSystemLibrary(const CKtxSystemLibrary&) = delete;
    CKtxSystemLibrary& operator=(const CKtxSystemLibrary&) = delete;

    // Loads the library and binds its seven functions, once; code 1 when the
    // library does not load or lacks one of them (then the next call tries again).
    void Bind();

    // The component's main window, or null when it does not run; binds first.
    HWND FindKTXWindow(std::int32_t number);

    bool bound() const noexcept { return m_bound; }

    // Process exit: the module is left to the system, nothing is called.
    void Abandon() noexcept {
        m_module.release();
        m_bound = false;
    }

private:
    using FindWindowFunction = HWND(__cdecl*)(std::int32_t number);

    // Bound by name for all seven, though only the window search is called.
    FARPROC m_sendIPCData = nullptr;
    FARPROC m_setInitialize = nullptr;
    FARPROC m_registerComponent = nullptr;
    FARPROC m_unRegisterComponent = nullptr;
    FARPROC m_setComponentWnd = nullptr;
    FARPROC m_execApplication = nullptr;
    FindWindowFunction m_findKTXWindow = nullptr;
    mirravon::unique_hmodule m_module;
    bool m_bound = false;
};

// How a wait passes time between two searches; tests drive the wait without
// spending it.
class WaitClock {
public:
    virtual void Sleep(DWORD milliseconds) = 0;

protected:
    ~WaitClock() = default;
};

WaitClock& SystemWaitClock();

// One component of the tool, named by its number, on a given system library.
class CKtxComponent {
public:
    static constexpr int kMaxPolls = 61;
    static constexpr DWORD kPollIntervalMs = 1000;

    CKtxComponent(std::int32_t number, CKtxSystemLibrary& library, WaitClock& clock = SystemWaitClock()) noexcept
        : m_number(number), m_library(&library), m_clock(&clock) {}

    // Searches up to 61 times, 1000 ms apart, for the component's window; null
    // when it never comes. Code 1 from binding the library.
    HWND WaitForWindow();

    // WaitForWindow, then restores a minimized window and brings it to the front.
    HWND ActivateWindow();

private:
    std::int32_t m_number;
    CKtxSystemLibrary* m_library;
    WaitClock* m_clock;
};

}  // namespace toolbridge
