// The per-call bridge between a JNI environment and the native types of tavroos.
#pragma once

#include <jni.h>

#include "mirravon/guarded_call.h"
#include "tavroos/bstr.h"
#include "tavroos/kestrum.h"

namespace tavroos {

// Thrown when a JNI call failed and left its own Java exception pending: the
// export must return at once without another JNI call but ExceptionCheck.
struct JavaExceptionPending {};

#define TAVROOS_CORE_PACKAGE "com/varnex/quorel/mirravon/testmanagement/services/repository/core/"
constexpr const char* kShareRecordClass = TAVROOS_CORE_PACKAGE "ShareRecord";
constexpr const char* kFileStatClass = TAVROOS_CORE_PACKAGE "FileStat";
constexpr const char* kKestrumExceptionClass = TAVROOS_CORE_PACKAGE "KestrumException";
constexpr const char* kShareRecordCtor = "(Ljava/lang/String;Ljava/lang/String;)V";
constexpr const char* kFileStatCtor = "(Ljava/lang/String;Z)V";

class CJniAdapter {
public:
    explicit CJniAdapter(JNIEnv* env) noexcept : m_env(env) {}
    CJniAdapter(const CJniAdapter&) = delete;
    CJniAdapter& operator=(const CJniAdapter&) = delete;

    virtual ~CJniAdapter();
    virtual jboolean ToJavaBool(bool value);
    // A new Java string of the value's units and stored length.
    virtual jstring ToJavaString(const BStr& text);
    // The Java string's units up to its first U+0000. A null reference throws
    // KestrumUnmanagedException.
    virtual BStr ToNativeString(jstring text);

    // Arrays of exactly `count` elements (length 0 for a count of 0 or less).
    jobjectArray NewShareRecordArray(const ShareRecord* records, int count);
    jobjectArray NewFileStatArray(const FStatRecord* records, int count);

private:
    // An array of `count` objects of the class, element i made by `makeElement(class, constructor, i)`.
    template <typename MakeElement>
    jobjectArray NewRecordArray(const char* className, const char* descriptor, int count, MakeElement makeElement);
    jclass FindClass(const char* name);
    jmethodID Constructor(jclass cls, const char* descriptor);
    void CheckPending();

    JNIEnv* m_env;
};

// Leaves a KestrumException with an empty message pending, unless another Java
// exception is pending already (then that one stays, and so does the VM's
// error when the class cannot be found).
void ThrowKestrumException(JNIEnv* env) noexcept;

// The frame of every export: `body` works with the call's adapter, and any
// failure, native or a VM failure already pending, ends as `failure` with a
// Java exception pending.
template <typename R, typename Body>
R Guarded(JNIEnv* env, R failure, Body body) noexcept {
    return mirravon::GuardedCall(
        [&]() -> R {
            CJniAdapter jni(env);
            return body(jni);
        },
        [&] {
            ThrowKestrumException(env);
            return failure;
        });
}

}  // namespace tavroos
