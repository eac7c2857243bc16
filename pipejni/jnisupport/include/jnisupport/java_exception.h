// The Java form of tavrodvxjni's native failures.
//
// Inside the library a failure is thrown by value as one of two kinds
// (failure/native_failure.h): a Windows error code or a `user_err_t`. Every
// export that can fail runs its work through CallGuarded, which turns the
// failure into a pending DrovixIntegrationException.
#pragma once

#include <jni.h>

#include <utility>

#include "failure/native_failure.h"
#include "mirravon/jni/export_frame.h"

inline constexpr const char kDrovixIntegrationExceptionClass[] =
    "com/varnex/quorel/mirravon/testmanagement/drovix/common/DrovixIntegrationException";

// Leaves DrovixIntegrationException(error.code, error.args) pending.
void ThrowUserError(JNIEnv* env, const user_err_t& error);
// Leaves DrovixIntegrationException(the system's text for `code`) pending.
void ThrowSystemError(JNIEnv* env, unsigned long code);
// Neither throws; when the class or a constructor is missing, or an exception is
// already pending, the VM's own error is what Java receives.

// Leaves the Java form of the exception being handled pending; called inside a
// catch block. Out of memory and any other C++ exception are reported as the
// system errors ERROR_NOT_ENOUGH_MEMORY and ERROR_INTERNAL_ERROR: nothing may
// unwind into the VM.
void ThrowJavaExceptionForCurrent(JNIEnv* env);

// Runs `work` and turns a native failure into the pending Java exception; the
// result is then `failed` (which the VM ignores).
template <typename R, typename Work> R CallGuarded(JNIEnv* env, R failed, Work&& work) {
    return mirravon::jni::ExportFrame(failed, std::forward<Work>(work), [env] { ThrowJavaExceptionForCurrent(env); });
}

template <typename Work> void CallGuarded(JNIEnv* env, Work&& work) {
    mirravon::jni::ExportFrame(std::forward<Work>(work), [env] { ThrowJavaExceptionForCurrent(env); });
}
