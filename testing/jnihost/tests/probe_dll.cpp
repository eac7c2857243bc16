// Exports that use JNI rightly and wrongly, for the test host's own tests.
#include <jni.h>

extern "C" {

JNIEXPORT int __stdcall probe_add(int a, int b) { return a + b; }

JNIEXPORT jstring JNICALL Java_probe_Probe_echo(JNIEnv* env, jobject, jstring s) {
    const jsize len = env->GetStringLength(s);
    const jchar* chars = env->GetStringChars(s, nullptr);
    jstring copy = env->NewString(chars, len);
    env->ReleaseStringChars(s, chars);
    return copy;
}

JNIEXPORT void JNICALL Java_probe_Probe_callWithPending(JNIEnv* env, jobject) {
    env->ThrowNew(env->FindClass("java/lang/RuntimeException"), "first");
    env->FindClass("java/lang/String");
}

JNIEXPORT jlong JNICALL Java_probe_Probe_wrongFieldType(JNIEnv* env, jobject self) {
    jfieldID id = env->GetFieldID(env->GetObjectClass(self), "count", "I");
    return env->GetLongField(self, id);
}

JNIEXPORT void JNICALL Java_probe_Probe_releaseNeverObtained(JNIEnv* env, jobject, jstring s) {
    static const jchar fake[] = {'x', 0};
    env->ReleaseStringChars(s, fake);
}

JNIEXPORT jclass JNICALL Java_probe_Probe_dottedClass(JNIEnv* env, jobject) {
    return env->FindClass("java.lang.String");
}

JNIEXPORT jboolean JNICALL Java_probe_Probe_cacheLocal(JNIEnv* env, jobject self) {
    static jclass cached = nullptr;  // wrong on purpose: a local reference kept across calls
    if (cached == nullptr) {
        cached = env->FindClass("java/lang/String");
        return JNI_FALSE;
    }
    return env->IsInstanceOf(self, cached);
}

JNIEXPORT void JNICALL Java_probe_Probe_leakBuffer(JNIEnv* env, jobject, jstring s) { env->GetStringChars(s, nullptr); }

JNIEXPORT void JNICALL Java_probe_Probe_throwCoded(JNIEnv* env, jobject, jint code, jstring a, jstring b) {
    jclass cls = env->FindClass("probe/CodedException");
    if (cls == nullptr) return;
    jmethodID ctor = env->GetMethodID(cls, "<init>", "(I[Ljava/lang/String;)V");
    if (ctor == nullptr) return;
    jobjectArray texts = env->NewObjectArray(2, env->FindClass("java/lang/String"), nullptr);
    env->SetObjectArrayElement(texts, 0, a);
    env->SetObjectArrayElement(texts, 1, b);
    env->Throw(static_cast<jthrowable>(env->NewObject(cls, ctor, code, texts)));
}

JNIEXPORT jbyteArray JNICALL Java_probe_Probe_reversed(JNIEnv* env, jobject, jbyteArray data) {
    const jsize n = env->GetArrayLength(data);
    jbyte* bytes = env->GetByteArrayElements(data, nullptr);
    jbyteArray out = env->NewByteArray(n);
    for (jsize i = 0; i < n; ++i) env->SetByteArrayRegion(out, i, 1, &bytes[n - 1 - i]);
    env->ReleaseByteArrayElements(data, bytes, JNI_ABORT);
    return out;
}

JNIEXPORT jboolean JNICALL Java_probe_Probe_weakCleared(JNIEnv* env, jobject, jobject target) {
    static jweak weak = nullptr;
    if (weak == nullptr) weak = env->NewWeakGlobalRef(target);
    return env->IsSameObject(weak, nullptr);
}

JNIEXPORT void JNICALL Java_probe_Probe_overrun(JNIEnv* env, jobject, jbyteArray data) {
    const jsize n = env->GetArrayLength(data);
    jbyte* bytes = env->GetByteArrayElements(data, nullptr);
    bytes[n] = 1;  // one past the end, on purpose
    env->ReleaseByteArrayElements(data, bytes, 0);
}

JNIEXPORT void JNICALL Java_probe_Probe_unimplemented(JNIEnv* env, jobject) { env->GetDirectBufferAddress(nullptr); }

JNIEXPORT jint JNICALL Java_probe_Probe_callTwice(JNIEnv* env, jobject self, jint value) {
    jmethodID twice = env->GetMethodID(env->GetObjectClass(self), "twice", "(I)I");
    return twice ? env->CallIntMethod(self, twice, value) : -1;
}

JNIEXPORT jstring JNICALL Java_probe_Probe_readField(JNIEnv* env, jobject self) {
    jfieldID id = env->GetFieldID(env->GetObjectClass(self), "name", "Ljava/lang/String;");
    return id ? static_cast<jstring>(env->GetObjectField(self, id)) : nullptr;
}

JNIEXPORT jstring JNICALL Java_probe_Probe_utf(JNIEnv* env, jobject, jstring s) {
    const char* utf = env->GetStringUTFChars(s, nullptr);
    jstring copy = env->NewStringUTF(utf);
    env->ReleaseStringUTFChars(s, utf);
    return copy;
}

JNIEXPORT jint JNICALL Java_probe_Probe_frames(JNIEnv* env, jobject) {
    env->PushLocalFrame(4);
    jstring kept = env->NewStringUTF("kept");
    jobject out = env->PopLocalFrame(kept);
    return env->GetStringLength(static_cast<jstring>(out));
}
}

extern "C" {

JNIEXPORT void JNICALL Java_probe_Probe_leaveFramePushed(JNIEnv* env, jobject) { env->PushLocalFrame(4); }

JNIEXPORT void JNICALL Java_probe_Probe_deleteLocalAsGlobal(JNIEnv* env, jobject self) { env->DeleteGlobalRef(self); }

JNIEXPORT void JNICALL Java_probe_Probe_wrongMethodType(JNIEnv* env, jobject self) {
    jmethodID twice = env->GetMethodID(env->GetObjectClass(self), "twice", "(I)I");
    env->CallVoidMethod(self, twice, 1);
}

JNIEXPORT jint JNICALL Java_probe_Probe_envFromVm(JNIEnv* env, jobject) {
    JavaVM* vm = nullptr;
    if (env->GetJavaVM(&vm) != JNI_OK) return -1;
    void* again = nullptr;
    if (vm->GetEnv(&again, JNI_VERSION_1_8) != JNI_OK) return -2;
    return again == env ? 1 : 0;
}

JNIEXPORT void JNICALL Java_probe_Probe_storeWrongType(JNIEnv* env, jobject self) {
    jfieldID name = env->GetFieldID(env->GetObjectClass(self), "name", "Ljava/lang/String;");
    env->SetObjectField(self, name, self);  // a Probe where a String belongs
}
}
