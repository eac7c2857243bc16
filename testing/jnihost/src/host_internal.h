// Helpers shared by the host's source files.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "host_state.h"
#include "mirravon_test/to_utf8.h"

namespace jnihost {

using mirravon_test::toUtf8;
std::u16string fromUtf8(std::string_view text);  // also reads modified UTF-8
std::string toModifiedUtf8(std::u16string_view text);

char typeLetter(const std::string& descriptor);  // 'L' for objects and arrays
bool parseFieldDescriptor(const std::string& descriptor);
bool parseMethodDescriptor(const std::string& descriptor, std::vector<std::string>& params, std::string& ret);
std::size_t elementSize(char letter);

void fillFunctionTable(Vm& vm);

}  // namespace jnihost
