// The per-call bridge between a JNI environment and the native types of tavroos,
// a thin layer over the JNI toolkit (mirravon/jni/).
#pragma once

#include <jni.h>

#include "mirravon/jni/export_frame.h"
#include "mirravon/jni/references.h"
#include "tavroos/bstr.h"
#include "tavroos/kestrum.h"

namespace tavroos {

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
    // An array of `count` objects of the record class, element i made by
    // `makeElement(class, constructor, i)`. The class and its constructor are
    // looked up once per process (again only when the VM has unloaded the class).
    template <typename MakeElement>
    jobjectArray NewRecordArray(mirravon::jni::CachedClass& recordClass, mirravon::jni::CachedMethodId& constructor,
                                int count, MakeElement makeElement);
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
template <typename R, typename Body> R Guarded(JNIEnv* env, R failure, Body body) noexcept {
    return mirravon::jni::ExportFrame(
        failure,
        [&]() -> R {
            CJniAdapter jni(env);
            return body(jni);
        },
        [env] { ThrowKestrumException(env); });
}

}  // namespace tavroos
