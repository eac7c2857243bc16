// Thin wrappers over the JNI references of one native call.
//
// They live on the stack of the call that received the JNIEnv and never delete
// a local reference, so an object they wrap can be returned to Java after the
// wrapper is gone.
#pragma once

#include <jni.h>

namespace jnisupport {

class CJavaClass {
public:
    // Finds the class by its JNI name ("/" as package separator). When the VM
    // cannot find it the wrapper stays empty, one "Cannot find class: " line goes
    // to the debugger output, and the VM's error stays pending for the caller.
    CJavaClass(JNIEnv* env, const char* className);
    CJavaClass(JNIEnv* env, jclass cls) : m_env(env), m_jclass(cls) {}

    jclass javaClass() const { return m_jclass; }
    JNIEnv* env() const { return m_env; }

private:
    JNIEnv* m_env = nullptr;
    jclass m_jclass = nullptr;
};

class CJavaObject {
public:
    // Wraps an object received from Java; its class comes from GetObjectClass.
    // A null object gives a wrapper with neither object nor class.
    CJavaObject(JNIEnv* env, jobject obj);
    // No object yet; the class is found by name (see CJavaClass).
    CJavaObject(JNIEnv* env, const char* className) : m_env(env), m_class(env, className) {}

    jobject object() const { return m_jobject; }
    const CJavaClass& javaClass() const { return m_class; }

protected:
    JNIEnv* m_env = nullptr;
    jobject m_jobject = nullptr;
    CJavaClass m_class;
};

}  // namespace jnisupport
