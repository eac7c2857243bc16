// Java bindings of the pipe channel's server end: NamedPipe, its handle in "hPipe".
#include "com_varnex_quorel_mirravon_testmanagement_drovix_common_NamedPipe.h"
#include "pipe/named_pipe.h"
#include "pipe_handle_field.h"

using tavrodvxjni::CloseEnd;
using tavrodvxjni::CreateEnd;
using tavrodvxjni::HandleField;
using tavrodvxjni::kServerField;

extern "C" {

JNIEXPORT void JNICALL Java_com_varnex_quorel_mirravon_testmanagement_drovix_common_NamedPipe_native_1createNamedPipe(
    JNIEnv* env, jobject self, jstring name) {
    CreateEnd(env, self, name, kServerField, pipe::CreatePipeServer);
}

JNIEXPORT jint JNICALL Java_com_varnex_quorel_mirravon_testmanagement_drovix_common_NamedPipe_native_1waitForConnection(
    JNIEnv* env, jobject self) {
    HandleField handle(env, self, kServerField);
    return handle.found() ? pipe::WaitForPipeClient(handle.get()) : 0;
}

JNIEXPORT jbyteArray JNICALL
Java_com_varnex_quorel_mirravon_testmanagement_drovix_common_NamedPipe_native_1readMessage(JNIEnv* env, jobject self) {
    HandleField handle(env, self, kServerField);
    if (!handle.found()) return nullptr;
    return jnisupport::CallGuarded(env, static_cast<jbyteArray>(nullptr), [&]() -> jbyteArray {
        unsigned long length = 0;
        const pipe::MessageBuffer buffer(pipe::ReadPipeMessage(handle.get(), &length));
        jbyteArray array = env->NewByteArray(static_cast<jsize>(length));
        if (array != nullptr && length != 0)
            env->SetByteArrayRegion(array, 0, static_cast<jsize>(length), reinterpret_cast<const jbyte*>(buffer.get()));
        return array;
    });
}

JNIEXPORT jint JNICALL
Java_com_varnex_quorel_mirravon_testmanagement_drovix_common_NamedPipe_native_1close(JNIEnv* env, jobject self) {
    return CloseEnd(env, self, kServerField);
}

}  // extern "C"
