// The Java form of tavrodvxjni's native failures.
//
// Inside the library a failure is thrown by value as one of two kinds
// (failure/native_failure.h): a Windows error code or a `user_err_t`. Every
// export that can fail runs its work through CallGuarded, the JNI toolkit's
// export frame, which turns the failure into a pending
// DrovixIntegrationException; a JNI call that failed (PendingException) leaves
// the VM's own error instead.
#pragma once

#include <jni.h>

#include <utility>

#include "failure/native_failure.h"
#include "mirravon/jni/export_frame.h"

namespace jnisupport {

inline constexpr const char kDrovixIntegrationExceptionClass[] =
    "com/varnex/quorel/mirravon/testmanagement/drovix/common/DrovixIntegrationException";

// Leaves DrovixIntegrationException(error.code, error.args) pending.
void ThrowUserError(JNIEnv* env, const user_err_t& error) noexcept;
// Leaves DrovixIntegrationException(the system's text for `code`) pending.
void ThrowSystemError(JNIEnv* env, unsigned long code) noexcept;
// Neither throws; when the class or a constructor is missing, or an exception is
// already pending, the VM's own error is what Java receives.

// Leaves the Java form of the exception being handled pending; called inside a
// catch block. Out of memory and any other C++ exception are reported as the
// system errors ERROR_NOT_ENOUGH_MEMORY and ERROR_INTERNAL_ERROR: nothing may
// unwind into the VM.
void ThrowJavaExceptionForCurrent(JNIEnv* env) noexcept;

// Runs `work` and turns a native failure into the pending Java exception; the
// result is then `failed` (which the VM ignores).
template <typename R, typename Work> R CallGuarded(JNIEnv* env, R failed, Work&& work) noexcept {
    return mirravon::jni::ExportFrame(failed, std::forward<Work>(work), [env] { ThrowJavaExceptionForCurrent(env); });
}

template <typename Work> void CallGuarded(JNIEnv* env, Work&& work) noexcept {
    mirravon::jni::ExportFrame(std::forward<Work>(work), [env] { ThrowJavaExceptionForCurrent(env); });
}

}  // namespace jnisupport
