// The one way native code fails on a system error: the error is read first,
// before a line or a clean-up can overwrite it, then the debugger line that
// names the failing call is written, then the failure is thrown as the
// library's own kind. Header only, so that every program that compiles a
// library's sources (a peer of the other architecture, say) has it too.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>
#include <type_traits>
#include <utility>

namespace mirravon {

// One line on the debugger output, without a line end.
inline void DebugLine(const std::string& line) { ::OutputDebugStringA(line.c_str()); }

// A number the way "%d" prints it.
inline std::string DecimalText(unsigned long value) { return std::to_string(static_cast<long>(value)); }

// The system error code as tavrodvxjni throws it: by value, as GetLastError gave it.
using SystemErrorCode = unsigned long;

// Writes `lead` followed by `code` in decimal to the debugger output (no line
// when `lead` is empty), then throws: `code` itself when `Failure` is the
// system error code, else a `Failure` (a kind that carries nothing).
template <typename Failure = SystemErrorCode>
[[noreturn]] void FailWithError(SystemErrorCode code, std::string_view lead = {}) {
    if (!lead.empty()) DebugLine(std::string(lead) + DecimalText(code));
    if constexpr (std::is_same_v<Failure, SystemErrorCode>) throw code;
    else throw Failure{};
}

// FailWithError with GetLastError, read before anything else runs. `lead` is a
// text or a callable that makes one; a callable is called only after the read,
// so building the line cannot change the code it reports.
template <typename Failure = SystemErrorCode, typename Lead = std::string_view>
[[noreturn]] void FailWithLastError(Lead&& lead = {}) {
    const SystemErrorCode code = ::GetLastError();
    if constexpr (std::is_invocable_v<Lead>) FailWithError<Failure>(code, std::forward<Lead>(lead)());
    else FailWithError<Failure>(code, std::forward<Lead>(lead));
}

}  // namespace mirravon
