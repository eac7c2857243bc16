#include "tavroos/queries.h"

#include <vector>

#include "tavroos/registry_reader.h"

namespace tavroos {

namespace {

constexpr DWORD kEnvironmentUnits = 4096;
constexpr int kSizedReads = 4;
constexpr std::size_t kRegistryResultUnits = 500;

BStr ReadMachineString(const wchar_t* subKey, const wchar_t* valueName, mirravon::RegistryView view) {
    wchar_t buffer[kRegistryResultUnits] = {};
    ReadStringValue(HKEY_LOCAL_MACHINE, subKey, valueName, buffer, kRegistryResultUnits, view);
    return BStr(buffer);
}

}  // namespace

BStr ReadEnvironmentVariable(const BStr& name, EnvironmentQuery query) {
    wchar_t buffer[kEnvironmentUnits] = {};
    DWORD length = query(name.c_str(), buffer, kEnvironmentUnits);
    if (length < kEnvironmentUnits) return BStr(buffer, length);
    // A longer value (PATH often is) is read whole rather than given as "". One
    // that grows between the size query and the read is sized again, a few
    // times: a value that keeps outgrowing its room (another thread writing it,
    // or an answer the room never satisfies) gives "", as a value that did not
    // fit always did, instead of a loop without end.
    std::vector<wchar_t> large;
    for (int read = 0; read < kSizedReads; ++read) {
        large.assign(length, L'\0');
        length = query(name.c_str(), large.data(), static_cast<DWORD>(large.size()));
        if (length < large.size()) return BStr(large.data(), length);
    }
    return BStr(L"");
}

// Visual Studio 7.1 and 8.0 exist only as 32-bit programs: their keys are in
// the 32-bit view, which a 64-bit build of this library must name, and a
// 64-bit view key of that name is no installation of theirs.
BStr ReadNetInstallDir() {
    wchar_t buffer[kRegistryResultUnits] = {};
    if (!ReadStringValue(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\VisualStudio\\7.1", L"InstallDir", buffer,
                         kRegistryResultUnits, mirravon::RegistryView::Bits32))
        ReadStringValue(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\VisualStudio\\8.0", L"InstallDir", buffer,
                        kRegistryResultUnits, mirravon::RegistryView::Bits32);
    return BStr(buffer);
}

// The maker's test product, like its agent controller, may be installed as a
// program of either kind.
BStr ReadQftNetAssemblyName() {
    return ReadMachineString(L"SOFTWARE\\Quorel Software\\Quorel Test\\8", L"Quorel FT Net Assembly Name",
                             mirravon::RegistryView::DefaultThenOther);
}

}  // namespace tavroos
