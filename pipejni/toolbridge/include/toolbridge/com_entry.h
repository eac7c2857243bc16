// Which threads the library entered into COM. It enters the threads it is told
// of (the loading thread and every thread started after the load) and, on its
// first call to the tool, a thread that existed before the load; each leaves
// exactly what the library entered: a thread whose entry was refused, for
// example one already in a multithreaded apartment, keeps its own COM use.
#pragma once

namespace toolbridge {

// Load: before the first entry. Without it (a test program that enters COM
// itself) the other functions do nothing.
void StartComEntries() noexcept;
// Unload: after the last leave.
void EndComEntries() noexcept;

// A thread the library is told of: a single-threaded apartment (CoInitialize).
void EnterCom() noexcept;
// Before a COM call: enters a thread that was never offered an entry.
void EnsureComEntered() noexcept;
// A thread's end, or the unloading thread: leaves what EnterCom entered.
void LeaveCom() noexcept;

}  // namespace toolbridge
