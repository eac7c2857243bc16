// Figures for tavroos, through its exports under the stand-in VM:
//  - listFiles on directories of 1,000, 10,000 and 100,000 entries, against one
//    plain FindFirstFileW/FindNextFileW pass over the same directory, as ratios;
//  - the per-call cost of getenv.
// usage: tavroos_bench [BASE_FOLDER] [SIZES, e.g. 1000,10000,100000] [TAVROOS_DLL]
// The folders are made under BASE_FOLDER on the first run and kept for the next.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "jnihost/jni_host.h"
#include "mirravon_test/win32_test_support.h"
#include "mirravon_test/wine_paths.h"
#include "tavroos/kestrum.h"
#include "tavroos/queries.h"

namespace {

#define OS_EXPORT(name) \
    "Java_com_varnex_quorel_mirravon_testmanagement_services_repository_core_OperatingSystemAPI_" name
#define WIN_EXPORT(name) \
    "Java_com_varnex_quorel_mirravon_testmanagement_services_repository_core_WindowsOperatingSystemAPI_" name

using mirravon_test::Now;

std::wstring Widen(const std::string& s) { return std::wstring(s.begin(), s.end()); }

int PlainPass(const std::wstring& dir) {
    WIN32_FIND_DATAW data;
    HANDLE find = ::FindFirstFileW((dir + L"\\*.*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return -1;
    int n = 1;
    while (::FindNextFileW(find, &data)) ++n;
    ::FindClose(find);
    return n;
}

// Makes `dir` hold exactly `count` files (besides "." and ".."), reusing an earlier run's.
bool Populate(const std::wstring& dir, int count) {
    ::CreateDirectoryW(dir.c_str(), nullptr);
    const int have = PlainPass(dir) - 2;
    if (have == count) return true;
    if (have > count) {
        std::fprintf(stderr, "%ls holds more than %d entries; use an empty base folder\n", dir.c_str(), count);
        return false;
    }
    std::printf("  making %d files in %ls ...\n", count - have, dir.c_str());
    std::fflush(stdout);
    const double start = Now();
    for (int i = 0; i < count; ++i) {
        wchar_t name[32];
        std::swprintf(name, 32, L"\\entry-%07d.dat", i);
        HANDLE h =
            ::CreateFileW((dir + name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (h != INVALID_HANDLE_VALUE) ::CloseHandle(h);
    }
    std::printf("  made in %.1f s\n", Now() - start);
    return PlainPass(dir) - 2 == count;
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
    const std::string dllPath = argc > 3 ? argv[3] : mirravon_test::toWindowsPath(TAVROOS_DLL);
    std::wstring base;
    if (argc > 1) {
        base = Widen(mirravon_test::toWindowsPath(argv[1]));
    } else {
        wchar_t temp[MAX_PATH + 1];
        const DWORD n = ::GetTempPathW(MAX_PATH + 1, temp);
        base = std::wstring(temp, n) + L"tavroos-bench";
    }
    std::vector<int> sizes{1000, 10000, 100000};
    if (argc > 2) {
        sizes.clear();
        for (const char* p = argv[2]; *p;) {
            char* end = nullptr;
            sizes.push_back(static_cast<int>(std::strtol(p, &end, 10)));
            p = *end ? end + 1 : end;
        }
    }
    ::CreateDirectoryW(base.c_str(), nullptr);

    jnihost::JniHost vm;
    vm.declareClientClasses();
    jnihost::Library dll(vm, dllPath);
    if (!dll.loaded()) {
        std::fprintf(stderr, "cannot load %s (error %lu)\n", dllPath.c_str(), dll.loadError());
        return 1;
    }
    jobject self = vm.newObject(jnihost::classes::kWindowsOperatingSystemAPI);

    std::printf("listFiles through the exports against one plain FindFirstFileW/FindNextFileW pass\n");
    std::printf("(native: the two CKestrum passes alone, without the VM)\n");
    std::printf("%10s %6s %10s %10s %8s %13s %8s\n", "entries", "runs", "plain ms", "native ms", "ratio",
                "listFiles ms", "ratio");
    for (int size : sizes) {
        const std::wstring dir = base + L"\\n" + std::to_wstring(size);
        if (!Populate(dir, size)) return 1;
        const int runs = size >= 100000 ? 3 : size >= 10000 ? 5 : 11;
        jstring path = vm.newString(std::u16string(dir.begin(), dir.end()));
        std::vector<double> plain, native, exported;
        const tavroos::BStr nativePath(dir.c_str());
        for (int r = 0; r < runs; ++r) {
            double t = Now();
            const int n = PlainPass(dir);
            plain.push_back(Now() - t);
            t = Now();
            {
                tavroos::CKestrum& kestrum = tavroos::CKestrum::GetInstance();
                const int count = kestrum.GetFStatCount(nativePath);
                std::vector<tavroos::FStatRecord> records(static_cast<std::size_t>(count));
                kestrum.GetFStats(nativePath, records.data(), count);
            }
            native.push_back(Now() - t);
            t = Now();
            jobjectArray array = vm.call<jobjectArray>(dll, WIN_EXPORT("listFiles"), self, path);
            exported.push_back(Now() - t);
            if (!array || vm.arrayLength(array) != n) {
                std::fprintf(stderr, "listFiles gave %d entries, the plain pass %d\n",
                             array ? static_cast<int>(vm.arrayLength(array)) : -1, n);
                return 1;
            }
            vm.deleteRef(array);
        }
        const double p = Median(plain) * 1000, n = Median(native) * 1000, e = Median(exported) * 1000;
        std::printf("%10d %6d %10.2f %10.2f %8.2f %13.2f %8.2f\n", size, runs, p, n, n / p, e, e / p);
        std::fflush(stdout);
    }

    std::printf("\ngetenv through the exports (median of 5 batches)\n");
    ::SetEnvironmentVariableW(L"TAVROOS_BENCH_SET", L"C:\\Program Files\\Varnex\\Quorel");
    ::SetEnvironmentVariableW(L"TAVROOS_BENCH_UNSET", nullptr);
    for (const char16_t* name : {u"TAVROOS_BENCH_SET", u"TAVROOS_BENCH_UNSET", u"PATH"}) {
        jstring jname = vm.newString(name);
        constexpr int kCalls = 2000;
        std::vector<double> batches;
        for (int b = 0; b < 5; ++b) {
            const double t = Now();
            for (int i = 0; i < kCalls; ++i) {
                jstring value = vm.call<jstring>(dll, OS_EXPORT("getenv"), self, jname);
                vm.deleteRef(value);
            }
            batches.push_back((Now() - t) / kCalls);
        }
        std::vector<double> direct;
        for (int b = 0; b < 5; ++b) {
            wchar_t buffer[4096];
            const std::wstring wname(name, name + std::char_traits<char16_t>::length(name));
            const double t = Now();
            for (int i = 0; i < kCalls; ++i) ::GetEnvironmentVariableW(wname.c_str(), buffer, 4096);
            direct.push_back((Now() - t) / kCalls);
        }
        std::vector<double> reader;
        for (int b = 0; b < 5; ++b) {
            const tavroos::BStr bname(std::wstring(name, name + std::char_traits<char16_t>::length(name)).c_str());
            const double t = Now();
            for (int i = 0; i < kCalls; ++i) tavroos::ReadEnvironmentVariable(bname);
            reader.push_back((Now() - t) / kCalls);
        }
        std::printf("  %-22ls %8.2f us per call (native read alone %.2f us, GetEnvironmentVariableW alone %.2f us)\n",
                    std::wstring(name, name + std::char_traits<char16_t>::length(name)).c_str(), Median(batches) * 1e6,
                    Median(reader) * 1e6, Median(direct) * 1e6);
    }
    return 0;
}
