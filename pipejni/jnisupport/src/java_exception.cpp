#include "jnisupport/java_exception.h"

#include <atomic>
#include <new>
#include <string>

#include "jnisupport/java_string.h"
#include "mirravon/system_text.h"

namespace {

// Process-wide, filled on first use by whichever thread gets there; two threads
// filling an entry at once store equal values.
std::atomic<jweak> g_exceptionClass{nullptr};
std::atomic<jmethodID> g_codedConstructor{nullptr};
std::atomic<jmethodID> g_messageConstructor{nullptr};

// The exception class as a local reference, or null with the VM's error pending.
jclass ExceptionClass(JNIEnv* env) {
    // A weak reference may be cleared at any moment, so it is pinned in a local one.
    jclass cls = static_cast<jclass>(env->NewLocalRef(g_exceptionClass.load(std::memory_order_acquire)));
    if (cls != nullptr) return cls;
    cls = env->FindClass(kDrovixIntegrationExceptionClass);
    if (cls == nullptr) return nullptr;
    jweak weak = env->NewWeakGlobalRef(cls);
    if (weak == nullptr) return nullptr;
    // A cleared reference means the class was unloaded; method ids of the old
    // class are not valid for the one loaded again.
    g_codedConstructor.store(nullptr, std::memory_order_relaxed);
    g_messageConstructor.store(nullptr, std::memory_order_relaxed);
    g_exceptionClass.store(weak, std::memory_order_release);
    return cls;
}

jmethodID Constructor(JNIEnv* env, jclass cls, std::atomic<jmethodID>& cached, const char* descriptor) {
    jmethodID id = cached.load(std::memory_order_relaxed);
    if (id == nullptr) {
        id = env->GetMethodID(cls, "<init>", descriptor);
        if (id != nullptr) cached.store(id, std::memory_order_relaxed);
    }
    return id;
}

}  // namespace

void ThrowUserError(JNIEnv* env, const user_err_t& error) {
    if (env == nullptr || env->ExceptionCheck()) return;
    jclass cls = ExceptionClass(env);
    if (cls == nullptr) return;
    jmethodID ctor = Constructor(env, cls, g_codedConstructor, "(I[Ljava/lang/String;)V");
    if (ctor == nullptr) return;
    CJavaClass stringClass(env, "java/lang/String");
    if (stringClass.javaClass() == nullptr) return;
    const jsize n = static_cast<jsize>(error.args.size());
    jobjectArray texts = env->NewObjectArray(n, stringClass.javaClass(), nullptr);
    if (texts == nullptr) return;
    for (jsize i = 0; i < n; ++i) {
        jstring text = MakeJavaString(env, error.args[static_cast<std::size_t>(i)].c_str());
        if (text == nullptr) return;
        env->SetObjectArrayElement(texts, i, text);
        env->DeleteLocalRef(text);  // the array holds it; keeps a long list within the local capacity
        if (env->ExceptionCheck()) return;
    }
    jobject exception = env->NewObject(cls, ctor, static_cast<jint>(error.code), texts);
    if (exception != nullptr) env->Throw(static_cast<jthrowable>(exception));
}

void ThrowSystemError(JNIEnv* env, unsigned long code) {
    if (env == nullptr || env->ExceptionCheck()) return;
    jclass cls = ExceptionClass(env);
    if (cls == nullptr) return;
    jmethodID ctor = Constructor(env, cls, g_messageConstructor, "(Ljava/lang/String;)V");
    if (ctor == nullptr) return;
    // The text as the system gives it, line end included, or one of our own when it has none.
    const std::string message = mirravon::SystemTextA(code).value_or("System error " + std::to_string(code));
    jstring text = MakeJavaString(env, message.c_str());
    if (text == nullptr) return;
    jobject exception = env->NewObject(cls, ctor, text);
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
