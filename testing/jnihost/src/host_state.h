// The stand-in VM's object model, references and per-thread state.
#pragma once

#include "jnihost/jni_host.h"

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace jnihost {

struct Object;
struct Class;

struct FieldInfo {
    Class* owner = nullptr;
    std::string name;
    std::string descriptor;
    bool isStatic = false;
    jvalue staticValue{};  // references stored as Object*
};

struct MethodInfo {
    Class* owner = nullptr;
    std::string name;
    std::string descriptor;
    bool isStatic = false;
    MethodBody body;
};

struct Class {
    std::string name;
    Class* super = nullptr;
    bool isArray = false;
    std::string elementDescriptor;  // arrays only: "B", "Ljava/lang/String;", "[I"
    Object* mirror = nullptr;       // the java/lang/Class object that jclass refers to
    std::vector<std::unique_ptr<FieldInfo>> fields;
    std::vector<std::unique_ptr<MethodInfo>> methods;
};

struct Object {
    Class* cls = nullptr;
    Class* reflects = nullptr;  // for class mirrors
    std::map<const FieldInfo*, jvalue> fields;
    bool isString = false;
    std::u16string chars;
    // arrays
    std::vector<unsigned char> primitive;  // element bytes of a primitive array
    std::vector<Object*> elements;         // an object array
    std::string ctorDescriptor;
    std::vector<std::pair<char, jvalue>> ctorArgs;  // references stored as Object*
};

struct ThreadState;

struct Ref {
    RefKind kind = RefKind::Local;
    Object* object = nullptr;
    ThreadState* thread = nullptr;  // locals: the owning thread
    std::uint64_t frame = 0;        // locals: the frame's id
    bool alive = true;              // false once deleted or its frame ended
    bool cleared = false;           // weak globals cleared by clearWeakReferences
    bool frameEnded = false;
};

struct Frame {
    std::uint64_t id = 0;
    std::vector<Ref*> refs;
    bool native = false;  // pushed by `call` (true) or by PushLocalFrame (false, also native)
    int capacity = 16;
    int live = 0;  // refs still alive: keeps the peak count cheap in long loops
};

struct Buffer {
    Object* object = nullptr;
    int kind = 0;  // see BufferKind in the .cpp
    ThreadState* thread = nullptr;
    std::uint64_t frame = 0;
    std::vector<unsigned char> bytes;
};

struct ThreadState {
    JNIEnv_ env;  // first member: a JNIEnv* is a ThreadState*
    JniHost* host = nullptr;
    DWORD threadId = 0;
    std::vector<Frame> frames;
    Object* pending = nullptr;
    int criticalDepth = 0;
    int monitorDepth = 0;
    std::vector<std::size_t> nativeFrameBase;  // frames.size() at each `call`
    int localPeak = 0;
};

// Marks a reference dead (deleted); a local one leaves its frame's live count.
inline void retireRef(Ref* r) {
    if (!r->alive) return;
    r->alive = false;
    if (r->kind != RefKind::Local || r->thread == nullptr) return;
    for (Frame& f : r->thread->frames)
        if (f.id == r->frame) {
            --f.live;
            break;
        }
}

struct JniHost::State {
    State& st{*this};  // lets the VM's own functions read as vm.st.<member>
    JniHost* host = nullptr;
    mutable std::recursive_mutex mutex;
    JNINativeInterface_ table{};
    JNIInvokeInterface_ invoke{};
    struct VmHandle {
        JavaVM_ vm;  // first member: a JavaVM* is a VmHandle*
        JniHost* host;
    } vm{};
    std::map<std::string, std::unique_ptr<Class>> classes;
    std::vector<std::unique_ptr<Object>> objects;
    std::vector<std::unique_ptr<Ref>> refs;
    std::unordered_set<const Ref*> refSet;
    std::unordered_set<const FieldInfo*> fieldSet;
    std::unordered_set<const MethodInfo*> methodSet;
    std::map<DWORD, std::unique_ptr<ThreadState>> threads;
    std::unordered_set<const ThreadState*> threadSet;
    std::map<const void*, Buffer> buffers;
    std::uint64_t nextFrame = 1;
    std::map<std::string, int> callCounts;
    std::map<std::string, int> findClassCounts;
    std::map<std::string, int> methodLookups;
    std::vector<std::string> violations;
    int captureDepth = 0;
    std::vector<std::string> captured;
    int lastPeak = 0;
    std::string failFunction;  // see failCall
    int failSkip = 0;

    static State* of(JniHost& host) { return &host.state(); }
    Class* lookupClass(const std::string& name);
    Class* addClass(const std::string& name, Class* super);
    Object* newObjectRaw(Class* cls);
    Object* newStringRaw(std::u16string_view chars);
    bool isSubclass(const Class* cls, const Class* of) const;
    bool isAssignable(const Object* obj, const std::string& descriptor);
    void violation(const std::string& text);
    ThreadState* currentThread();
    Ref* makeRef(RefKind kind, Object* obj, ThreadState* ts);
    jobject local(ThreadState* ts, Object* obj);
    // false (after a violation) for a reference that must not be used; a null or
    // cleared weak reference resolves to null.
    bool resolve(ThreadState* ts, jobject ref, const char* where, Object*& out);
    void popFrame(ThreadState* ts);
    void throwNewRaw(ThreadState* ts, const std::string& className, const std::string& utf8Message);
};

using Vm = JniHost::State;

}  // namespace jnihost
