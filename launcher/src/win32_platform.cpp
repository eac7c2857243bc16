#include "win32_platform.h"

#include "string_table_block.h"

#include "mirravon/ansi_text.h"
#include "mirravon/registry.h"
#include "mirravon/sized_text.h"
#include "mirravon/unique_owner.h"
#include "stelvo/paths.h"
#include "stelvo/utf8.h"

#include <windows.h>
#include <shlobj.h>
#include <shlwapi.h>

#include <algorithm>
#include <memory>
#include <optional>
#include <vector>

namespace stelvo {
namespace {

// A disk file read chunk by chunk; the handle closes with the reader.
class Win32FileReader final : public ChunkReader {
public:
    explicit Win32FileReader(mirravon::unique_hfile file) : m_file(std::move(file)) {}
    std::size_t read(char* buffer, std::size_t room) override {
        DWORD got = 0;
        const DWORD wanted = static_cast<DWORD>(std::min<std::size_t>(room, MAXDWORD));
        if (!::ReadFile(m_file.get(), buffer, wanted, &got, nullptr)) return 0;
        return got;
    }

private:
    mirravon::unique_hfile m_file;
};

// Creates the process; the handles come back owned.
bool createProcess(const std::string& program, const std::string& commandLine, mirravon::unique_handle& process) {
    if (program.empty()) return false;
    std::vector<char> line(commandLine.begin(), commandLine.end());
    line.push_back('\0');
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    if (!::CreateProcessA(program.c_str(), line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &info))
        return false;
    mirravon::unique_handle thread(info.hThread);
    process.reset(info.hProcess);
    return true;
}

}  // namespace

bool Win32Platform::isUserAnAdmin() { return ::IsUserAnAdmin() != FALSE; }

bool Win32Platform::pathIsRelative(const std::string& path) { return ::PathIsRelativeA(path.c_str()) != FALSE; }

bool Win32Platform::folderPath(int csidl, std::string& path) {
    char buffer[MAX_PATH] = {};
    if (FAILED(::SHGetFolderPathA(nullptr, csidl, nullptr, 0, buffer))) return false;
    // The function's room is fixed, and its conversion to ANSI may leave a path
    // that filled it without a terminator: that is no answer. A terminated path
    // is whole (a longer one fails the call); the fields' widths judge it.
    return textInFixedRoom(buffer, sizeof buffer, path);
}

RegistryRead Win32Platform::readRegistryValue(RegistryRoot root, RegistryView view, const std::string& key,
                                              const std::string& name, std::string& data) {
    mirravon::RegistryKey opened;
    const LONG status =
        opened.Open(root == RegistryRoot::LocalMachine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER, key.c_str(), KEY_READ,
                    view == RegistryView::Other ? mirravon::OtherView() : mirravon::RegistryView::Default);
    if (status != ERROR_SUCCESS) return RegistryRead::KeyNotOpened;
    std::vector<BYTE> bytes;
    if (opened.ReadValue(name.c_str(), mirravon::RegistryTypes::Any(), bytes) != ERROR_SUCCESS)
        return RegistryRead::ValueAbsent;
    data.assign(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    return RegistryRead::Read;
}

FileKind Win32Platform::fileKind(const std::string& path) {
    const DWORD attributes = ::GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return FileKind::Missing;
    return (attributes & FILE_ATTRIBUTE_DIRECTORY) ? FileKind::Other : FileKind::Regular;
}

std::unique_ptr<ChunkReader> Win32Platform::openFile(const std::string& path) {
    mirravon::unique_hfile file(::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                              OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!file) return nullptr;
    // A console, a serial port, a pipe or a device may block a read or never
    // end; only a disk file counts as one that could be opened.
    if (::GetFileType(file.get()) != FILE_TYPE_DISK) return nullptr;
    return std::make_unique<Win32FileReader>(std::move(file));
}

OwnPath Win32Platform::ownProgramPath(std::u16string& path) {
    std::wstring wide(kLongestPath, L'\0');
    const DWORD length = ::GetModuleFileNameW(nullptr, &wide[0], static_cast<DWORD>(wide.size()));
    if (length == 0) return OwnPath::NoAnswer;
    // The whole room: the path was cut.
    if (length >= wide.size()) return OwnPath::Unusable;
    path.assign(reinterpret_cast<const char16_t*>(wide.data()), length);
    return OwnPath::Given;
}

bool Win32Platform::shortPath(const std::u16string& path, std::u16string& shortForm) {
    const auto* longPath = reinterpret_cast<const wchar_t*>(path.c_str());
    // A path that changed between the size query and the read has no answer.
    const std::optional<std::wstring> found = mirravon::TextOfSizedCall<wchar_t>(
        [&](wchar_t* buffer, DWORD room) { return ::GetShortPathNameW(longPath, buffer, room); });
    if (!found) return false;
    shortForm.assign(reinterpret_cast<const char16_t*>(found->data()), found->size());
    return true;
}

bool Win32Platform::ansiFromUtf16(std::u16string_view text, std::string& ansi) {
    // A character that the code page holds only as a look-alike or as its
    // default character would name another file or setting.
    std::optional<std::string> exact =
        mirravon::AnsiFromWideExactly(reinterpret_cast<const wchar_t*>(text.data()), text.size());
    if (!exact) return false;
    ansi = std::move(*exact);
    return true;
}

bool Win32Platform::currentDirectory(std::string& dir) {
    std::vector<char> buffer(kCurrentDirectoryRoom + 1);
    const DWORD length = ::GetCurrentDirectoryA(static_cast<DWORD>(buffer.size()), buffer.data());
    if (length == 0 || length > kCurrentDirectoryRoom) return false;
    dir.assign(buffer.data(), length);
    return true;
}

bool Win32Platform::environmentVariable(const std::string& name, std::string& value) {
    const std::optional<std::string> found = mirravon::TextOfSizedCall<char>(
        [&](char* buffer, DWORD room) { return ::GetEnvironmentVariableA(name.c_str(), buffer, room); });
    if (!found) return false;
    value = *found;
    return true;
}

bool Win32Platform::systemDirectory(std::string& dir) {
    char buffer[MAX_PATH + 1] = {};
    const UINT length = ::GetSystemDirectoryA(buffer, sizeof buffer);
    if (length == 0 || length >= sizeof buffer) return false;
    dir.assign(buffer, length);
    return true;
}

std::string Win32Platform::ansiToUtf8(const std::string& text) {
    const std::optional<std::wstring> wide = mirravon::WideFromAnsi(text.data(), text.size());
    if (!wide) return {};
    return utf16ToUtf8(std::u16string(wide->begin(), wide->end()));
}

unsigned short Win32Platform::userLanguage() { return ::GetUserDefaultLangID(); }

bool Win32Platform::stringTableBlock(unsigned block, unsigned short language, std::u16string& units) {
    return loadStringTableBlock(nullptr, block, language, units);
}

void Win32Platform::messageBox(const std::u16string& text, const std::u16string& title, unsigned style) {
    ::MessageBoxW(nullptr, reinterpret_cast<const wchar_t*>(text.c_str()),
                  reinterpret_cast<const wchar_t*>(title.c_str()), MB_OK | style);
}

long Win32Platform::runAndWait(const std::string& program, const std::string& commandLine) {
    mirravon::unique_handle process;
    if (!createProcess(program, commandLine, process)) return -1;
    ::WaitForSingleObject(process.get(), INFINITE);
    DWORD code = 0;
    if (!::GetExitCodeProcess(process.get(), &code)) return -1;
    return static_cast<long>(code);
}

bool Win32Platform::startProcess(const std::string& program, const std::string& commandLine) {
    mirravon::unique_handle process;
    return createProcess(program, commandLine, process);
}

}  // namespace stelvo
