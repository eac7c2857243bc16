// Exports whose native side is not written yet: each leaves the Java side its
// empty result. Replaced piece by piece as the channel and the bridge land.
#include "com_varnex_quorel_mirravon_testmanagement_drovix_common_DrovixNative.h"
#include "com_varnex_quorel_mirravon_testmanagement_drovix_common_NamedPipe.h"
#include "com_varnex_quorel_mirravon_testmanagement_drovix_common_NamedPipeClient.h"

#define PIPE(name) Java_com_varnex_quorel_mirravon_testmanagement_drovix_common_NamedPipe_##name
#define CLIENT(name) Java_com_varnex_quorel_mirravon_testmanagement_drovix_common_NamedPipeClient_##name
#define TOOL(name) Java_com_varnex_quorel_mirravon_testmanagement_drovix_common_DrovixNative_##name

extern "C" {
JNIEXPORT void JNICALL PIPE(native_1createNamedPipe)(JNIEnv*, jobject, jstring) {}
JNIEXPORT jint JNICALL PIPE(native_1waitForConnection)(JNIEnv*, jobject) { return 0; }
JNIEXPORT jbyteArray JNICALL PIPE(native_1readMessage)(JNIEnv*, jobject) { return nullptr; }
JNIEXPORT jint JNICALL PIPE(native_1close)(JNIEnv*, jobject) { return 0; }
JNIEXPORT void JNICALL CLIENT(native_1createNamedPipeClient)(JNIEnv*, jobject, jstring) {}
JNIEXPORT jlong JNICALL CLIENT(native_1writeMessage)(JNIEnv*, jobject, jbyteArray) { return 0; }
JNIEXPORT jint JNICALL CLIENT(native_1close)(JNIEnv*, jobject) { return 0; }
JNIEXPORT jboolean JNICALL TOOL(native_1isDrovixInstalled)(JNIEnv*, jclass) { return JNI_FALSE; }
JNIEXPORT jstring JNICALL TOOL(native_1getDrovixInstallDir)(JNIEnv*, jclass) { return nullptr; }
JNIEXPORT jint JNICALL TOOL(native_1login)(JNIEnv*, jobject, jstring, jstring, jstring) { return 0; }
JNIEXPORT void JNICALL TOOL(native_1loginAndLaunch)(JNIEnv*, jobject, jstring, jstring, jstring, jboolean, jstring) {}
JNIEXPORT void JNICALL TOOL(native_1logoff)(JNIEnv*, jobject) {}
JNIEXPORT void JNICALL TOOL(native_1openScript__Ljava_lang_String_2)(JNIEnv*, jobject, jstring) {}
JNIEXPORT void JNICALL TOOL(native_1openScript__Ljava_lang_String_2J)(JNIEnv*, jobject, jstring, jlong) {}
JNIEXPORT void JNICALL TOOL(native_1highlightScript)(JNIEnv*, jobject, jstring, jint, jint) {}
JNIEXPORT void JNICALL TOOL(native_1playbackScript)(JNIEnv*, jobject, jstring, jstring) {}
}
