// How tavroos fails inside: the guard around every CKestrum operation that can
// fail, and the one way to fail on a system error.
#pragma once

#include <string>

#include "mirravon/guarded_call.h"
#include "mirravon/system_failure.h"
#include "tavroos/kestrum.h"

namespace tavroos {

// Its own exception passes unchanged, any other (bad_alloc of a string, say)
// becomes one.
template <typename Body> auto Guard(Body body) -> decltype(body()) {
    using Result = decltype(body());
    return mirravon::GuardedCall(body, []() -> Result {
        try {
            throw;
        } catch (const KestrumUnmanagedException&) {
            throw;
        } catch (...) {
            throw KestrumUnmanagedException{};
        }
    });
}

// Java learns only that something failed (an empty KestrumException), so the
// debugger line says what: "tavroos: <call> failed with error <code>".
inline std::string FailureLead(const char* call) { return std::string("tavroos: ") + call + " failed with error "; }

// Throws KestrumUnmanagedException after the line for `call` and `code`.
[[noreturn]] inline void FailCall(const char* call, unsigned long code) {
    mirravon::FailWithError<KestrumUnmanagedException>(code, FailureLead(call));
}
// The same with GetLastError, read before the line is made.
[[noreturn]] inline void FailLastCall(const char* call) {
    mirravon::FailWithLastError<KestrumUnmanagedException>([call] { return FailureLead(call); });
}

}  // namespace tavroos
