// A platform for the fuzz targets: no files, no registry, every program missing.
#pragma once

#include "stelvo/platform.h"

#include <cstdlib>

namespace stelvo_fuzz {

class FuzzPlatform : public stelvo::Platform {
public:
    bool isUserAnAdmin() override { return false; }
    bool pathIsRelative(const std::string& path) override {
        return !(!path.empty() && path[0] == '\\') && !(path.size() >= 2 && path[1] == ':');
    }
    bool folderPath(int, std::string& path) override {
        path = "C:\\folder";
        return true;
    }
    stelvo::RegistryRead readRegistryValue(stelvo::RegistryRoot, const std::string&, const std::string&,
                                           std::string&) override {
        return stelvo::RegistryRead::KeyNotOpened;
    }
    stelvo::FileKind fileKind(const std::string&) override { return stelvo::FileKind::Missing; }
    bool readFile(const std::string&, std::string&) override { return false; }
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
    bool messageText(unsigned, std::u16string& text) override;
    void messageBox(const std::u16string& text, const std::u16string& title, unsigned) override;
    long runAndWait(const std::string&, const std::string&) override { return -1; }
    bool startProcess(const std::string&, const std::string&) override { return false; }
};

// Ends the run as a crash when an invariant does not hold.
inline void require(bool condition) {
    if (!condition) std::abort();
}

}  // namespace stelvo_fuzz
