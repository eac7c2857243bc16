// Native failures of tavrodvxjni and their Java form.
//
// Inside the library a failure is thrown by value as one of two kinds: a Windows
// error code (`unsigned long`, as GetLastError gave it) or a `user_err_t`. Every
// export that can fail runs its work through CallGuarded, which turns the
// failure into a pending DrovixIntegrationException.
#pragma once

#include <jni.h>
#include <windows.h>

#include <cstdint>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

#include "mirravon/guarded_call.h"

inline constexpr const char kDrovixIntegrationExceptionClass[] =
    "com/varnex/quorel/mirravon/testmanagement/drovix/common/DrovixIntegrationException";

// An error of the tool bridge: a code and the texts its message needs (narrow,
// ANSI code page). The texts are copied when the record is made: the buffers a
// thrower points at usually die while the exception unwinds to the handler.
struct user_err_t {
    std::int32_t code = 0;
    std::vector<std::string> args;

    user_err_t() = default;
    // A null text is kept as an empty text, so the Java array keeps its length and order.
    user_err_t(std::int32_t errorCode, std::initializer_list<const char*> texts) : code(errorCode) {
        for (const char* t : texts) add(t);
    }
    user_err_t(std::int32_t errorCode, std::vector<std::string> texts) : code(errorCode), args(std::move(texts)) {}

    user_err_t& add(const char* text) {
        args.emplace_back(text != nullptr ? text : "");
        return *this;
    }
};

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
template <typename R, typename Work>
R CallGuarded(JNIEnv* env, R failed, Work&& work) {
    return mirravon::GuardedCall([&]() -> R { return std::forward<Work>(work)(); },
                                 [&] {
                                     ThrowJavaExceptionForCurrent(env);
                                     return failed;
                                 });
}

template <typename Work>
void CallGuarded(JNIEnv* env, Work&& work) {
    mirravon::GuardedCall(std::forward<Work>(work), [env] { ThrowJavaExceptionForCurrent(env); });
}
