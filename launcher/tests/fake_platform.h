// A platform for driving the launcher's logic without Windows: files, folders,
// registry and environment are maps; started programs answer through a script.
#pragma once

#include "stelvo/platform.h"

#include <functional>
#include <map>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace stelvo_test {

using stelvo::FileKind;
using stelvo::RegistryRead;
using stelvo::RegistryRoot;
using stelvo::RegistryView;

struct Box {
    std::u16string text;
    std::u16string title;
    unsigned style;
};

struct Start {
    std::string program;
    std::string commandLine;
    bool waited;
};

class FakePlatform : public stelvo::Platform {
public:
    FakePlatform();

    bool admin = false;
    std::map<std::string, std::string> files;
    // The most bytes one read of an opened file hands over.
    std::size_t readChunk = static_cast<std::size_t>(-1);
    // How many times a file was opened.
    int opens = 0;
    // The launcher's own path as the system gives it, in UTF-8; empty: the
    // system gives none, or (ownPathCut) one that was cut.
    std::string ownPath;
    bool ownPathCut = false;
    // Short forms of paths, in UTF-8; a path not here has none.
    std::map<std::string, std::string> shortPaths;
    std::set<std::string> folders;
    std::map<std::string, std::string> environment;
    std::string currentDir = "C:\\work";
    bool currentDirFits = true;
    std::string systemDir = "C:\\windows\\system32";
    std::map<int, std::string> shellFolders;
    // Each value's data as the system would hand it over, in the default view
    // and in the other one.
    using Registry = std::map<std::pair<RegistryRoot, std::string>, std::map<std::string, std::string>>;
    Registry registry;
    Registry otherView;
    // The string tables of the user's language (English texts by default); an
    // empty map: that language has none.
    std::map<unsigned, std::u16string> messages;
    // The tables of further languages; none by default.
    std::map<unsigned short, std::map<unsigned, std::u16string>> otherTables;
    unsigned short language = 0x0409;
    std::vector<Box> boxes;
    std::vector<Start> starts;
    // Answers each run: given the program and the command line, its exit code.
    std::function<long(const Start&)> onRun;
    bool processesCreatable = true;
    int adminQueries = 0;

    bool isUserAnAdmin() override;
    bool pathIsRelative(const std::string& path) override;
    bool folderPath(int csidl, std::string& path) override;
    RegistryRead readRegistryValue(RegistryRoot root, RegistryView view, const std::string& key,
                                   const std::string& name, std::string& data) override;
    FileKind fileKind(const std::string& path) override;
    std::unique_ptr<stelvo::ChunkReader> openFile(const std::string& path) override;
    stelvo::OwnPath ownProgramPath(std::u16string& path) override;
    bool shortPath(const std::u16string& path, std::u16string& shortForm) override;
    // The ANSI code page here is Latin-1.
    bool ansiFromUtf16(std::u16string_view text, std::string& ansi) override;
    bool currentDirectory(std::string& dir) override;
    bool environmentVariable(const std::string& name, std::string& value) override;
    bool systemDirectory(std::string& dir) override;
    // The ANSI code page here is Latin-1.
    std::string ansiToUtf8(const std::string& text) override;
    unsigned short userLanguage() override;
    // The block is made from `messages` (or `otherTables`); a block none of whose ids is there does not exist.
    bool stringTableBlock(unsigned block, unsigned short language, std::u16string& units) override;
    void messageBox(const std::u16string& text, const std::u16string& title, unsigned style) override;
    long runAndWait(const std::string& program, const std::string& commandLine) override;
    bool startProcess(const std::string& program, const std::string& commandLine) override;

    // The boxes' texts as UTF-8, for readable expectations.
    std::string boxText(std::size_t i) const;
    std::string boxTitle(std::size_t i) const;
};

// `utf8` as a file written in UTF-16 with its byte-order mark.
std::string utf16File(std::string_view utf8, bool bigEndian = false);

}  // namespace stelvo_test
