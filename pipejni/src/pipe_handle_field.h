// What the Java bindings of both pipe ends share: the pipe handle kept in a
// long field of the Java object, and creating an end into that field.
#pragma once

#include <windows.h>
#include <jni.h>

#include <cstdint>

#include "jnisupport/java_exception.h"
#include "jnisupport/java_string.h"
#include "pipe/named_pipe.h"

namespace tavrodvxjni {

// The handle fields of the Java classes: NamedPipe's and NamedPipeClient's.
inline constexpr const char kServerField[] = "hPipe";
inline constexpr const char kClientField[] = "hPipeClientEnd";

// The handle's long field, looked up on the receiver's runtime class so that a
// subclass works too. A missing field leaves the VM's error pending.
class HandleField {
public:
    HandleField(JNIEnv* env, jobject self, const char* name) : m_env(env), m_self(self) {
        jclass cls = env->GetObjectClass(self);
        if (cls != nullptr) m_id = env->GetFieldID(cls, name, "J");
    }
    bool found() const { return m_id != nullptr; }

    // The low 32 bits of the field.
    HANDLE get() const {
        const jlong value = m_env->GetLongField(m_self, m_id);
        return reinterpret_cast<HANDLE>(static_cast<LONG_PTR>(static_cast<std::int32_t>(value)));
    }
    // Sign-extended, so a handle with its top bit set reads as a negative long.
    void set(HANDLE handle) const {
        m_env->SetLongField(m_self, m_id, static_cast<jlong>(reinterpret_cast<LONG_PTR>(handle)));
    }

    // CloseHandle's result; the field is then 0. The system gives a closed
    // handle's value to the next object it opens, so a second close, or a read
    // or write after the close, must find no handle instead of somebody else's.
    // A field of 0 closes nothing and gives 0.
    int close() const {
        const HANDLE pipe = get();
        if (pipe == nullptr) {
            ::SetLastError(ERROR_INVALID_HANDLE);
            return 0;
        }
        const int result = pipe::ClosePipeHandle(pipe);
        set(nullptr);
        return result;
    }

private:
    JNIEnv* m_env;
    jobject m_self;
    jfieldID m_id = nullptr;
};

// `native_close` of either end: CloseHandle's result, 0 when the field is missing.
inline jint CloseEnd(JNIEnv* env, jobject self, const char* field) {
    HandleField handle(env, self, field);
    return handle.found() ? handle.close() : 0;
}

// Opens an end with the native text of `name` and stores its handle in `field`.
// The pipe is made only when its handle can be stored.
inline void CreateEnd(JNIEnv* env, jobject self, jstring name, const char* field, HANDLE (*open)(const char*)) {
    HandleField handle(env, self, field);
    if (!handle.found()) return;
    jnisupport::CallGuarded(env, [&] {
        jnisupport::CJavaString text(env, name);
        handle.set(open(text.chars()));
    });
}

}  // namespace tavrodvxjni
