// Java bindings of the pipe channel's client end: NamedPipeClient, its handle in "hPipeClientEnd".
#include "com_varnex_quorel_mirravon_testmanagement_drovix_common_NamedPipeClient.h"
#include "pipe/named_pipe.h"
#include "pipe_handle_field.h"

using tavrodvxjni::CloseEnd;
using tavrodvxjni::CreateEnd;
using tavrodvxjni::HandleField;
using tavrodvxjni::kClientField;

extern "C" {

JNIEXPORT jlong JNICALL
Java_com_varnex_quorel_mirravon_testmanagement_drovix_common_NamedPipeClient_native_1writeMessage(JNIEnv* env,
                                                                                                  jobject self,
                                                                                                  jbyteArray data) {
    if (data == nullptr) {
        // Java passes an array; a null one would crash the VM's array functions.
        mirravon::jni::ThrowNew(env, "java/lang/NullPointerException", "data");
        return 0;
    }
    const jsize length = env->GetArrayLength(data);
    jbyte* bytes = env->GetByteArrayElements(data, nullptr);
    if (bytes == nullptr) return 0;  // out of memory: the VM's error is pending
    unsigned long written = 0;
    HandleField handle(env, self, kClientField);
    if (handle.found()) {
        written = jnisupport::CallGuarded(env, 0ul, [&] {
            return pipe::WritePipeMessage(handle.get(), reinterpret_cast<const char*>(bytes),
                                          static_cast<unsigned long>(length));
        });
    }
    env->ReleaseByteArrayElements(data, bytes, 0);
    return static_cast<jlong>(written);
}

JNIEXPORT jint JNICALL
Java_com_varnex_quorel_mirravon_testmanagement_drovix_common_NamedPipeClient_native_1close(JNIEnv* env, jobject self) {
    return CloseEnd(env, self, kClientField);
}

JNIEXPORT void JNICALL
Java_com_varnex_quorel_mirravon_testmanagement_drovix_common_NamedPipeClient_native_1createNamedPipeClient(
    JNIEnv* env, jobject self, jstring name) {
    CreateEnd(env, self, name, kClientField, pipe::ConnectPipeClient);
}

}  // extern "C"
