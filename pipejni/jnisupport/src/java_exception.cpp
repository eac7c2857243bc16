#include "jnisupport/java_exception.h"

#include <windows.h>

#include <new>
#include <string>

#include "jnisupport/java_string.h"
#include "mirravon/jni/references.h"
#include "mirravon/system_text.h"

namespace jnisupport {
namespace {

using mirravon::jni::CachedClass;
using mirravon::jni::CachedMethodId;
using mirravon::jni::LocalRef;
using mirravon::jni::PendingException;

// Process-wide, filled on first use by whichever thread gets there.
CachedClass g_exceptionClass(kDrovixIntegrationExceptionClass);
CachedMethodId g_codedConstructor(g_exceptionClass, "<init>", "(I[Ljava/lang/String;)V");
CachedMethodId g_messageConstructor(g_exceptionClass, "<init>", "(Ljava/lang/String;)V");
// The element class of the texts' array.
CachedClass g_stringClass("java/lang/String");

// Builds the exception with `construct(class)` and throws it; a JNI call that
// fails on the way (PendingException) leaves the VM's error, and running out of
// memory leaves nothing more: neither may leave the handler.
template <typename Construct> void Raise(JNIEnv* env, Construct construct) noexcept {
    if (env == nullptr || env->ExceptionCheck()) return;
    try {
        const CachedClass::Ref cls = g_exceptionClass.get(env);
        if (!cls) return;
        const LocalRef<jobject> exception(env, construct(cls));
        if (exception) env->Throw(static_cast<jthrowable>(exception.get()));
    } catch (const PendingException&) {
    } catch (const std::bad_alloc&) {}
}

}  // namespace

void ThrowUserError(JNIEnv* env, const user_err_t& error) noexcept {
    Raise(env, [&](const CachedClass::Ref& cls) -> jobject {
        const jmethodID ctor = g_codedConstructor.get(env, cls);
        if (ctor == nullptr) return nullptr;
        const CachedClass::Ref stringClass = g_stringClass.get(env);
        if (!stringClass) return nullptr;
        const jsize n = static_cast<jsize>(error.args.size());
        const LocalRef<jobjectArray> texts(env, env->NewObjectArray(n, stringClass.get(), nullptr));
        if (!texts) return nullptr;
        for (jsize i = 0; i < n; ++i) {
            // The array holds each text; dropping it at once keeps a long list within the local capacity.
            const LocalRef<jstring> text(env, MakeJavaString(env, error.args[static_cast<std::size_t>(i)].c_str()));
            env->SetObjectArrayElement(texts.get(), i, text.get());
            if (env->ExceptionCheck()) return nullptr;
        }
        return env->NewObject(cls.get(), ctor, static_cast<jint>(error.code), texts.get());
    });
}

void ThrowSystemError(JNIEnv* env, unsigned long code) noexcept {
    Raise(env, [&](const CachedClass::Ref& cls) -> jobject {
        const jmethodID ctor = g_messageConstructor.get(env, cls);
        if (ctor == nullptr) return nullptr;
        // The text as the system gives it, line end included, or one of our own when it has none.
        const std::string message = mirravon::SystemTextA(code).value_or("System error " + std::to_string(code));
        const LocalRef<jstring> text(env, MakeJavaString(env, message.c_str()));
        return env->NewObject(cls.get(), ctor, text.get());
    });
}

void ThrowJavaExceptionForCurrent(JNIEnv* env) noexcept {
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

}  // namespace jnisupport
