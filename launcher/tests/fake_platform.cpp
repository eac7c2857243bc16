#include "fake_platform.h"

#include "stelvo/messages.h"
#include "stelvo/utf8.h"

namespace stelvo_test {

FakePlatform::FakePlatform() {
    messages = {
        {1, u"Cannot open INI file: %s\n"},
        {2004, u"Usage:"},
        {2005, u"%s [-h] [-input INPUT_FILE] [-silent] [-installerArgs arg1 arg2...] [-managerArgs arg1 arg2 ...]"},
        {2006, u"Error"},
        {2011, u"Quillmont version %s or later cannot be found."},
        {2013, u"The installer for Quillmont cannot be found.  \nInstaller Location=%s"},
        {2015,
         u"The installer encountered an error when installing Quillmont.  Installation has discontinued. "
         u"\nReturn Code=%d"},
        {2017,
         u"Quillmont version %s or later cannot be found.  Check the product documentation for software "
         u"prerequisites to ensure that your system meets the installation requirements."},
    };
    shellFolders = {{stelvo::kFolderPersonal, "C:\\users\\u\\Documents"},
                    {stelvo::kFolderProfile, "C:\\users\\u"},
                    {stelvo::kFolderAppData, "C:\\users\\u\\AppData\\Roaming"},
                    {stelvo::kFolderCommonAppData, "C:\\ProgramData"}};
    files[systemDir + "\\msiexec.exe"] = "";
}

bool FakePlatform::isUserAnAdmin() {
    ++adminQueries;
    return admin;
}

bool FakePlatform::pathIsRelative(const std::string& path) {
    if (!path.empty() && path[0] == '\\') return false;
    return !(path.size() >= 2 && path[1] == ':');
}

bool FakePlatform::folderPath(int csidl, std::string& path) {
    auto it = shellFolders.find(csidl);
    if (it == shellFolders.end()) return false;
    path = it->second;
    return true;
}

RegistryRead FakePlatform::readRegistryValue(RegistryRoot root, RegistryView view, const std::string& key,
                                             const std::string& name, std::string& data) {
    const Registry& inView = view == RegistryView::Default ? registry : otherView;
    auto it = inView.find({root, key});
    if (it == inView.end()) return RegistryRead::KeyNotOpened;
    auto value = it->second.find(name);
    if (value == it->second.end()) return RegistryRead::ValueAbsent;
    data = value->second;
    return RegistryRead::Read;
}

FileKind FakePlatform::fileKind(const std::string& path) {
    if (files.count(path)) return FileKind::Regular;
    if (folders.count(path)) return FileKind::Other;
    return FileKind::Missing;
}

namespace {

// A file's content, owned by the reader, handed over at most `chunk` bytes per read.
class ContentReader final : public stelvo::ChunkReader {
public:
    ContentReader(std::string content, std::size_t chunk) : m_content(std::move(content)), m_reader(m_content, chunk) {}
    std::size_t read(char* buffer, std::size_t room) override { return m_reader.read(buffer, room); }

private:
    std::string m_content;
    stelvo::MemoryReader m_reader;
};

}  // namespace

std::unique_ptr<stelvo::ChunkReader> FakePlatform::openFile(const std::string& path) {
    auto it = files.find(path);
    if (it == files.end()) return nullptr;
    ++opens;
    return std::make_unique<ContentReader>(it->second, readChunk);
}

stelvo::OwnPath FakePlatform::ownProgramPath(std::u16string& path) {
    if (ownPathCut) return stelvo::OwnPath::Unusable;
    if (ownPath.empty()) return stelvo::OwnPath::NoAnswer;
    path = stelvo::utf8ToUtf16(ownPath);
    return stelvo::OwnPath::Given;
}

bool FakePlatform::shortPath(const std::u16string& path, std::u16string& shortForm) {
    auto it = shortPaths.find(stelvo::utf16ToUtf8(path));
    if (it == shortPaths.end()) return false;
    shortForm = stelvo::utf8ToUtf16(it->second);
    return true;
}

bool FakePlatform::ansiFromUtf16(std::u16string_view text, std::string& ansi) {
    std::string latin1;
    for (char16_t unit : text) {
        if (unit > 0xFF) return false;
        latin1.push_back(static_cast<char>(unit));
    }
    ansi = std::move(latin1);
    return true;
}

bool FakePlatform::currentDirectory(std::string& dir) {
    if (!currentDirFits) return false;
    dir = currentDir;
    return true;
}

bool FakePlatform::environmentVariable(const std::string& name, std::string& value) {
    auto it = environment.find(name);
    if (it == environment.end()) return false;
    value = it->second;
    return true;
}

bool FakePlatform::systemDirectory(std::string& dir) {
    if (systemDir.empty()) return false;
    dir = systemDir;
    return true;
}

std::string FakePlatform::ansiToUtf8(const std::string& text) {
    std::u16string wide;
    for (char c : text) wide.push_back(static_cast<char16_t>(static_cast<unsigned char>(c)));
    return stelvo::utf16ToUtf8(wide);
}

unsigned short FakePlatform::userLanguage() { return language; }

bool FakePlatform::stringTableBlock(unsigned block, unsigned short lang, std::u16string& units) {
    const auto other = otherTables.find(lang);
    if ((lang != language && other == otherTables.end()) || block == 0) return false;
    const std::map<unsigned, std::u16string>& table = lang == language ? messages : other->second;
    units.clear();
    bool any = false;
    for (unsigned slot = 0; slot < stelvo::kStringTableSlots; ++slot) {
        auto it = table.find((block - 1) * stelvo::kStringTableSlots + slot);
        const std::u16string text = it == table.end() ? std::u16string() : it->second;
        any = any || it != table.end();
        units.push_back(static_cast<char16_t>(text.size()));
        units += text;
    }
    return any;
}

void FakePlatform::messageBox(const std::u16string& text, const std::u16string& title, unsigned style) {
    boxes.push_back({text, title, style});
}

long FakePlatform::runAndWait(const std::string& program, const std::string& commandLine) {
    starts.push_back({program, commandLine, true});
    if (!processesCreatable || program.empty()) return -1;
    return onRun ? onRun(starts.back()) : 0;
}

bool FakePlatform::startProcess(const std::string& program, const std::string& commandLine) {
    starts.push_back({program, commandLine, false});
    return processesCreatable && !program.empty();
}

std::string utf16File(std::string_view utf8, bool bigEndian) {
    std::string bytes = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
    for (const char16_t unit : stelvo::utf8ToUtf16(utf8)) {
        const char low = static_cast<char>(unit & 0xFF), high = static_cast<char>(unit >> 8);
        bytes += bigEndian ? std::string{high, low} : std::string{low, high};
    }
    return bytes;
}

std::string FakePlatform::boxText(std::size_t i) const { return stelvo::utf16ToUtf8(boxes.at(i).text); }
std::string FakePlatform::boxTitle(std::size_t i) const { return stelvo::utf16ToUtf8(boxes.at(i).title); }

}  // namespace stelvo_test
