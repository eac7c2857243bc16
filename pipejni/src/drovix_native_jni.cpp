// Java-facing operations of DrovixNative: discovery, the session with the test
// tool and its scripts. Every failure leaves a pending DrovixIntegrationException;
// the functions themselves always return. A Java string whose characters the VM
// cannot give ends the call at once with the VM's own error pending (chars()
// throws, before the tool is called; a null string is no failure: it reaches
// the tool as a null text).
#include "com_varnex_quorel_mirravon_testmanagement_drovix_common_DrovixNative.h"

#include "jnisupport/java_exception.h"
#include "jnisupport/java_string.h"
#include "toolbridge/drovix_automation.h"
#include "toolbridge/ktx_system_library.h"
#include "toolbridge/library_lifecycle.h"
#include "toolbridge/tool_home.h"

using jnisupport::CallGuarded;
using jnisupport::CJavaString;
using jnisupport::MakeJavaString;
using toolbridge::CKtxComponent;
using toolbridge::TheDrovixAutomation;
using toolbridge::TheKtxSystemLibrary;

namespace tavrodvxjni {
namespace {
void openScript(JNIEnv* env, jstring name) {
    CallGuarded(env, [&] {
        CJavaString script(env, name);
        const char* text = script.chars();
        // A tool window that does not come up does not stop the call: the tool
        // answers for itself when the script cannot be opened.
        CKtxComponent(toolbridge::kDrovixMainComponent, TheKtxSystemLibrary()).ActivateWindow();
        TheDrovixAutomation().OpenScript(text);
    });
}
}  // namespace
}  // namespace tavrodvxjni

extern "C" {

JNIEXPORT jboolean JNICALL
Java_com_varnex_quorel_mirravon_testmanagement_drovix_common_DrovixNative_native_1isDrovixInstalled(JNIEnv* env,
                                                                                                    jclass) {
    return CallGuarded(env, static_cast<jboolean>(JNI_FALSE), [] {
        return toolbridge::IsDrovixInstalled() ? static_cast<jboolean>(JNI_TRUE) : static_cast<jboolean>(JNI_FALSE);
    });
}

JNIEXPORT jstring JNICALL
Java_com_varnex_quorel_mirravon_testmanagement_drovix_common_DrovixNative_native_1getDrovixInstallDir(JNIEnv* env,
                                                                                                      jclass) {
    return CallGuarded(env, static_cast<jstring>(nullptr),
                       [env] { return MakeJavaString(env, toolbridge::DrovixInstallDir().c_str()); });
}

// Kept for the Java declaration; the session is opened by loginAndLaunch.
JNIEXPORT jint JNICALL Java_com_varnex_quorel_mirravon_testmanagement_drovix_common_DrovixNative_native_1login(
    JNIEnv*, jobject, jstring, jstring, jstring) {
    return 0;
}

JNIEXPORT void JNICALL Java_com_varnex_quorel_mirravon_testmanagement_drovix_common_DrovixNative_native_1loginAndLaunch(
    JNIEnv* env, jobject, jstring a, jstring b, jstring c, jboolean flag, jstring e) {
    CallGuarded(env, [&] {
        CJavaString stringA(env, a), stringB(env, b), stringC(env, c), stringE(env, e);
        const char* textA = stringA.chars();
        const char* textB = stringB.chars();
        const char* textC = stringC.chars();
        const char* textE = stringE.chars();
        TheDrovixAutomation().LoginToProject(textA, textB, textC, flag != JNI_FALSE ? 1 : 0, textE);
    });
}

JNIEXPORT void JNICALL
Java_com_varnex_quorel_mirravon_testmanagement_drovix_common_DrovixNative_native_1logoff(JNIEnv* env, jobject) {
    CallGuarded(env, [] { TheDrovixAutomation().Logoff(); });
}

JNIEXPORT void JNICALL
Java_com_varnex_quorel_mirravon_testmanagement_drovix_common_DrovixNative_native_1openScript__Ljava_lang_String_2(
    JNIEnv* env, jobject, jstring name) {
    tavrodvxjni::openScript(env, name);
}

JNIEXPORT void JNICALL
Java_com_varnex_quorel_mirravon_testmanagement_drovix_common_DrovixNative_native_1openScript__Ljava_lang_String_2J(
    JNIEnv* env, jobject, jstring name, jlong) {
    tavrodvxjni::openScript(env, name);
}

JNIEXPORT void JNICALL
Java_com_varnex_quorel_mirravon_testmanagement_drovix_common_DrovixNative_native_1highlightScript(JNIEnv*, jobject,
                                                                                                  jstring, jint, jint) {
}

JNIEXPORT void JNICALL Java_com_varnex_quorel_mirravon_testmanagement_drovix_common_DrovixNative_native_1playbackScript(
    JNIEnv* env, jobject, jstring a, jstring b) {
    CallGuarded(env, [&] {
        CJavaString script(env, a), arguments(env, b);
        const char* scriptText = script.chars();
        const char* argumentsText = arguments.chars();
        CKtxComponent(toolbridge::kDrovixMainComponent, TheKtxSystemLibrary()).WaitForWindow();
        TheDrovixAutomation().ExecuteScriptEx(scriptText, argumentsText);
    });
}

}  // extern "C"
