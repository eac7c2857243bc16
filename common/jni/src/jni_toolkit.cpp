#include "mirravon/jni/export_frame.h"
#include "mirravon/jni/references.h"

namespace mirravon::jni {

CachedClass::Ref CachedClass::get(JNIEnv* env) {
    {
        // A weak reference may be cleared at any moment, so it is pinned in a local one.
        const std::lock_guard<std::mutex> lock(m_lock);
        LocalRef<jclass> cls(env, static_cast<jclass>(env->NewLocalRef(m_weak)));
        if (cls) return Ref(std::move(cls), m_generation);
    }
    LocalRef<jclass> found(env, env->FindClass(m_name));
    if (!found) return {};
    const jweak fresh = env->NewWeakGlobalRef(found.get());
    if (fresh == nullptr) return {};
    const std::lock_guard<std::mutex> lock(m_lock);
    // Another thread may have renewed it meanwhile: its reference is kept.
    LocalRef<jclass> current(env, static_cast<jclass>(env->NewLocalRef(m_weak)));
    if (current) {
        env->DeleteWeakGlobalRef(fresh);
        return Ref(std::move(current), m_generation);
    }
    if (m_weak != nullptr) env->DeleteWeakGlobalRef(m_weak);
    m_weak = fresh;
    ++m_generation;
    return Ref(std::move(found), m_generation);
}

jmethodID CachedMethodId::get(JNIEnv* env, const CachedClass::Ref& cls) {
    {
        const std::lock_guard<std::mutex> lock(m_owner.m_lock);
        if (m_id != nullptr && m_generation == cls.generation()) return m_id;
    }
    const jmethodID id = env->GetMethodID(cls.get(), m_name, m_descriptor);
    if (id == nullptr) return nullptr;
    const std::lock_guard<std::mutex> lock(m_owner.m_lock);
    if (cls.generation() == m_owner.m_generation) {
        m_id = id;
        m_generation = cls.generation();
    }
    return id;
}

void ThrowNew(JNIEnv* env, const char* className, const char* message) noexcept {
    if (env->ExceptionCheck()) return;
    const LocalRef<jclass> cls(env, env->FindClass(className));
    if (cls) env->ThrowNew(cls.get(), message);
}

}  // namespace mirravon::jni
