// The launcher's platform on Win32.
#pragma once

#include "stelvo/platform.h"

#include <cstddef>

namespace stelvo {

class Win32Platform final : public Platform {
public:
    bool isUserAnAdmin() override;
    bool pathIsRelative(const std::string& path) override;
    bool folderPath(int csidl, std::string& path) override;
    RegistryRead readRegistryValue(RegistryRoot root, RegistryView view, const std::string& key,
                                   const std::string& name, std::string& data) override;
    FileKind fileKind(const std::string& path) override;
    std::unique_ptr<ChunkReader> openFile(const std::string& path) override;
    OwnPath ownProgramPath(std::u16string& path) override;
    bool shortPath(const std::u16string& path, std::u16string& shortForm) override;
    bool ansiFromUtf16(std::u16string_view text, std::string& ansi) override;
    bool currentDirectory(std::string& dir) override;
    bool environmentVariable(const std::string& name, std::string& value) override;
    bool systemDirectory(std::string& dir) override;
    std::string ansiToUtf8(const std::string& text) override;
    unsigned short userLanguage() override;
    bool stringTableBlock(unsigned block, unsigned short language, std::u16string& units) override;
    void messageBox(const std::u16string& text, const std::u16string& title, unsigned style) override;
    long runAndWait(const std::string& program, const std::string& commandLine) override;
    bool startProcess(const std::string& program, const std::string& commandLine) override;
};

// The longest path the system has (in UTF-16 units, with the "\\?\" prefix).
constexpr std::size_t kLongestPath = 32768;

}  // namespace stelvo
