#include "jnisupport/java_object.h"

#include <windows.h>

#include <cstdio>

namespace jnisupport {

CJavaClass::CJavaClass(JNIEnv* env, const char* className) : m_env(env) {
    if (env == nullptr || className == nullptr) return;
    m_jclass = env->FindClass(className);
    if (m_jclass == nullptr) {
        // A fixed 256-byte line: a longer class name is cut, never written past the buffer.
        char line[256];
        std::snprintf(line, sizeof line, "Cannot find class: %s\r\n", className);
        ::OutputDebugStringA(line);
    }
}

CJavaObject::CJavaObject(JNIEnv* env, jobject obj)
    : m_env(env), m_jobject(obj), m_class(env, obj != nullptr && env != nullptr ? env->GetObjectClass(obj) : nullptr) {}

}  // namespace jnisupport
