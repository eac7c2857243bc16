// Runs programs as debuggees and collects what they write with OutputDebugStringA.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace mirravon_test {

struct DebuggeeRun {
    std::string commandLine;
    bool started = false;
    bool exited = false;  // false: still running at the deadline (then terminated)
    DWORD exitCode = 0;
    std::vector<std::string> lines;  // in the order the debuggee wrote them
};

// Starts every command line under this thread as debugger and runs the debug
// loop until all have exited or `timeoutMs` has passed.
std::vector<DebuggeeRun> RunUnderDebugger(const std::vector<std::string>& commandLines, DWORD timeoutMs);

// Runs this very program again as a debuggee, with `arguments` after its path
// (a mode its main() knows), and collects its lines as RunUnderDebugger does.
DebuggeeRun RunSelfUnderDebugger(const std::string& arguments, DWORD timeoutMs);

// Compares captured lines with expected ones: "{n}" in an expected line matches a
// decimal number (with an optional minus), a leading "+" lets the line repeat
// one or more times. Returns "" when they match, else a description.
std::string CompareLines(const std::vector<std::string>& expected, const std::vector<std::string>& actual);

}  // namespace mirravon_test
