// Entry point of tavroos: loading and unloading need nothing beyond the
// runtime's own start-up and shut-down.
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID) { return TRUE; }
