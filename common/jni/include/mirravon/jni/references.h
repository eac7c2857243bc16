// Owners of what a native call takes from the VM: a local reference, a string's
// characters, and a class looked up once per process. Each gives back what it
// took on every way out of the call, also when a C++ exception passes it.
#pragma once

#include <jni.h>

#include <mutex>
#include <utility>

namespace mirravon::jni {

// One local reference, deleted when the holder dies; release() hands it on (to
// return it to Java) instead. For loops that would otherwise fill the call's
// local reference table.
template <typename T> class LocalRef {
public:
    LocalRef() noexcept = default;
    LocalRef(JNIEnv* env, T ref) noexcept : m_env(env), m_ref(ref) {}
    LocalRef(LocalRef&& other) noexcept : m_env(other.m_env), m_ref(other.release()) {}
    LocalRef& operator=(LocalRef&& other) noexcept {
        if (this != &other) {
            reset();
            m_env = other.m_env;
            m_ref = other.release();
        }
        return *this;
    }
    ~LocalRef() { reset(); }

    T get() const noexcept { return m_ref; }
    explicit operator bool() const noexcept { return m_ref != nullptr; }
    T release() noexcept { return std::exchange(m_ref, nullptr); }
    // JNI allows DeleteLocalRef while an exception is pending.
    void reset() noexcept {
        if (m_ref != nullptr) m_env->DeleteLocalRef(m_ref);
        m_ref = nullptr;
    }

private:
    JNIEnv* m_env = nullptr;
    T m_ref = nullptr;
};

// A Java string's UTF-16 units as the VM lends them (GetStringChars), given
// back when the holder dies. The VM's buffer need not end in U+0000: read it
// with the string's length. Empty, with the VM's error pending, when the VM
// could not lend them.
class StringChars {
public:
    StringChars(JNIEnv* env, jstring text) noexcept
        : m_env(env), m_text(text), m_chars(env->GetStringChars(text, nullptr)) {}
    ~StringChars() {
        if (m_chars != nullptr) m_env->ReleaseStringChars(m_text, m_chars);
    }
    StringChars(const StringChars&) = delete;
    StringChars& operator=(const StringChars&) = delete;

    const jchar* get() const noexcept { return m_chars; }
    explicit operator bool() const noexcept { return m_chars != nullptr; }

private:
    JNIEnv* m_env;
    jstring m_text;
    const jchar* m_chars;
};

// A class found by name on first use and kept as a weak global reference, so
// the process never pins it. When the VM has cleared the reference (the class
// was unloaded), it is looked up again and the cleared reference is deleted;
// the ids of the class's members are then looked up again too (ids of an
// unloaded class are not valid for the class loaded again).
//
// Meant for objects of static storage, used by any thread. A short lock guards
// reading and replacing an entry, never a FindClass or GetMethodID (which may
// run Java code): so a reader never pairs the class or an id of one load with
// the generation of another, and a replaced reference is deleted while no
// other thread can be reading it.
class CachedClass {
public:
    // The class as a local reference of the call, with the load it belongs to.
    class Ref : public LocalRef<jclass> {
    public:
        Ref() noexcept = default;
        Ref(LocalRef<jclass> cls, unsigned generation) noexcept
            : LocalRef<jclass>(std::move(cls)), m_generation(generation) {}
        unsigned generation() const noexcept { return m_generation; }

    private:
        unsigned m_generation = 0;
    };

    explicit CachedClass(const char* name) noexcept : m_name(name) {}
    CachedClass(const CachedClass&) = delete;
    CachedClass& operator=(const CachedClass&) = delete;

    // Empty, with the VM's error pending, when the class cannot be found.
    Ref get(JNIEnv* env);
    const char* name() const noexcept { return m_name; }

private:
    friend class CachedMethodId;
    const char* m_name;
    std::mutex m_lock;
    jweak m_weak = nullptr;     // guarded by m_lock
    unsigned m_generation = 0;  // guarded by m_lock: how often the class was looked up
};

// The id of one method or constructor ("<init>") of a cached class.
class CachedMethodId {
public:
    constexpr CachedMethodId(CachedClass& owner, const char* name, const char* descriptor) noexcept
        : m_owner(owner), m_name(name), m_descriptor(descriptor) {}
    CachedMethodId(const CachedMethodId&) = delete;
    CachedMethodId& operator=(const CachedMethodId&) = delete;

    // The id on `cls` (as the owner's get() gave it); null, with the VM's error
    // pending, when the class has no such method. An id is kept only for the
    // load the owner holds now, so one found on a class since renewed is used
    // once and not kept.
    jmethodID get(JNIEnv* env, const CachedClass::Ref& cls);

private:
    CachedClass& m_owner;
    const char* m_name;
    const char* m_descriptor;
    jmethodID m_id = nullptr;   // guarded by the owner's lock
    unsigned m_generation = 0;  // guarded by the owner's lock: the owner's generation the id belongs to
};

}  // namespace mirravon::jni
