// Test-side handles on the stand-ins for the test tool, shared by the bridge's
// test programs. Paths come from the build as host paths.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>
#include <mirravon/registry.h>
#include <mirravon/unique_owner.h>
#include <mirravon_test/caller.h>
#include <mirravon_test/to_utf8.h>
#include <mirravon_test/win32_test_support.h>
#include <mirravon_test/wine_paths.h>

#include <string>
#include <vector>

#include "standin/standin_control.h"

namespace toolbridge_test {

inline std::string serverPath() { return mirravon_test::toWindowsPath(TOOLBRIDGE_STANDIN_SERVER); }
// A tool home with the complete stand-in "kvxsys.dll".
inline std::string fullHome() { return mirravon_test::toWindowsPath(TOOLBRIDGE_KVXSYS_FULL_DIR); }
// A tool home whose "kvxsys.dll" lacks "ExecApplication".
inline std::string lackingHome() { return mirravon_test::toWindowsPath(TOOLBRIDGE_KVXSYS_LACKING_DIR); }
// A directory without any "kvxsys.dll".
inline std::string emptyHome() { return mirravon_test::toWindowsPath(TOOLBRIDGE_EMPTY_DIR); }
// The stand-in automation server as a local server program of the other architecture.
inline std::string otherArchitectureLocalServerPath() {
    return mirravon_test::toWindowsPath(TOOLBRIDGE_LOCAL_SERVER_OTHER);
}
// The stand-in automation server as a local server program of this architecture.
inline std::string localServerPath() { return mirravon_test::toWindowsPath(TOOLBRIDGE_LOCAL_SERVER); }
// The stand-in automation server built for the other architecture.
inline std::string otherArchitectureServerPath() {
    return mirravon_test::toWindowsPath(TOOLBRIDGE_STANDIN_SERVER_OTHER);
}
// A tool home whose complete "kvxsys.dll" is of the other architecture.
inline std::string otherArchitectureHome() { return mirravon_test::toWindowsPath(TOOLBRIDGE_KVXSYS_OTHER_DIR); }
// The tool's main program as the machine has it: on a 64-bit Windows one of the
// other architecture (a 64-bit tool beside the 32-bit library under WOW64, a
// 32-bit one beside the 64-bit library), whose window is found all the same.
inline std::string kvdrovixPath() {
    return mirravon_test::toWindowsPath(mirravon_test::RunningOn64BitWindows() ? TOOLBRIDGE_KVDROVIX_OTHER_EXE
                                                                               : TOOLBRIDGE_KVDROVIX_EXE);
}
// Where the tool's installer writes its App Paths entry: the 64-bit view on a
// 64-bit Windows. Wine keeps one App Paths key for both views.
inline mirravon::RegistryView toolKeyView() {
    return mirravon_test::RunningUnderWow64() ? mirravon::RegistryView::Bits64 : mirravon::RegistryView::Default;
}

template <typename F> F exportOf(HMODULE module, const char* name) {
    return reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

// The stand-in automation server, loaded by the test from the same path COM
// loads it from, so that both see one module and one journal.
class StandInServer {
public:
    StandInServer() {
        m_module = LoadLibraryA(serverPath().c_str());
        if (m_module == nullptr) {
            ADD_FAILURE() << "cannot load " << serverPath() << ": " << GetLastError();
            return;
        }
        registerServer();
        exportOf<StandInServer_Reset_t>(m_module, "StandInServer_Reset")();
    }
    ~StandInServer() {
        if (!m_localJournal.empty()) {
            // Under Wine the server keeps the object that the global interface
            // table held, so the program is ended rather than waited for.
            endLocalServer();
            DeleteFileA(m_localJournal.c_str());
            // The next test starts from the in-process registration alone.
            unregisterServer();
        }
        if (m_module) {
            exportOf<StandInServer_Reset_t>(m_module, "StandInServer_Reset")();
            FreeLibrary(m_module);
        }
    }
    StandInServer(const StandInServer&) = delete;
    StandInServer& operator=(const StandInServer&) = delete;

    void registerServer(mirravon_test::Caller where = {}) {
        const mirravon_test::CallerTrace trace(where);
        auto reg = exportOf<HRESULT(__stdcall*)()>(m_module, "DllRegisterServer");
        ASSERT_EQ(reg(), S_OK);
    }
    void unregisterServer() { exportOf<HRESULT(__stdcall*)()>(m_module, "DllUnregisterServer")(); }
    // The class registered with `path` as its in-process server instead of this one.
    void registerInprocServerAt(const std::string& path, mirravon_test::Caller where = {}) {
        setServerKey("InprocServer32", path, where);
    }
    // The class registered with the program `path` as its local server only.
    void registerLocalServerAt(const std::string& path, const std::string& arguments = {},
                               mirravon_test::Caller where = {}) {
        setServerKey("LocalServer32", "\"" + path + "\"" + (arguments.empty() ? "" : " " + arguments), where);
        RegDeleteTreeA(HKEY_LOCAL_MACHINE, (classKey() + "\\InprocServer32").c_str());
    }

    // The class served by the local server program `path` alone, whose journal
    // this object reads from then on.
    void useLocalServer(const std::string& path, mirravon_test::Caller where = {}) {
        char folder[MAX_PATH] = {};
        GetTempPathA(MAX_PATH, folder);
        m_localJournal = std::string(folder) + "toolbridge-local-server-journal.txt";
        DeleteFileA(m_localJournal.c_str());
        registerLocalServerAt(path, "--journal \"" + m_localJournal + "\"", where);
    }
    // Ends the local server program at once, as a tool that exits or crashes does.
    void endLocalServer() {
        mirravon::unique_handle quit(OpenEventA(EVENT_MODIFY_STATE, FALSE, standin::kLocalServerQuitEvent));
        if (quit) SetEvent(quit.get());
        waitForLocalServerEnd();
    }

    void failCreation(bool fail) {
        exportOf<StandInServer_FailCreation_t>(m_module, "StandInServer_FailCreation")(fail);
    }
    void forgetMethod(const wchar_t* method, HRESULT answer = DISP_E_UNKNOWNNAME) {
        exportOf<StandInServer_ForgetMethod_t>(m_module, "StandInServer_ForgetMethod")(method, answer);
    }
    void raiseOn(const wchar_t* method, const wchar_t* description) {
        exportOf<StandInServer_RaiseOn_t>(m_module, "StandInServer_RaiseOn")(method, description);
    }
    void slowCalls(DWORD milliseconds) {
        exportOf<StandInServer_SlowCalls_t>(m_module, "StandInServer_SlowCalls")(milliseconds);
    }
    long objectsCreated() {
        return exportOf<StandInServer_ObjectsCreated_t>(m_module, "StandInServer_ObjectsCreated")();
    }
    long objectsAlive() { return exportOf<StandInServer_ObjectsAlive_t>(m_module, "StandInServer_ObjectsAlive")(); }

    // Every journal line since the last call (the journal is emptied); the
    // local server's when one serves the class.
    std::vector<std::string> takeJournal() {
        std::string text;
        if (!m_localJournal.empty()) {
            text = readLocalJournal();
        } else {
            auto copy = exportOf<StandInServer_CopyJournal_t>(m_module, "StandInServer_CopyJournal");
            text.assign(static_cast<size_t>(copy(nullptr, 0)), '\0');
            copy(&text[0], static_cast<int>(text.size()));
            text.resize(text.size() - 1);
        }
        std::vector<std::string> lines;
        size_t start = 0;
        for (size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1)
            lines.push_back(text.substr(start, end - start));
        exportOf<StandInServer_Reset_t>(m_module, "StandInServer_Reset")();
        return lines;
    }

private:
    std::string readLocalJournal() {
        mirravon::unique_hfile file(CreateFileA(m_localJournal.c_str(), GENERIC_READ | DELETE,
                                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file) return {};
        std::string text(static_cast<size_t>(GetFileSize(file.get(), nullptr)), '\0');
        DWORD read = 0;
        if (!text.empty()) ReadFile(file.get(), &text[0], static_cast<DWORD>(text.size()), &read, nullptr);
        text.resize(read);
        file.reset();
        DeleteFileA(m_localJournal.c_str());
        // IDispatch's standard proxy always hands the server a result slot,
        // whatever the caller passed.
        for (size_t at; (at = text.find(" [result slot]")) != std::string::npos;) text.erase(at, 14);
        return text;
    }
    // The server program holds its mutex until it ends (an ended one leaves it abandoned).
    static void waitForLocalServerEnd() {
        mirravon::unique_handle running(OpenMutexA(SYNCHRONIZE, FALSE, standin::kLocalServerRunningMutex));
        if (!running) return;
        const DWORD waited = WaitForSingleObject(running.get(), 60000);
        EXPECT_TRUE(waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED) << "the local server did not end";
        if (waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED) ReleaseMutex(running.get());
    }
    static std::string classKey() {
        CLSID clsid = {};
        if (CLSIDFromProgID(L"Dvxcomsvr.DrovixComServer", &clsid) != S_OK) return {};
        wchar_t text[64] = {};
        StringFromGUID2(clsid, text, 64);
        return "Software\\Classes\\CLSID\\" + mirravon_test::toUtf8(text);
    }
    static void setServerKey(const char* kind, const std::string& value, mirravon_test::Caller where) {
        const mirravon_test::CallerTrace trace(where);
        const std::string key = classKey();
        ASSERT_FALSE(key.empty()) << "the ProgID is not registered";
        ASSERT_EQ(RegSetKeyValueA(HKEY_LOCAL_MACHINE, (key + "\\" + kind).c_str(), nullptr, REG_SZ, value.c_str(),
                                  static_cast<DWORD>(value.size() + 1)),
                  ERROR_SUCCESS);
    }

    HMODULE m_module = nullptr;
    std::string m_localJournal;  // empty: the in-process server serves the class
};

// The stand-in "kvxsys.dll" that the bridge loaded into this process, if any.
class LoadedKvxsys {
public:
    LoadedKvxsys() : m_module(GetModuleHandleA("kvxsys.dll")) {}
    bool loaded() const { return m_module != nullptr; }
    int findCount() const {
        return m_module ? exportOf<StandInKvxsys_FindCount_t>(m_module, "StandInKvxsys_FindCount")() : -1;
    }
    int lastNumber() const {
        return m_module ? exportOf<StandInKvxsys_LastNumber_t>(m_module, "StandInKvxsys_LastNumber")() : -1;
    }
    void reset() const {
        if (m_module) exportOf<StandInKvxsys_Reset_t>(m_module, "StandInKvxsys_Reset")();
    }
    void answerFrom(int poll, HWND window) const {
        if (m_module) exportOf<StandInKvxsys_AnswerFrom_t>(m_module, "StandInKvxsys_AnswerFrom")(poll, window);
    }

private:
    HMODULE m_module;
};

// Restores the current directory and the tool's environment variable.
class ProcessStateGuard {
public:
    ProcessStateGuard() {
        char dir[MAX_PATH] = {};
        GetCurrentDirectoryA(MAX_PATH, dir);
        m_dir = dir;
    }
    ~ProcessStateGuard() {
        SetCurrentDirectoryA(m_dir.c_str());
        SetEnvironmentVariableA("QUORL_KVHOME", nullptr);
    }
    const std::string& directory() const { return m_dir; }

private:
    std::string m_dir;
};

inline std::string currentDirectory() {
    char dir[MAX_PATH] = {};
    GetCurrentDirectoryA(MAX_PATH, dir);
    return dir;
}

// Windows paths compare without regard to case.
inline bool samePath(const std::string& a, const std::string& b) { return lstrcmpiA(a.c_str(), b.c_str()) == 0; }

}  // namespace toolbridge_test
