// The JNI exports of WindowsOperatingSystemAPI. No C++ exception leaves them:
// a failure becomes a pending Java exception and the method's empty result.
#include <vector>

#include "com_varnex_quorel_mirravon_testmanagement_services_repository_core_WindowsOperatingSystemAPI.h"
#include "tavroos/jni_adapter.h"
#include "tavroos/kestrum.h"
#include "tavroos/listing.h"
#include "tavroos/shares.h"
#include "tavroos/text_rules.h"

using namespace tavroos;

extern "C" {

JNIEXPORT jobjectArray JNICALL
Java_com_varnex_quorel_mirravon_testmanagement_services_repository_core_WindowsOperatingSystemAPI_getShares(JNIEnv* env,
                                                                                                            jobject) {
    return Guarded<jobjectArray>(env, nullptr, [](CJniAdapter& jni) {
        CKestrum& kestrum = CKestrum::GetInstance();
        const std::vector<ShareRecord> shares = rules::TwoPassList<ShareRecord>(
            [&] { return kestrum.GetShareCount(); },
            [&](ShareRecord* records, int capacity) { return kestrum.GetShares(records, capacity); },
            [] { return CollectShares(SystemNetApi()); });
        return jni.NewShareRecordArray(shares.data(), static_cast<int>(shares.size()));
    });
}

JNIEXPORT jstring JNICALL
Java_com_varnex_quorel_mirravon_testmanagement_services_repository_core_WindowsOperatingSystemAPI_toUNC(JNIEnv* env,
                                                                                                        jobject,
                                                                                                        jstring path) {
    return Guarded<jstring>(env, nullptr, [&](CJniAdapter& jni) {
        const BStr native = jni.ToNativeString(path);
        return jni.ToJavaString(CKestrum::GetInstance().ToUNC(native));
    });
}

JNIEXPORT jobjectArray JNICALL
Java_com_varnex_quorel_mirravon_testmanagement_services_repository_core_WindowsOperatingSystemAPI_listFiles(
    JNIEnv* env, jobject, jstring directory) {
    return Guarded<jobjectArray>(env, nullptr, [&](CJniAdapter& jni) {
        const BStr path = jni.ToNativeString(directory);
        CKestrum& kestrum = CKestrum::GetInstance();
        const std::vector<FStatRecord> entries = rules::TwoPassList<FStatRecord>(
            [&] { return kestrum.GetFStatCount(path); },
            [&](FStatRecord* records, int capacity) { return kestrum.GetFStats(path, records, capacity); },
            [&] { return CollectFStats(path); });
        return jni.NewFileStatArray(entries.data(), static_cast<int>(entries.size()));
    });
}

JNIEXPORT jboolean JNICALL
Java_com_varnex_quorel_mirravon_testmanagement_services_repository_core_WindowsOperatingSystemAPI_startQAC(JNIEnv* env,
                                                                                                           jobject) {
    return Guarded<jboolean>(env, JNI_FALSE,
                             [](CJniAdapter& jni) { return jni.ToJavaBool(CKestrum::GetInstance().StartQAC()); });
}

}  // extern "C"
