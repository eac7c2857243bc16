// Everything the launcher asks of the operating system, behind one narrow
// interface: the Win32 implementation lives in the program, test doubles in the
// tests. Texts are byte strings in the ANSI code page unless named otherwise.
#pragma once

#include "stelvo/chunk_reader.h"

#include <memory>
#include <string>
#include <string_view>

namespace stelvo {

enum class FileKind { Missing, Regular, Other };
enum class RegistryRoot { LocalMachine, CurrentUser };
// The registry view a read asks for: this program's default one, or the other
// one (on a 64-bit Windows, where a 64-bit agent registers itself; a 32-bit
// Windows has one registry and answers both alike).
enum class RegistryView { Default, Other };
enum class RegistryRead { KeyNotOpened, ValueAbsent, Read };
// The system's answer for the launcher's own path.
enum class OwnPath { NoAnswer, Unusable, Given };

// Folder identifiers of the shell (the CSIDL values).
enum : int {
    kFolderPersonal = 5,
    kFolderAppData = 26,
    kFolderCommonAppData = 35,
    kFolderProfile = 40,
};

// The room for the current directory.
constexpr std::size_t kCurrentDirectoryRoom = 4096;

class Platform {
public:
    virtual ~Platform() = default;

    virtual bool isUserAnAdmin() = 0;
    virtual bool pathIsRelative(const std::string& path) = 0;
    // The folder's path without a trailing backslash; false when the system has none.
    virtual bool folderPath(int csidl, std::string& path) = 0;
    // One value of one key in the view asked for; which view to ask is the
    // caller's decision. Read: `data` holds the value's bytes as the system
    // gives them (ANSI text with its terminator for a string value), whatever
    // their size or type.
    virtual RegistryRead readRegistryValue(RegistryRoot root, RegistryView view, const std::string& key,
                                           const std::string& name, std::string& data) = 0;
    // Missing when the status cannot be read.
    virtual FileKind fileKind(const std::string& path) = 0;
    // The file opened for reading in chunks; null when it cannot be opened or
    // is not a disk file (a console, a port, a pipe or a device may never end).
    virtual std::unique_ptr<ChunkReader> openFile(const std::string& path) = 0;
    // The launcher's own program file as the system knows it, in UTF-16
    // (Given). Unusable: the system's path was cut; NoAnswer: the system gives none.
    virtual OwnPath ownProgramPath(std::u16string& path) = 0;
    // The short (8.3) form of an existing file's path; false when the system
    // gives none. Where a volume keeps no short names it is the path itself.
    virtual bool shortPath(const std::u16string& path, std::u16string& shortForm) = 0;
    // UTF-16 text in the ANSI code page, only when the code page holds every
    // character exactly (no best-fit look-alike, no default character).
    virtual bool ansiFromUtf16(std::u16string_view text, std::string& ansi) = 0;
    // False when the current directory does not fit kCurrentDirectoryRoom.
    virtual bool currentDirectory(std::string& dir) = 0;
    // False when the variable is not set.
    virtual bool environmentVariable(const std::string& name, std::string& value) = 0;
    // The Windows system folder (where msiexec.exe belongs), without a trailing backslash.
    virtual bool systemDirectory(std::string& dir) = 0;
    // An ANSI-code-page text (a path, a settings value) as UTF-8, for the boxes.
    virtual std::string ansiToUtf8(const std::string& text) = 0;
    // The user's default language identifier.
    virtual unsigned short userLanguage() = 0;
    // The string-table block `block` in `language` from the program's own
    // resources, as the 16-bit units it is stored in (slots are not read here);
    // false when no such block can be found or loaded.
    virtual bool stringTableBlock(unsigned block, unsigned short language, std::u16string& units) = 0;
    // A modal box with the OK button; `style` holds the icon flag.
    virtual void messageBox(const std::u16string& text, const std::u16string& title, unsigned style) = 0;
    // Runs the program with the command line and waits for it; its exit code,
    // or -1 when the process cannot be created.
    virtual long runAndWait(const std::string& program, const std::string& commandLine) = 0;
    // Creates the program's process and lets it run; false when it cannot be created.
    virtual bool startProcess(const std::string& program, const std::string& commandLine) = 0;
};

}  // namespace stelvo
