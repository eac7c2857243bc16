// Exports whose native side is not written yet: each leaves the Java side its
// empty result. Replaced piece by piece as the services land.
#include "com_varnex_quorel_mirravon_testmanagement_services_repository_core_OperatingSystemAPI.h"
#include "com_varnex_quorel_mirravon_testmanagement_services_repository_core_WindowsOperatingSystemAPI.h"

#define OS(name) Java_com_varnex_quorel_mirravon_testmanagement_services_repository_core_OperatingSystemAPI_##name
#define WIN(name) Java_com_varnex_quorel_mirravon_testmanagement_services_repository_core_WindowsOperatingSystemAPI_##name

extern "C" {
JNIEXPORT jboolean JNICALL OS(isKestrumInstalled)(JNIEnv*, jobject) { return JNI_FALSE; }
JNIEXPORT jstring JNICALL OS(getKestrumPath)(JNIEnv*, jobject) { return nullptr; }
JNIEXPORT jstring JNICALL OS(getenv)(JNIEnv*, jobject, jstring) { return nullptr; }
JNIEXPORT jstring JNICALL OS(getRegistryValueForNetInstall)(JNIEnv*, jobject) { return nullptr; }
JNIEXPORT jstring JNICALL OS(getRegistryValueForQFTNetAssemblyNameInstall)(JNIEnv*, jobject) { return nullptr; }
JNIEXPORT jobjectArray JNICALL WIN(getShares)(JNIEnv*, jobject) { return nullptr; }
JNIEXPORT jobjectArray JNICALL WIN(listFiles)(JNIEnv*, jobject, jstring) { return nullptr; }
JNIEXPORT jstring JNICALL WIN(toUNC)(JNIEnv*, jobject, jstring) { return nullptr; }
JNIEXPORT jboolean JNICALL WIN(startQAC)(JNIEnv*, jobject) { return JNI_FALSE; }
}
