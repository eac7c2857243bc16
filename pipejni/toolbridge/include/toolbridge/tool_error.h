// The bridge's failures, thrown as the library's `user_err_t` records.
#pragma once

#include <cstdint>
#include <initializer_list>

namespace toolbridge {

// Codes the Java side knows; there is no code 2.
inline constexpr std::int32_t kToolLibraryFailed = 1;      // "kvxsys.dll" [, function]
inline constexpr std::int32_t kAutomationNotCreated = 3;   // ProgID
inline constexpr std::int32_t kAutomationNameUnknown = 4;  // ProgID, method
inline constexpr std::int32_t kAutomationException = 5;    // the tool's description

// Throws a `user_err_t` with `code` and `args` (the record copies the texts).
[[noreturn]] void RaiseToolError(std::int32_t code, std::initializer_list<const char*> args);

}  // namespace toolbridge
