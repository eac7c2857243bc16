#include "mirravon_test/debugger_capture.h"

#include <cctype>
#include <map>
#include <sstream>

#include "mirravon_test/child_process.h"

namespace mirravon_test {

std::vector<DebuggeeRun> RunUnderDebugger(const std::vector<std::string>& commandLines, DWORD timeoutMs) {
    std::vector<DebuggeeRun> runs(commandLines.size());
    std::vector<ChildProcess> children;
    std::map<DWORD, std::size_t> byProcess;
    std::size_t running = 0;
    for (std::size_t i = 0; i < commandLines.size(); ++i) {
        runs[i].commandLine = commandLines[i];
        children.emplace_back(commandLines[i], std::string(), std::string(), DEBUG_ONLY_THIS_PROCESS);
        if (!children.back().started()) continue;
        runs[i].started = true;
        byProcess[children.back().id()] = i;
        ++running;
    }
    const ULONGLONG deadline = ::GetTickCount64() + timeoutMs;
    while (running > 0 && ::GetTickCount64() < deadline) {
        DEBUG_EVENT ev{};
        if (!::WaitForDebugEvent(&ev, 200)) continue;
        DWORD status = DBG_CONTINUE;
        auto it = byProcess.find(ev.dwProcessId);
        switch (ev.dwDebugEventCode) {
        case CREATE_PROCESS_DEBUG_EVENT:
            // The event's process and thread handles are the system's to close.
            if (ev.u.CreateProcessInfo.hFile) ::CloseHandle(ev.u.CreateProcessInfo.hFile);
            break;
        case LOAD_DLL_DEBUG_EVENT:
            if (ev.u.LoadDll.hFile) ::CloseHandle(ev.u.LoadDll.hFile);
            break;
        case OUTPUT_DEBUG_STRING_EVENT: {
            const OUTPUT_DEBUG_STRING_INFO& info = ev.u.DebugString;
            std::string text(info.nDebugStringLength, '\0');
            SIZE_T got = 0;
            if (!info.fUnicode && it != byProcess.end() &&
                ::ReadProcessMemory(children[it->second].handle(), info.lpDebugStringData, &text[0], text.size(),
                                    &got)) {
                text.resize(got);
                while (!text.empty() && text.back() == '\0') text.pop_back();
                runs[it->second].lines.push_back(text);
            }
            break;
        }
        case EXCEPTION_DEBUG_EVENT:
            // The loader's breakpoint is ours to pass; anything else is the debuggee's.
            if (ev.u.Exception.ExceptionRecord.ExceptionCode != EXCEPTION_BREAKPOINT)
                status = DBG_EXCEPTION_NOT_HANDLED;
            break;
        case EXIT_PROCESS_DEBUG_EVENT:
            if (it != byProcess.end()) {
                runs[it->second].exited = true;
                runs[it->second].exitCode = ev.u.ExitProcess.dwExitCode;
                --running;
            }
            break;
        default: break;
        }
        ::ContinueDebugEvent(ev.dwProcessId, ev.dwThreadId, status);
    }
    for (const auto& [pid, index] : byProcess) {
        if (!runs[index].exited) children[index].terminate(255);
        ::DebugActiveProcessStop(pid);
    }
    return runs;
}

namespace {

bool LineMatches(const std::string& pattern, const std::string& line) {
    std::size_t p = 0;
    std::size_t l = 0;
    while (p < pattern.size()) {
        if (pattern.compare(p, 3, "{n}") == 0) {
            if (l < line.size() && line[l] == '-') ++l;
            const std::size_t start = l;
            while (l < line.size() && std::isdigit(static_cast<unsigned char>(line[l]))) ++l;
            if (l == start) return false;
            p += 3;
            continue;
        }
        if (l >= line.size() || line[l] != pattern[p]) return false;
        ++p;
        ++l;
    }
    return l == line.size();
}

}  // namespace

DebuggeeRun RunSelfUnderDebugger(const std::string& arguments, DWORD timeoutMs) {
    char self[MAX_PATH];
    const DWORD length = ::GetModuleFileNameA(nullptr, self, MAX_PATH);
    if (length == 0 || length == MAX_PATH) return DebuggeeRun{};
    return RunUnderDebugger({"\"" + std::string(self, length) + "\" " + arguments}, timeoutMs).front();
}

std::string CompareLines(const std::vector<std::string>& expected, const std::vector<std::string>& actual) {
    std::size_t a = 0;
    for (std::size_t e = 0; e < expected.size(); ++e) {
        const bool repeats = !expected[e].empty() && expected[e][0] == '+';
        const std::string pattern = repeats ? expected[e].substr(1) : expected[e];
        std::ostringstream why;
        if (a >= actual.size() || !LineMatches(pattern, actual[a])) {
            why << "line " << a + 1 << ": expected \"" << pattern << "\", got "
                << (a < actual.size() ? "\"" + actual[a] + "\"" : std::string("nothing"));
            return why.str();
        }
        ++a;
        while (repeats && a < actual.size() && LineMatches(pattern, actual[a])) ++a;
    }
    if (a != actual.size()) return "unexpected line " + std::to_string(a + 1) + ": \"" + actual[a] + "\"";
    return {};
}

}  // namespace mirravon_test
