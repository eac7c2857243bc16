#include "tavroos/queries.h"

#include <vector>

#include "tavroos/registry_reader.h"

namespace tavroos {

namespace {

constexpr DWORD kEnvironmentUnits = 4096;
constexpr std::size_t kRegistryResultUnits = 500;

BStr ReadMachineString(const wchar_t* subKey, const wchar_t* valueName, mirravon::RegistryView view) {
    wchar_t buffer[kRegistryResultUnits] = {};
    ReadStringValue(HKEY_LOCAL_MACHINE, subKey, valueName, buffer, kRegistryResultUnits, view);
    return BStr(buffer);
}

}  // namespace

BStr ReadEnvironmentVariable(const BStr& name) {
    wchar_t buffer[kEnvironmentUnits] = {};
    const DWORD length = ::GetEnvironmentVariableW(name.c_str(), buffer, kEnvironmentUnits);
    if (length < kEnvironmentUnits) return BStr(buffer, length);
    // A longer value (PATH often is) is read whole rather than given as "";
    // the loop follows a value that grows between the calls.
    std::vector<wchar_t> large(length, L'\0');
    DWORD got = ::GetEnvironmentVariableW(name.c_str(), large.data(), static_cast<DWORD>(large.size()));
    while (got >= large.size()) {
        large.assign(got, L'\0');
        got = ::GetEnvironmentVariableW(name.c_str(), large.data(), static_cast<DWORD>(large.size()));
    }
    return BStr(large.data(), got);
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
