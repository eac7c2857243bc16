#include "mirravon/jni/export_frame.h"
#include "mirravon/jni/references.h"

namespace mirravon::jni {

LocalRef<jclass> CachedClass::get(JNIEnv* env) {
    // A weak reference may be cleared at any moment, so it is pinned in a local one.
    LocalRef<jclass> cls(env, static_cast<jclass>(env->NewLocalRef(m_weak.load(std::memory_order_acquire))));
    if (cls) return cls;
    cls = LocalRef<jclass>(env, env->FindClass(m_name));
    if (!cls) return cls;
    const jweak weak = env->NewWeakGlobalRef(cls.get());
    if (weak == nullptr) return {};
    m_generation.fetch_add(1, std::memory_order_relaxed);
    m_weak.store(weak, std::memory_order_release);
    return cls;
}

jmethodID CachedMethodId::get(JNIEnv* env, jclass cls) {
    const unsigned generation = m_owner.m_generation.load(std::memory_order_acquire);
    jmethodID id = m_id.load(std::memory_order_acquire);
    if (id != nullptr && m_generation.load(std::memory_order_acquire) == generation) return id;
    id = env->GetMethodID(cls, m_name, m_descriptor);
    if (id == nullptr) return nullptr;
    m_id.store(id, std::memory_order_release);
    m_generation.store(generation, std::memory_order_release);
    return id;
}

void ThrowNew(JNIEnv* env, const char* className, const char* message) noexcept {
    if (env->ExceptionCheck()) return;
    const LocalRef<jclass> cls(env, env->FindClass(className));
    if (cls) env->ThrowNew(cls.get(), message);
}

}  // namespace mirravon::jni
