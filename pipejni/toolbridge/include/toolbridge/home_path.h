// Rules for the tool's home directory and the paths made from it, free of any
// system call so that they can be checked anywhere. Texts are narrow texts in
// the process's ANSI code page, which may be a double-byte one.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace toolbridge {

// Width of the home directory and of a path joined from it, terminator included.
inline constexpr std::size_t kToolPathLimit = 260;

// Tells whether a byte starts a two-byte character in the code page at hand.
using LeadBytePredicate = bool (*)(unsigned char byte);

// True when the text's last character is a backslash. A trail byte that happens
// to equal a backslash (possible in double-byte code pages) is not one.
bool EndsWithBackslash(std::string_view text, LeadBytePredicate isLeadByte);

// The home directory kept for a value of the tool's environment variable: empty
// for an empty value, otherwise the value ending in a backslash (appended when
// missing). A value that would not fit kToolPathLimit is treated as unset: a cut
// path would name some other directory.
std::string ToolHomeFromValue(std::string_view value, LeadBytePredicate isLeadByte);

// `home` followed by `name`, or nothing when the two do not fit kToolPathLimit.
std::optional<std::string> JoinToolPath(std::string_view home, std::string_view name);

}  // namespace toolbridge
