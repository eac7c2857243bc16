// A platform for the fuzz targets: no files, no registry, every program missing;
// every string-table block is `block`.
#pragma once

#include "stelvo/platform.h"

#include <cstdlib>

namespace stelvo_fuzz {

class FuzzPlatform : public stelvo::Platform {
public:
    FuzzPlatform();

    std::u16string block;  // "%s [-h]" in every slot unless a target sets it
    bool isUserAnAdmin() override { return false; }
    bool pathIsRelative(const std::string& path) override {
        return !(!path.empty() && path[0] == '\\') && !(path.size() >= 2 && path[1] == ':');
    }
    bool folderPath(int, std::string& path) override {
        path = "C:\\folder";
        return true;
    }
    stelvo::RegistryRead readRegistryValue(stelvo::RegistryRoot, stelvo::RegistryView, const std::string&,
                                           const std::string&, std::string&) override {
        return stelvo::RegistryRead::KeyNotOpened;
    }
    stelvo::FileKind fileKind(const std::string&) override { return stelvo::FileKind::Missing; }
    std::unique_ptr<stelvo::ChunkReader> openFile(const std::string&) override { return nullptr; }
    stelvo::OwnPath ownProgramPath(std::u16string&) override { return stelvo::OwnPath::NoAnswer; }
    bool shortPath(const std::u16string&, std::u16string&) override { return false; }
    // Latin-1, and the characters U+4E00 to U+4EFF as two bytes each, as a
    // double-byte code page holds them.
    bool ansiFromUtf16(std::u16string_view text, std::string& ansi) override;
    bool currentDirectory(std::string& dir) override {
        dir = "C:\\cwd";
        return true;
    }
    bool environmentVariable(const std::string&, std::string& value) override {
        value = "C:\\a;;.;..\\b";
        return true;
    }
    bool systemDirectory(std::string& dir) override {
        dir = "C:\\windows\\system32";
        return true;
    }
    std::string ansiToUtf8(const std::string& text) override { return text; }
    unsigned short userLanguage() override { return 0x0409; }
    bool stringTableBlock(unsigned, unsigned short, std::u16string& units) override {
        units = block;
        return true;
    }
    void messageBox(const std::u16string& text, const std::u16string& title, unsigned) override;
    long runAndWait(const std::string&, const std::string&) override { return -1; }
    bool startProcess(const std::string&, const std::string&) override { return false; }
};

// Ends the run as a crash when an invariant does not hold.
inline void require(bool condition) {
    if (!condition) std::abort();
}

}  // namespace stelvo_fuzz
