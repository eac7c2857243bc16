// A stand-in for the agent and for its setup program: it records the command
// line it received and ends with a scripted exit code.
//
// Its script is "<base name>.cfg", read from the folder named by the environment
// variable STANDIN_CONFIG_DIR, else from the program's own folder. Lines key=value:
//   record=FILE     append the command line to FILE (default: "<program>.record" beside it)
//   restarts=N      end with 23 while FILE holds fewer than N lines (before this run's line)
//   code=N          the exit code otherwise (default 0)
//   reg_root=HKLM|HKCU, reg_key=KEY   write the values "location" and "version" there
//   ref_file=FILE   write "location=" and "version=" lines to FILE
//   location=, version=               the values to write
//   not_holding=FILE  end with 32 (a sharing violation) when this process holds a
//                     handle to FILE, as one inherited from the process that started it
// Without a script it only records, and ends with 0.
#include "mirravon/unique_owner.h"

#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <string>

namespace {

std::string ownPath() {
    char buffer[MAX_PATH] = {};
    const DWORD length = ::GetModuleFileNameA(nullptr, buffer, MAX_PATH);
    return std::string(buffer, length);
}

std::map<std::string, std::string> readScript(const std::string& program) {
    const std::size_t slash = program.rfind('\\');
    std::string base = program.substr(slash + 1);
    const std::size_t dot = base.rfind('.');
    if (dot != std::string::npos) base.resize(dot);
    std::string folder = program.substr(0, slash);
    char configured[MAX_PATH] = {};
    const DWORD got = ::GetEnvironmentVariableA("STANDIN_CONFIG_DIR", configured, MAX_PATH);
    if (got > 0 && got < MAX_PATH) folder = configured;
    std::map<std::string, std::string> script;
    std::ifstream in(folder + "\\" + base + ".cfg");
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        const std::size_t eq = line.find('=');
        if (eq != std::string::npos) script[line.substr(0, eq)] = line.substr(eq + 1);
    }
    return script;
}

int countLines(const std::string& file) {
    std::ifstream in(file);
    std::string line;
    int lines = 0;
    while (std::getline(in, line)) ++lines;
    return lines;
}

void writeRegistry(const std::map<std::string, std::string>& script) {
    const HKEY root =
        script.count("reg_root") && script.at("reg_root") == "HKCU" ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE;
    HKEY key = nullptr;
    if (::RegCreateKeyExA(root, script.at("reg_key").c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr) !=
        ERROR_SUCCESS)
        return;
    for (const char* name : {"location", "version"}) {
        auto it = script.find(name);
        if (it == script.end()) continue;
        ::RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(it->second.c_str()),
                         static_cast<DWORD>(it->second.size() + 1));
    }
    ::RegCloseKey(key);
}

// Whether one of this process's handles refers to the file at `path`: the
// first 1024 handle values (where a small process's handles lie) are tried one
// by one and compared by volume and file index.
bool holdsHandleTo(const std::string& path) {
    const mirravon::unique_hfile target(::CreateFileA(path.c_str(), FILE_READ_ATTRIBUTES,
                                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                                      OPEN_EXISTING, 0, nullptr));
    BY_HANDLE_FILE_INFORMATION wanted;
    if (!target || !::GetFileInformationByHandle(target.get(), &wanted)) return false;
    for (std::uintptr_t value = 4; value < 4 * 1024; value += 4) {
        const HANDLE handle = reinterpret_cast<HANDLE>(value);
        DWORD flags = 0;
        BY_HANDLE_FILE_INFORMATION seen;
        if (handle == target.get() || !::GetHandleInformation(handle, &flags) ||
            ::GetFileType(handle) != FILE_TYPE_DISK || !::GetFileInformationByHandle(handle, &seen))
            continue;
        if (seen.dwVolumeSerialNumber == wanted.dwVolumeSerialNumber && seen.nFileIndexHigh == wanted.nFileIndexHigh &&
            seen.nFileIndexLow == wanted.nFileIndexLow)
            return true;
    }
    return false;
}

}  // namespace

int main() {
    const std::string program = ownPath();
    const std::map<std::string, std::string> script = readScript(program);
    const auto value = [&](const char* key, const std::string& fallback) {
        auto it = script.find(key);
        return it == script.end() ? fallback : it->second;
    };
    const std::string record = value("record", program + ".record");
    const int before = countLines(record);
    {
        std::ofstream out(record, std::ios::app);
        out << ::GetCommandLineA() << "\n";
    }
    if (before < std::atoi(value("restarts", "0").c_str())) return 23;
    if (script.count("not_holding") && holdsHandleTo(script.at("not_holding"))) return ERROR_SHARING_VIOLATION;
    if (script.count("reg_key")) writeRegistry(script);
    if (script.count("ref_file")) {
        std::ofstream ref(script.at("ref_file"));
        ref << "location=" << value("location", "") << "\nversion=" << value("version", "") << "\n";
    }
    return static_cast<int>(std::strtol(value("code", "0").c_str(), nullptr, 10));
}
