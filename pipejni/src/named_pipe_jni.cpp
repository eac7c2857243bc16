// Java bindings of the pipe channel: NamedPipe (server end, handle in "hPipe")
// and NamedPipeClient (client end, handle in "hPipeClientEnd").
#include <cstdint>
#include <cstdlib>
#include <memory>

#include "com_varnex_quorel_mirravon_testmanagement_drovix_common_NamedPipe.h"
#include "com_varnex_quorel_mirravon_testmanagement_drovix_common_NamedPipeClient.h"
#include "jnisupport/java_exception.h"
#include "jnisupport/java_string.h"
#include "pipe/named_pipe.h"

#define PIPE(name) Java_com_varnex_quorel_mirravon_testmanagement_drovix_common_NamedPipe_##name
#define CLIENT(name) Java_com_varnex_quorel_mirravon_testmanagement_drovix_common_NamedPipeClient_##name

namespace {

constexpr const char kServerField[] = "hPipe";
constexpr const char kClientField[] = "hPipeClientEnd";

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

private:
    JNIEnv* m_env;
    jobject m_self;
    jfieldID m_id = nullptr;
};

struct FreeDeleter {
    void operator()(char* p) const { std::free(p); }
};

// The native text of a Java string; null when the string is null or the VM failed.
// Creating with it: the pipe is made only when its handle can be stored.
void CreateEnd(JNIEnv* env, jobject self, jstring name, const char* field, HANDLE (*open)(const char*)) {
    HandleField handle(env, self, field);
    if (!handle.found()) return;
    CallGuarded(env, [&] {
        CJavaString text(env, name);
        const char* chars = text.chars();
        if (env->ExceptionCheck()) return;
        handle.set(open(chars));
    });
}

}  // namespace

extern "C" {

JNIEXPORT void JNICALL PIPE(native_1createNamedPipe)(JNIEnv* env, jobject self, jstring name) {
    CreateEnd(env, self, name, kServerField, CreatePipeServer);
}

JNIEXPORT jint JNICALL PIPE(native_1waitForConnection)(JNIEnv* env, jobject self) {
    HandleField handle(env, self, kServerField);
    return handle.found() ? WaitForPipeClient(handle.get()) : 0;
}

JNIEXPORT jbyteArray JNICALL PIPE(native_1readMessage)(JNIEnv* env, jobject self) {
    HandleField handle(env, self, kServerField);
    if (!handle.found()) return nullptr;
    return CallGuarded(env, static_cast<jbyteArray>(nullptr), [&]() -> jbyteArray {
        unsigned long length = 0;
        std::unique_ptr<char, FreeDeleter> buffer(ReadPipeMessage(handle.get(), &length));
        jbyteArray array = env->NewByteArray(static_cast<jsize>(length));
        if (array != nullptr && length != 0)
            env->SetByteArrayRegion(array, 0, static_cast<jsize>(length), reinterpret_cast<const jbyte*>(buffer.get()));
        return array;
    });
}

JNIEXPORT jint JNICALL PIPE(native_1close)(JNIEnv* env, jobject self) {
    HandleField handle(env, self, kServerField);
    return handle.found() ? ClosePipeHandle(handle.get()) : 0;
}

JNIEXPORT void JNICALL CLIENT(native_1createNamedPipeClient)(JNIEnv* env, jobject self, jstring name) {
    CreateEnd(env, self, name, kClientField, ConnectPipeClient);
}

JNIEXPORT jlong JNICALL CLIENT(native_1writeMessage)(JNIEnv* env, jobject self, jbyteArray data) {
    if (data == nullptr) {
        // Java passes an array; a null one would crash the VM's array functions.
        jclass npe = env->FindClass("java/lang/NullPointerException");
        if (npe != nullptr) env->ThrowNew(npe, "data");
        return 0;
    }
    const jsize length = env->GetArrayLength(data);
    jbyte* bytes = env->GetByteArrayElements(data, nullptr);
    if (bytes == nullptr) return 0;  // out of memory: the VM's error is pending
    unsigned long written = 0;
    HandleField handle(env, self, kClientField);
    if (handle.found()) {
        written = CallGuarded(env, 0ul, [&] {
            return WritePipeMessage(handle.get(), reinterpret_cast<const char*>(bytes),
                                    static_cast<unsigned long>(length));
        });
    }
    env->ReleaseByteArrayElements(data, bytes, 0);
    return static_cast<jlong>(written);
}

JNIEXPORT jint JNICALL CLIENT(native_1close)(JNIEnv* env, jobject self) {
    HandleField handle(env, self, kClientField);
    return handle.found() ? ClosePipeHandle(handle.get()) : 0;
}

}  // extern "C"
