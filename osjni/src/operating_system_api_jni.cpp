// The JNI exports of OperatingSystemAPI. No C++ exception leaves them: a
// failure becomes a pending Java exception and the method's empty result.
#include "com_varnex_quorel_mirravon_testmanagement_services_repository_core_OperatingSystemAPI.h"
#include "tavroos/jni_adapter.h"
#include "tavroos/kestrum.h"
#include "tavroos/queries.h"

using namespace tavroos;

extern "C" {

JNIEXPORT jboolean JNICALL
Java_com_varnex_quorel_mirravon_testmanagement_services_repository_core_OperatingSystemAPI_isKestrumInstalled(
    JNIEnv* env, jobject) {
    return Guarded<jboolean>(
        env, JNI_FALSE, [](CJniAdapter& jni) { return jni.ToJavaBool(CKestrum::GetInstance().IsKestrumInstalled()); });
}

JNIEXPORT jstring JNICALL
Java_com_varnex_quorel_mirravon_testmanagement_services_repository_core_OperatingSystemAPI_getKestrumPath(JNIEnv* env,
                                                                                                          jobject) {
    return Guarded<jstring>(
        env, nullptr, [](CJniAdapter& jni) { return jni.ToJavaString(CKestrum::GetInstance().GetKestrumPath()); });
}

// The three plain reads report absence as "", never by an exception; only a
// failure of the VM or of memory leaves one pending (with a null result).
JNIEXPORT jstring JNICALL
Java_com_varnex_quorel_mirravon_testmanagement_services_repository_core_OperatingSystemAPI_getenv(JNIEnv* env, jobject,
                                                                                                  jstring name) {
    return Guarded<jstring>(env, nullptr, [&](CJniAdapter& jni) {
        // Nothing is ever set under a null name.
        if (!name) return jni.ToJavaString(BStr(L""));
        return jni.ToJavaString(ReadEnvironmentVariable(jni.ToNativeString(name)));
    });
}

JNIEXPORT jstring JNICALL
Java_com_varnex_quorel_mirravon_testmanagement_services_repository_core_OperatingSystemAPI_getRegistryValueForNetInstall(
    JNIEnv* env, jobject) {
    return Guarded<jstring>(env, nullptr, [](CJniAdapter& jni) { return jni.ToJavaString(ReadNetInstallDir()); });
}

JNIEXPORT jstring JNICALL
Java_com_varnex_quorel_mirravon_testmanagement_services_repository_core_OperatingSystemAPI_getRegistryValueForQFTNetAssemblyNameInstall(
    JNIEnv* env, jobject) {
    return Guarded<jstring>(env, nullptr, [](CJniAdapter& jni) { return jni.ToJavaString(ReadQftNetAssemblyName()); });
}

}  // extern "C"
