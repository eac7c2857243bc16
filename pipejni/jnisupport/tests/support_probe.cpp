// Exports that throw native failures through the library's handlers.
#include <jni.h>

#include <stdexcept>
#include <string>

#include "jnisupport/java_exception.h"
#include "jnisupport/java_string.h"

using jnisupport::CallGuarded;
using jnisupport::CJavaClass;
using jnisupport::CJavaString;
using jnisupport::MakeJavaString;

extern "C" {

// Texts arrive as a Java String[]; a null element becomes a null text.
JNIEXPORT void JNICALL Java_probe_Support_throwUser(JNIEnv* env, jclass, jint code, jobjectArray texts) {
    CallGuarded(env, [&] {
        user_err_t error;
        error.code = static_cast<std::int32_t>(code);
        const jsize n = env->GetArrayLength(texts);
        for (jsize i = 0; i < n; ++i) {
            CJavaString text(env, static_cast<jstring>(env->GetObjectArrayElement(texts, i)));
            error.add(text.chars());
        }
        throw error;
    });
}

// The usual way a bridge throws: texts from wrappers that die during unwinding.
JNIEXPORT void JNICALL Java_probe_Support_throwUserFromWrapper(JNIEnv* env, jclass, jstring name) {
    CallGuarded(env, [&] {
        CJavaString text(env, name);
        throw user_err_t(3, {text.chars(), nullptr});
    });
}

// A long list of texts made natively, so the call's own references are only the library's.
JNIEXPORT void JNICALL Java_probe_Support_throwUserTexts(JNIEnv* env, jclass, jint count) {
    CallGuarded(env, [&] {
        user_err_t error(4, {});
        for (jint i = 0; i < count; ++i) error.add("text");
        throw error;
    });
}

JNIEXPORT jint JNICALL Java_probe_Support_throwSystem(JNIEnv* env, jclass, jint code) {
    return CallGuarded(env, jint{-1}, [&]() -> jint { throw static_cast<unsigned long>(code); });
}

JNIEXPORT jstring JNICALL Java_probe_Support_throwOther(JNIEnv* env, jclass) {
    return CallGuarded(env, static_cast<jstring>(nullptr), []() -> jstring { throw std::runtime_error("x"); });
}

// A JNI call fails, then the native code fails too: the VM's error must survive.
JNIEXPORT void JNICALL Java_probe_Support_throwAfterPending(JNIEnv* env, jclass) {
    CallGuarded(env, [&] {
        CJavaClass missing(env, "no/such/Class");
        if (missing.javaClass() == nullptr) throw 5ul;
    });
}

JNIEXPORT jstring JNICALL Java_probe_Support_narrowToJava(JNIEnv* env, jclass, jbyteArray bytes) {
    return CallGuarded(env, static_cast<jstring>(nullptr), [&] {
        const jsize n = env->GetArrayLength(bytes);
        std::string text(static_cast<std::size_t>(n), '\0');
        env->GetByteArrayRegion(bytes, 0, n, reinterpret_cast<jbyte*>(&text[0]));
        return MakeJavaString(env, text.c_str());
    });
}
}
