#include "jnisupport/java_exception.h"

#include <windows.h>

#include <new>
#include <string>

#include "jnisupport/java_string.h"
#include "mirravon/jni/references.h"
#include "mirravon/system_text.h"

namespace {

using mirravon::jni::CachedClass;
using mirravon::jni::CachedMethodId;
using mirravon::jni::LocalRef;

// Process-wide, filled on first use by whichever thread gets there.
CachedClass g_exceptionClass(kDrovixIntegrationExceptionClass);
CachedMethodId g_codedConstructor(g_exceptionClass, "<init>", "(I[Ljava/lang/String;)V");
CachedMethodId g_messageConstructor(g_exceptionClass, "<init>", "(Ljava/lang/String;)V");

}  // namespace

void ThrowUserError(JNIEnv* env, const user_err_t& error) {
    if (env == nullptr || env->ExceptionCheck()) return;
    const LocalRef<jclass> cls = g_exceptionClass.get(env);
    if (!cls) return;
    const jmethodID ctor = g_codedConstructor.get(env, cls.get());
    if (ctor == nullptr) return;
    CJavaClass stringClass(env, "java/lang/String");
    if (stringClass.javaClass() == nullptr) return;
    const jsize n = static_cast<jsize>(error.args.size());
    jobjectArray texts = env->NewObjectArray(n, stringClass.javaClass(), nullptr);
    if (texts == nullptr) return;
    for (jsize i = 0; i < n; ++i) {
        // The array holds each text; dropping it at once keeps a long list within the local capacity.
        const LocalRef<jstring> text(env, MakeJavaString(env, error.args[static_cast<std::size_t>(i)].c_str()));
        if (!text) return;
        env->SetObjectArrayElement(texts, i, text.get());
        if (env->ExceptionCheck()) return;
    }
    jobject exception = env->NewObject(cls.get(), ctor, static_cast<jint>(error.code), texts);
    if (exception != nullptr) env->Throw(static_cast<jthrowable>(exception));
}

void ThrowSystemError(JNIEnv* env, unsigned long code) {
    if (env == nullptr || env->ExceptionCheck()) return;
    const LocalRef<jclass> cls = g_exceptionClass.get(env);
    if (!cls) return;
    const jmethodID ctor = g_messageConstructor.get(env, cls.get());
    if (ctor == nullptr) return;
    // The text as the system gives it, line end included, or one of our own when it has none.
    const std::string message = mirravon::SystemTextA(code).value_or("System error " + std::to_string(code));
    jstring text = MakeJavaString(env, message.c_str());
    if (text == nullptr) return;
    jobject exception = env->NewObject(cls.get(), ctor, text);
    if (exception != nullptr) env->Throw(static_cast<jthrowable>(exception));
}

void ThrowJavaExceptionForCurrent(JNIEnv* env) {
    try {
        throw;
    } catch (const user_err_t& error) {
        ThrowUserError(env, error);
    } catch (unsigned long code) {
        ThrowSystemError(env, code);
    } catch (const std::bad_alloc&) {
        ThrowSystemError(env, ERROR_NOT_ENOUGH_MEMORY);
    } catch (...) {
        ThrowSystemError(env, ERROR_INTERNAL_ERROR);
    }
}
