// The guard around every CKestrum operation that can fail: its own exception
// passes unchanged, any other (bad_alloc of a string, say) becomes one.
#pragma once

#include "tavroos/kestrum.h"

namespace tavroos::detail {

template <typename Body>
auto Guard(Body body) -> decltype(body()) {
    try {
        return body();
    } catch (const KestrumUnmanagedException&) {
        throw;
    } catch (...) {
        throw KestrumUnmanagedException{};
    }
}

}  // namespace tavroos::detail
