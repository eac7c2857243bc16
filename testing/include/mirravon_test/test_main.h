// main() of a test program that CTest hands paths on its command line (the
// program or DLL under test, a peer program): GoogleTest takes its options
// first, then each remaining argument fills the next path, as a Windows path.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <initializer_list>
#include <string>

#include "mirravon_test/wine_paths.h"

namespace mirravon_test {

// `usage` names the paths in order, e.g. "STELVO_EXE STANDIN_EXE".
inline int RunTestsWithPaths(int argc, char** argv, const char* usage, std::initializer_list<std::string*> paths) {
    ::testing::InitGoogleTest(&argc, argv);
    if (argc <= static_cast<int>(paths.size())) {
        std::fprintf(stderr, "usage: %s %s\n", argv[0], usage);
        return 2;
    }
    int next = 1;
    for (std::string* path : paths) *path = toWindowsPath(argv[next++]);
    return RUN_ALL_TESTS();
}

}  // namespace mirravon_test
