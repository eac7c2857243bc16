// The guard around every CKestrum operation that can fail: its own exception
// passes unchanged, any other (bad_alloc of a string, say) becomes one.
#pragma once

#include "mirravon/guarded_call.h"
#include "tavroos/kestrum.h"

namespace tavroos {

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

}  // namespace tavroos
