// The frame of a JNI export, the same for both JNI libraries, and the one throw
// helper: nothing native may unwind into the VM, so every export runs its work
// here and a failure ends as a pending Java exception and the export's empty
// result.
#pragma once

#include <jni.h>

#include <utility>

#include "mirravon/guarded_call.h"

namespace mirravon::jni {

// Thrown when a JNI call failed and left its own Java exception pending: the
// export must return at once, making no JNI call but the few JNI allows then.
struct PendingException {};

// Leaves `className`(message) pending through ThrowNew (UTF-8 message). An
// exception already pending stays the one Java receives; a class the VM cannot
// find leaves the VM's own error pending.
void ThrowNew(JNIEnv* env, const char* className, const char* message) noexcept;

// Runs `work`; when it throws, the result is `failed`, which the VM ignores.
// A PendingException ends the call with the VM's own error as the one Java
// receives; any other failure runs `raise` inside the catch block (it may
// re-raise with `throw;` to tell the failure's kind, and must not throw) to
// leave the library's Java exception.
template <typename R, typename Work, typename Raise> R ExportFrame(R failed, Work&& work, Raise&& raise) noexcept {
    return mirravon::GuardedCall([&]() -> R { return std::forward<Work>(work)(); },
                                 [&]() -> R {
                                     try {
                                         throw;
                                     } catch (const PendingException&) {
                                     } catch (...) {
                                         std::forward<Raise>(raise)();
                                     }
                                     return failed;
                                 });
}

template <typename Work, typename Raise> void ExportFrame(Work&& work, Raise&& raise) noexcept {
    ExportFrame(
        0,
        [&] {
            std::forward<Work>(work)();
            return 0;
        },
        std::forward<Raise>(raise));
}

}  // namespace mirravon::jni
