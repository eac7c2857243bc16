// The one exception guard of the libraries: run some work and, when it throws,
// let the caller's handler decide what the failure becomes. Each library passes
// its own handler (which exceptions map to what, the result of a failed call).
#pragma once

#include <utility>

namespace mirravon {

// `onFailure` runs inside the catch block, so it may re-raise the exception
// being handled with `throw;` to tell its kind, throw another one in its place,
// or return the result the failed call gives.
template <typename Work, typename OnFailure>
auto GuardedCall(Work&& work, OnFailure&& onFailure) -> decltype(std::forward<Work>(work)()) {
    try {
        return std::forward<Work>(work)();
    } catch (...) {
        return std::forward<OnFailure>(onFailure)();
    }
}

}  // namespace mirravon
