// A stand-in Java VM for Windows test programs: it loads a JNI DLL, calls its
// exports the way a 32-bit JVM does, and implements the JNI function table
// strictly, like a VM run with -Xcheck:jni.
//
// Usage (GoogleTest, under Wine; link the target `jnihost`):
//
//   jnihost::JniHost vm;                         // Object, String, Class, Throwable, VM errors
//   vm.declareClientClasses();                   // the client's classes of java/, see below
//   jnihost::Library dll(vm, "tavrodvxjni.dll"); // LoadLibraryA (+ JNI_OnLoad when exported)
//   jobject pipe = vm.newObject(jnihost::classes::kNamedPipe);
//   vm.call<void>(dll, "Java_..._NamedPipe_native_1createNamedPipe", pipe, vm.newString(u"\\\\.\\pipe\\a"));
//   ASSERT_FALSE(vm.exceptionPending());
//   jlong handle = vm.getField(pipe, "hPipe").j();
//
//   // Failure paths: the pending exception's class and the arguments it was constructed with.
//   EXPECT_EQ(vm.pendingExceptionClass(), jnihost::classes::kDrovixIntegrationException);
//   std::vector<jnihost::Value> args = vm.constructorArgs(vm.pendingException());
//   vm.clearException();
//
// Own classes: vm.declareClass("a/b/C").field("x", "I").constructor("(Ljava/lang/String;)V");
// a class not declared is not found (FindClass leaves NoClassDefFoundError pending).
//
// References: every jobject the host hands to the test is a local reference of the
// calling thread's current frame (the outermost one, outside `call`), valid while
// the JniHost lives (or until deleted).
// `call` runs the export in a new local frame, as a VM does: reference arguments
// arrive as new local references of that frame, a returned reference is moved to
// the caller's frame, and every local reference the native code made dies when it
// returns. A local reference is tied to its thread: to share an object between
// threads, pass newGlobalRef(obj). Each thread gets its own JNIEnv on first use.
//
// Strictness: a JNI call while an exception is pending (other than the calls JNI
// allows then), an id used with the wrong type or class, a released buffer that was
// never obtained, a class name with dots, a dead/deleted/foreign reference, a
// JNIEnv used on another thread, a buffer still held or a local frame left pushed
// when the native method returns, an unimplemented JNI function: each is a
// violation. Violations are reported as non-fatal GoogleTest failures (ADD_FAILURE)
// naming the JNI function, unless a ViolationCapture is alive, which collects them
// for a test that expects one. The JNI function then returns its empty result.
// Buffers are copies: GetStringChars's copy is not terminated where the string
// ends (U+FFFD follows it), so code that reads to a terminator instead of the
// length shows; array copies carry guard bytes, and writing past the end is a
// violation when the buffer is released. Missing classes, methods and fields,
// bad indexes and the like are not violations: they leave the Java exception a
// VM would (NoClassDefFoundError, NoSuchMethodError, ArrayIndexOutOfBounds...).
#pragma once

#include <windows.h>

#include <jni.h>

#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

namespace jnihost {

// JNI names of the classes the host knows how to declare.
namespace classes {
inline constexpr const char kObject[] = "java/lang/Object";
inline constexpr const char kString[] = "java/lang/String";
inline constexpr const char kClass[] = "java/lang/Class";
inline constexpr const char kThrowable[] = "java/lang/Throwable";
inline constexpr const char kRuntimeException[] = "java/lang/RuntimeException";
inline constexpr const char kNoClassDefFoundError[] = "java/lang/NoClassDefFoundError";
inline constexpr const char kNoSuchMethodError[] = "java/lang/NoSuchMethodError";
inline constexpr const char kNoSuchFieldError[] = "java/lang/NoSuchFieldError";
inline constexpr const char kOutOfMemoryError[] = "java/lang/OutOfMemoryError";
inline constexpr const char kNullPointerException[] = "java/lang/NullPointerException";
inline constexpr const char kArrayIndexOutOfBoundsException[] = "java/lang/ArrayIndexOutOfBoundsException";
inline constexpr const char kArrayStoreException[] = "java/lang/ArrayStoreException";
inline constexpr const char kIllegalArgumentException[] = "java/lang/IllegalArgumentException";
inline constexpr const char kInstantiationException[] = "java/lang/InstantiationException";

// The client's classes (java/ in the repository), as declareClientClasses declares them.
inline constexpr const char kNamedPipe[] = "com/varnex/quorel/mirravon/testmanagement/drovix/common/NamedPipe";
inline constexpr const char kNamedPipeClient[] =
    "com/varnex/quorel/mirravon/testmanagement/drovix/common/NamedPipeClient";
inline constexpr const char kDrovixNative[] = "com/varnex/quorel/mirravon/testmanagement/drovix/common/DrovixNative";
inline constexpr const char kDrovixIntegrationException[] =
    "com/varnex/quorel/mirravon/testmanagement/drovix/common/DrovixIntegrationException";
inline constexpr const char kOperatingSystemAPI[] =
    "com/varnex/quorel/mirravon/testmanagement/services/repository/core/OperatingSystemAPI";
inline constexpr const char kWindowsOperatingSystemAPI[] =
    "com/varnex/quorel/mirravon/testmanagement/services/repository/core/WindowsOperatingSystemAPI";
inline constexpr const char kShareRecord[] =
    "com/varnex/quorel/mirravon/testmanagement/services/repository/core/ShareRecord";
inline constexpr const char kFileStat[] = "com/varnex/quorel/mirravon/testmanagement/services/repository/core/FileStat";
inline constexpr const char kKestrumException[] =
    "com/varnex/quorel/mirravon/testmanagement/services/repository/core/KestrumException";
}  // namespace classes

// One Java value with its JNI type letter: Z B C S I J F D, or L for any reference
// (objects and arrays).
class Value {
public:
    Value() noexcept : m_type('V') { m_v.j = 0; }
    static Value Boolean(bool v) { return Make('Z', &jvalue::z, jboolean(v ? JNI_TRUE : JNI_FALSE)); }
    static Value Byte(jbyte v) { return Make('B', &jvalue::b, v); }
    static Value Char(jchar v) { return Make('C', &jvalue::c, v); }
    static Value Short(jshort v) { return Make('S', &jvalue::s, v); }
    static Value Int(jint v) { return Make('I', &jvalue::i, v); }
    static Value Long(jlong v) { return Make('J', &jvalue::j, v); }
    static Value Float(jfloat v) { return Make('F', &jvalue::f, v); }
    static Value Double(jdouble v) { return Make('D', &jvalue::d, v); }
    static Value Object(jobject v) { return Make('L', &jvalue::l, v); }
    static Value Of(char type, jvalue v) {
        Value r(type);
        r.m_v = v;
        return r;
    }

    char type() const noexcept { return m_type; }  // 'V' for no value
    const jvalue& raw() const noexcept { return m_v; }
    bool z() const noexcept { return m_v.z != JNI_FALSE; }
    jbyte b() const noexcept { return m_v.b; }
    jchar c() const noexcept { return m_v.c; }
    jshort s() const noexcept { return m_v.s; }
    jint i() const noexcept { return m_v.i; }
    jlong j() const noexcept { return m_v.j; }
    jfloat f() const noexcept { return m_v.f; }
    jdouble d() const noexcept { return m_v.d; }
    jobject l() const noexcept { return m_v.l; }

private:
    explicit Value(char type) noexcept : m_type(type) { m_v.j = 0; }
    template <typename T> static Value Make(char type, T jvalue::*member, T v) noexcept {
        Value r(type);
        r.m_v.*member = v;
        return r;
    }
    char m_type;
    jvalue m_v;
};

class JniHost;

// A method that Java code would have run, for Call<Type>Method and friends:
// receives the receiver (a local reference, null for static methods) and the
// arguments, returns the result (Value() for void). It may use the host's
// test-side functions; it runs inside the native caller's frame.
using MethodBody = std::function<Value(JniHost& host, jobject self, const std::vector<Value>& args)>;

// Declares the members of one class; returned by JniHost::declareClass.
class ClassDecl {
public:
    ClassDecl& field(const std::string& name, const std::string& descriptor);
    ClassDecl& staticField(const std::string& name, const std::string& descriptor);
    // A constructor: the object records the descriptor and its arguments.
    ClassDecl& constructor(const std::string& descriptor);
    ClassDecl& method(const std::string& name, const std::string& descriptor, MethodBody body = {});
    ClassDecl& staticMethod(const std::string& name, const std::string& descriptor, MethodBody body = {});

private:
    friend class JniHost;
    ClassDecl(JniHost& host, void* cls) : m_host(host), m_class(cls) {}
    JniHost& m_host;
    void* m_class;
};

enum class RefKind { Invalid, Local, Global, WeakGlobal };

class JniHost {
public:
    JniHost();
    ~JniHost();
    JniHost(const JniHost&) = delete;
    JniHost& operator=(const JniHost&) = delete;

    // The calling thread's JNIEnv (the thread is attached on first use).
    JNIEnv* env();
    JavaVM* javaVm();

    // ---- classes
    ClassDecl declareClass(const std::string& name, const std::string& superName = classes::kObject);
    // The client's classes from java/, with their fields and constructors; `except`
    // names classes to leave undeclared (to test a class the VM cannot find).
    void declareClientClasses(const std::vector<std::string>& except = {});
    bool hasClass(const std::string& name) const;
    jclass findClass(const std::string& name);  // null when not declared; nothing pending

    // ---- objects
    jobject newObject(const std::string& className);  // fields zero, no constructor run
    jobject newObject(const std::string& className, const std::string& ctorDescriptor, const std::vector<Value>& args);
    std::string className(jobject obj);  // runtime class; arrays as "[B", "[Ljava/lang/String;"
    bool isInstanceOf(jobject obj, const std::string& className);
    // Field by name, looked up on the object's runtime class and its superclasses.
    Value getField(jobject obj, const std::string& name);
    void setField(jobject obj, const std::string& name, const Value& value);
    Value getStaticField(const std::string& className, const std::string& name);
    void setStaticField(const std::string& className, const std::string& name, const Value& value);
    // How the object was made: "" and no arguments when no constructor ran.
    std::string constructorDescriptor(jobject obj);
    std::vector<Value> constructorArgs(jobject obj);

    // ---- strings (UTF-16 in and out; Utf8 forms for readable tests)
    jstring newString(std::u16string_view text);
    jstring newStringUtf8(std::string_view text);
    std::u16string stringChars(jobject str);
    std::string stringUtf8(jobject str);

    // ---- arrays
    jbyteArray newByteArray(std::string_view bytes);
    std::string byteArrayBytes(jobject array);  // the elements as a byte string
    jobjectArray newObjectArray(const std::string& elementClass, const std::vector<jobject>& elements);
    std::vector<jobject> arrayElements(jobject array);  // local references; null elements stay null
    jsize arrayLength(jobject array);

    // ---- references
    jobject newLocalRef(jobject obj);
    jobject newGlobalRef(jobject obj);
    jweak newWeakGlobalRef(jobject obj);
    void deleteRef(jobject ref);              // any kind
    RefKind refKind(jobject ref);             // Invalid also for deleted and dead local references
    bool isSameObject(jobject a, jobject b);  // a cleared weak reference is the same as null
    // Makes every weak global reference to obj's object read as cleared (as after a
    // collection); strong references stay valid.
    void clearWeakReferences(jobject obj);
    void clearAllWeakReferences();
    int liveGlobalRefCount() const;
    int liveWeakGlobalRefCount() const;
    // Most local references that were alive at once during the last `call`.
    int lastCallLocalRefPeak() const;

    // ---- exceptions
    bool exceptionPending();              // on the calling thread
    jthrowable pendingException();        // local reference, or null
    std::string pendingExceptionClass();  // "" when none
    // The message the pending exception was made with (ThrowNew's text or a
    // (Ljava/lang/String;)V constructor's argument), as UTF-8; "" when none.
    std::string pendingExceptionMessage();
    void clearException();
    void throwNew(const std::string& className, const std::string& utf8Message);

    // ---- what the native code did
    // How often native code called a JNI function (by its JNI name, e.g. "FindClass").
    int jniCallCount(const std::string& function) const;
    // How often it called FindClass for this class name.
    int findClassCount(const std::string& className) const;
    // How often it called GetMethodID/GetStaticMethodID for this class, name and descriptor.
    int methodLookupCount(const std::string& className, const std::string& name, const std::string& descriptor) const;
    void resetJniCallCounts();
    std::vector<std::string> violations() const;  // every one so far, in order

    // ---- a VM that runs short
    // The call of the JNI function `function` that comes after `skip` further
    // calls of it fails as a VM out of memory fails it: it returns its empty
    // result with an OutOfMemoryError pending (meant for GetStringChars,
    // NewString, New<Type>Array and the like). One failure per request; a new
    // request replaces one not yet used.
    void failCall(const std::string& function, int skip = 0);

    // ---- calling an export
    // Runs `exportName` of `library` as the VM runs a native method: JNICALL
    // (__stdcall), JNIEnv* first, then `args` (the receiver, then the Java
    // arguments, of exactly the export's parameter types). A missing export is a
    // test failure and gives R{}.
    template <typename R, typename... A> R call(const class Library& library, const char* exportName, A... args);

    // Internal state, shared by the JNI functions (defined in the .cpp).
    struct State;
    State& state() { return *m_state; }

private:
    FARPROC exportAddress(const Library& library, const char* exportName);
    void enterNativeFrame();
    // Pops the native frame; returns `result` as a local reference of the caller's frame.
    jobject leaveNativeFrame(const char* exportName, jobject result);
    jobject argToCallee(jobject ref);

    template <typename T> T passIn(T arg) {
        if constexpr (std::is_pointer_v<T> && std::is_convertible_v<T, jobject>)
            return static_cast<T>(argToCallee(arg));
        else return arg;
    }

    std::unique_ptr<State> m_state;
};

// A DLL loaded with LoadLibraryA and freed on destruction. When it exports
// JNI_OnLoad, the host calls it with its JavaVM and checks the version it asks for.
class Library {
public:
    Library(JniHost& host, const std::string& path);
    ~Library();
    Library(const Library&) = delete;
    Library& operator=(const Library&) = delete;

    bool loaded() const { return m_module != nullptr; }
    DWORD loadError() const { return m_loadError; }  // GetLastError of a failed load
    HMODULE handle() const { return m_module; }
    // The export of exactly this name (no decoration added), or null.
    FARPROC find(const char* exportName) const;
    // The export as a typed function pointer, e.g. function<int(__stdcall*)(int)>("f").
    template <typename F> F function(const char* exportName) const {
        return reinterpret_cast<F>(reinterpret_cast<void*>(find(exportName)));
    }

private:
    HMODULE m_module = nullptr;
    DWORD m_loadError = 0;
};

// While alive on a thread, violations on that thread (and the host's other
// threads) are collected here instead of failing the test.
class ViolationCapture {
public:
    explicit ViolationCapture(JniHost& host);
    ~ViolationCapture();
    ViolationCapture(const ViolationCapture&) = delete;
    ViolationCapture& operator=(const ViolationCapture&) = delete;
    std::vector<std::string> take();  // collected so far; empties the list

private:
    JniHost& m_host;
};

template <typename R, typename... A> R JniHost::call(const Library& library, const char* exportName, A... args) {
    using Fn = R(JNICALL*)(JNIEnv*, A...);
    FARPROC address = exportAddress(library, exportName);
    if (address == nullptr) {
        if constexpr (std::is_void_v<R>) return;
        else return R{};
    }
    Fn fn = reinterpret_cast<Fn>(reinterpret_cast<void*>(address));
    enterNativeFrame();
    if constexpr (std::is_void_v<R>) {
        fn(env(), passIn(args)...);
        leaveNativeFrame(exportName, nullptr);
    } else if constexpr (std::is_pointer_v<R> && std::is_convertible_v<R, jobject>) {
        R result = fn(env(), passIn(args)...);
        return static_cast<R>(leaveNativeFrame(exportName, result));
    } else {
        R result = fn(env(), passIn(args)...);
        leaveNativeFrame(exportName, nullptr);
        return result;
    }
}

}  // namespace jnihost
