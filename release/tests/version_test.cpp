// Reads the deliverables' version resources back the way Windows Explorer and
// installers do (GetFileVersionInfo), and stelvo.exe's manifest the way the
// loader does (an activation context from the resource).
#include "mirravon_test/wine_paths.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::string g_version;
std::vector<std::string> g_files;  // stelvo.exe first, in the 32-bit tree only

struct VersionInfo {
    std::vector<BYTE> data;

    bool load(const std::string& path) {
        DWORD ignored = 0;
        const DWORD size = ::GetFileVersionInfoSizeA(path.c_str(), &ignored);
        if (size == 0) return false;
        data.resize(size);
        return ::GetFileVersionInfoA(path.c_str(), 0, size, data.data()) != FALSE;
    }
    const VS_FIXEDFILEINFO* fixed() {
        VS_FIXEDFILEINFO* info = nullptr;
        UINT length = 0;
        if (!::VerQueryValueA(data.data(), "\\", reinterpret_cast<void**>(&info), &length)) return nullptr;
        return length >= sizeof(VS_FIXEDFILEINFO) ? info : nullptr;
    }
    std::string text(const char* name) {
        char* value = nullptr;
        UINT length = 0;
        const std::string query = std::string("\\StringFileInfo\\040904b0\\") + name;
        if (!::VerQueryValueA(data.data(), query.c_str(), reinterpret_cast<void**>(&value), &length) || !value)
            return {};
        return std::string(value);
    }
};

std::string baseName(const std::string& path) { return path.substr(path.find_last_of("\\/") + 1); }

std::string dotted(DWORD ms, DWORD ls) {
    return std::to_string(HIWORD(ms)) + "." + std::to_string(LOWORD(ms)) + "." + std::to_string(HIWORD(ls)) + "." +
           std::to_string(LOWORD(ls));
}

}  // namespace

TEST(Release, EveryDeliverableCarriesTheOneVersion) {
    ASSERT_GE(g_files.size(), 2u);
    for (const std::string& file : g_files) {
        SCOPED_TRACE(file);
        VersionInfo info;
        ASSERT_TRUE(info.load(file));
        const VS_FIXEDFILEINFO* fixed = info.fixed();
        ASSERT_NE(fixed, nullptr);
        EXPECT_EQ(fixed->dwSignature, 0xFEEF04BDu);
        EXPECT_EQ(dotted(fixed->dwFileVersionMS, fixed->dwFileVersionLS), g_version + ".0");
        EXPECT_EQ(dotted(fixed->dwProductVersionMS, fixed->dwProductVersionLS), g_version + ".0");
        EXPECT_EQ(info.text("FileVersion"), g_version);
        EXPECT_EQ(info.text("ProductVersion"), g_version);
        EXPECT_EQ(info.text("OriginalFilename"), baseName(file));
        EXPECT_EQ(info.text("CompanyName"), "Varnex Quorel");
        EXPECT_EQ(info.text("ProductName"), "Mirravon");
        EXPECT_FALSE(info.text("FileDescription").empty());
    }
}

// A full load, not a data mapping: imports bound and the DLLs' start-up code
// run (the runtime's and the stack protector's set-up). Stripping or signing a
// binary must not break either.
TEST(Release, EveryDeliverableLoads) {
    for (const std::string& file : g_files) {
        SCOPED_TRACE(file);
        HMODULE module = ::LoadLibraryA(file.c_str());
        ASSERT_NE(module, nullptr) << "LoadLibraryA error " << ::GetLastError();
        ::FreeLibrary(module);
    }
}

TEST(Release, StelvoManifestIsPresentAndAccepted) {
    if (g_files.size() < 3) GTEST_SKIP() << "stelvo.exe is built in the 32-bit tree only";
    HMODULE exe = ::LoadLibraryExA(g_files[0].c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(exe, nullptr);
    HRSRC found = ::FindResourceA(exe, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24));
    ASSERT_NE(found, nullptr) << "no manifest resource 1";
    const char* text = static_cast<const char*>(::LockResource(::LoadResource(exe, found)));
    const std::string manifest(text, ::SizeofResource(exe, found));
    ::FreeLibrary(exe);
    EXPECT_NE(manifest.find("level=\"asInvoker\""), std::string::npos);
    EXPECT_NE(manifest.find("Microsoft.Windows.Common-Controls"), std::string::npos);
    EXPECT_NE(manifest.find("supportedOS"), std::string::npos);
    EXPECT_NE(manifest.find("dpiAware"), std::string::npos);
    EXPECT_NE(manifest.find("version=\"" + g_version + ".0\""), std::string::npos);

    // The loader's own parser must accept it: a malformed manifest makes the
    // program unstartable on Windows.
    std::wstring path(g_files[0].begin(), g_files[0].end());
    ACTCTXW context = {};
    context.cbSize = sizeof(context);
    context.dwFlags = ACTCTX_FLAG_RESOURCE_NAME_VALID;
    context.lpSource = path.c_str();
    context.lpResourceName = MAKEINTRESOURCEW(1);
    HANDLE handle = ::CreateActCtxW(&context);
    EXPECT_NE(handle, INVALID_HANDLE_VALUE) << "CreateActCtxW error " << ::GetLastError();
    if (handle != INVALID_HANDLE_VALUE) ::ReleaseActCtx(handle);
}

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    if (argc != 5 && argc != 4) {
        fprintf(stderr, "usage: %s VERSION [stelvo.exe] tavrodvxjni.dll tavroos.dll\n", argv[0]);
        return 2;
    }
    g_version = argv[1];
    for (int i = 2; i < argc; ++i) g_files.push_back(mirravon_test::toWindowsPath(argv[i]));
    return RUN_ALL_TESTS();
}
