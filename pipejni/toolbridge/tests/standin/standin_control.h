// Control surface of the stand-ins for the test tool, for the test programs.
//
// The stand-in automation server is an in-process COM server DLL
// (drovix_standin_server.dll). The bridge creates its object through COM, in the
// test's own process, so the test loads the same module by path and steers it
// through the exports below. The stand-in system library (kvxsys.dll variants)
// is steered the same way once the bridge has loaded it.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

extern "C" {
// ---- drovix_standin_server.dll
// Forgets the journal and every failure set below; objects stay alive.
typedef void(__cdecl* StandInServer_Reset_t)();
// Non-zero: the class factory refuses to make an object (E_FAIL).
typedef void(__cdecl* StandInServer_FailCreation_t)(int fail);
// GetIDsOfNames answers `answer` (DISP_E_UNKNOWNNAME, or a failure of its
// own) for this method name (null: none).
typedef void(__cdecl* StandInServer_ForgetMethod_t)(const wchar_t* method, HRESULT answer);
// Invoke of this method (null: none) raises DISP_E_EXCEPTION; the exception
// information carries `description`, or no description when it is null.
typedef void(__cdecl* StandInServer_RaiseOn_t)(const wchar_t* method, const wchar_t* description);
// Each Invoke takes this long (0: no time); a call that begins while another is
// under way is marked in the journal.
typedef void(__cdecl* StandInServer_SlowCalls_t)(DWORD milliseconds);
// Copies the journal (UTF-8 lines, each ending in "\n") into `buffer`; returns the
// size it needs, terminator included.
typedef int(__cdecl* StandInServer_CopyJournal_t)(char* buffer, int size);
// Also appends each journal line to the file `path` (null: no file); the local
// server program's journal is read this way.
typedef void(__cdecl* StandInServer_JournalTo_t)(const char* path);
// Objects made and still alive.
typedef long(__cdecl* StandInServer_ObjectsCreated_t)();
typedef long(__cdecl* StandInServer_ObjectsAlive_t)();

// ---- kvxsys.dll (stand-in)
// How often FindKTXWindow was called since the last reset, and with which number.
typedef int(__cdecl* StandInKvxsys_FindCount_t)();
typedef int(__cdecl* StandInKvxsys_LastNumber_t)();
typedef void(__cdecl* StandInKvxsys_Reset_t)();
// From the `poll`-th call on (1-based), FindKTXWindow answers `window` instead of
// searching; 0 ends the override.
typedef void(__cdecl* StandInKvxsys_AnswerFrom_t)(int poll, HWND window);
}

namespace standin {

// Window class of the stand-in tool's main window (kvdrovix.exe), by which the
// stand-in kvxsys.dll and the tests find it.
inline constexpr const char kMainWindowClass[] = "KvDrovixStandInMain";

// The local server program holds this mutex while it runs, and ends at once,
// leaving its clients, when this event is set.
inline constexpr const char kLocalServerRunningMutex[] = "ToolbridgeStandInLocalServerRunning";
inline constexpr const char kLocalServerQuitEvent[] = "ToolbridgeStandInLocalServerQuit";

// The stand-in server's CLSID, registered under the tool's ProgID.
inline constexpr const char kServerClsid[] = "{6A1D2C7E-4B3F-4E21-9C55-2F8B1D0E7A41}";

}  // namespace standin
