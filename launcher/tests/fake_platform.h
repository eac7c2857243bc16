// A platform for driving the launcher's logic without Windows: files, folders,
// registry and environment are maps; started programs answer through a script.
#pragma once

#include "stelvo/platform.h"

#include <functional>
#include <map>
#include <set>
#include <string>
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
    // The launcher's own path as the system gives it; empty: the system gives
    // none, or (ownPathUnusable) one the ANSI code page cannot hold.
    std::string ownPath;
    bool ownPathUnusable = false;
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
    stelvo::OwnPath ownProgramPath(std::string& path) override;
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

}  // namespace stelvo_test
