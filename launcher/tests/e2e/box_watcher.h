// Finds the message boxes of one process, records what they show and presses OK.
#pragma once

#include <windows.h>

#include <atomic>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

namespace stelvo_e2e {

enum class IconKind { Unknown, None, Error, Information, Warning, Question };

struct SeenBox {
    std::wstring title;
    std::wstring text;
    IconKind icon = IconKind::Unknown;
};

class BoxWatcher {
public:
    explicit BoxWatcher(DWORD processId);
    ~BoxWatcher();
    BoxWatcher(const BoxWatcher&) = delete;
    BoxWatcher& operator=(const BoxWatcher&) = delete;

    // Stops watching; the boxes seen so far.
    std::vector<SeenBox> stop();

private:
    void run();
    static BOOL CALLBACK visit(HWND window, LPARAM self);

    DWORD m_processId;
    std::atomic<bool> m_stop{false};
    std::mutex m_mutex;
    std::vector<SeenBox> m_boxes;
    std::set<HWND> m_pressed;
    std::thread m_thread;
};

}  // namespace stelvo_e2e
