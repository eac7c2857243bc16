// Launcher overhead under Wine: stelvo.exe -wait with an installed agent
// (settings, discovery, command line, the agent's run) against running the
// agent directly, over repeated runs; then the time and peak memory of one run
// over a 600 MB (sparse) settings file. Prints figures; not a test.
//   launcher_benchmark STELVO_EXE STANDIN_EXE [RUNS]
#include "mirravon_test/child_process.h"
#include "mirravon_test/scratch_dir.h"
#include "mirravon_test/win32_test_support.h"
#include "mirravon_test/wine_paths.h"

#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

namespace {

// Seconds from the start of `commandLine` to its end; -1 when it did not start
// or end within two minutes. With `memory`: the highest peaks seen while it ran
// (Wine reads another process's counters only while the process lives).
double runSeconds(const std::string& program, const std::string& commandLine, DWORD& code,
                  PROCESS_MEMORY_COUNTERS* memory = nullptr) {
    const double start = mirravon_test::Now();
    const mirravon_test::ChildProcess child(commandLine, program);
    const DWORD step = memory != nullptr ? 5 : 120000;
    for (DWORD waited = 0; !child.wait(step); waited += step) {
        if (!child.started() || waited + step >= 120000) return -1;
        PROCESS_MEMORY_COUNTERS now{};
        now.cb = sizeof now;
        if (::GetProcessMemoryInfo(child.handle(), &now, sizeof now)) {
            memory->PeakWorkingSetSize = std::max(memory->PeakWorkingSetSize, now.PeakWorkingSetSize);
            memory->PeakPagefileUsage = std::max(memory->PeakPagefileUsage, now.PeakPagefileUsage);
        }
    }
    code = child.exitCode();
    return mirravon_test::Now() - start;
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s STELVO_EXE STANDIN_EXE [RUNS]\n", argv[0]);
        return 2;
    }
    const int runs = argc > 3 ? std::atoi(argv[3]) : 10;
    const mirravon_test::ScratchDir folder(L"stelvo-benchmark");
    const std::string dir = folder.ansiPath() + "\\";
    ::CopyFileA(mirravon_test::toWindowsPath(argv[1]).c_str(), (dir + "stelvo.exe").c_str(), FALSE);
    ::CopyFileA(mirravon_test::toWindowsPath(argv[2]).c_str(), (dir + "agent.exe").c_str(), FALSE);
    std::ofstream(dir + "agent.cfg") << "record=" << dir << "agent.record\n";
    std::ofstream(dir + "agent.properties") << "location=" << dir << "\nversion=1.0\n";
    std::ofstream(dir + "stelvo.ini") << "[MANAGER]\nLOCATION_FILE=<CURRDIR>agent.properties\nVERSION=1.0\n"
                                         "LAUNCHER=agent.exe\n";

    std::vector<double> direct, launched;
    for (int i = 0; i < runs; ++i) {
        DWORD code = 0;
        direct.push_back(runSeconds(dir + "agent.exe", "\"" + dir + "agent.exe\"", code));
        launched.push_back(runSeconds(dir + "stelvo.exe", "\"" + dir + "stelvo.exe\" -wait", code));
        if (code != 0 || direct.back() < 0 || launched.back() < 0) {
            std::fprintf(stderr, "run %d failed (exit code %lu)\n", i, static_cast<unsigned long>(code));
            return 1;
        }
    }
    const double a = median(direct), b = median(launched);
    std::printf("runs: %d\n", runs);
    std::printf("agent directly:             median %.3f s (min %.3f, max %.3f)\n", a,
                *std::min_element(direct.begin(), direct.end()), *std::max_element(direct.begin(), direct.end()));
    std::printf("agent through stelvo -wait: median %.3f s (min %.3f, max %.3f)\n", b,
                *std::min_element(launched.begin(), launched.end()),
                *std::max_element(launched.begin(), launched.end()));
    std::printf("launcher overhead:          %.3f s per run, ratio %.2f\n", b - a, b / a);

    // A settings file of 600 MB: a section header, zeros, the version at its end.
    const std::string big = dir + "big\\";
    ::CreateDirectoryA(big.c_str(), nullptr);
    ::CopyFileA((dir + "stelvo.exe").c_str(), (big + "stelvo.exe").c_str(), FALSE);
    if (!mirravon_test::WriteSparseFile(big + "stelvo.ini", "[MANAGER]\n", 600LL << 20, "\nVERSION=9.9\n")) {
        std::fprintf(stderr, "cannot make the 600 MB settings file\n");
        return 1;
    }
    DWORD code = 0;
    PROCESS_MEMORY_COUNTERS memory{};
    memory.cb = sizeof memory;
    const double seconds = runSeconds(big + "stelvo.exe", "\"" + big + "stelvo.exe\" -silent", code, &memory);
    std::printf("600 MB settings file:       %.3f s, exit code %lu, peak working set %.1f MB, peak private %.1f MB\n",
                seconds, static_cast<unsigned long>(code), static_cast<double>(memory.PeakWorkingSetSize) / 1048576.0,
                static_cast<double>(memory.PeakPagefileUsage) / 1048576.0);
    return seconds < 0 ? 1 : 0;
}
