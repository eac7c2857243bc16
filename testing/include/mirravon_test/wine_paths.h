// Paths handed to Windows test programs by CTest are host paths; under Wine the
// host's root is drive Z:.
#pragma once

#include <string>

namespace mirravon_test {

inline std::string toWindowsPath(std::string path) {
    if (!path.empty() && path[0] == '/') path = "Z:" + path;
    for (char& c : path)
        if (c == '/') c = '\\';
    return path;
}

}  // namespace mirravon_test
