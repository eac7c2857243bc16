// The JNI function table of the stand-in VM, checked like -Xcheck:jni.
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <type_traits>
#include <utility>

#include "host_internal.h"

namespace jnihost {
namespace {

// JNI functions that may be called while an exception is pending.
enum Allow : unsigned { kPlain = 0, kWithPending = 1, kInCritical = 2 };

enum BufferKind { kStringChars = 1, kStringUtf = 2, kStringCritical = 3, kArrayElements = 4, kArrayCritical = 5 };

constexpr std::size_t kGuard = 8;  // bytes after an array copy that must come back unchanged
constexpr unsigned char kGuardByte = 0xA5;

// One JNI call: takes the VM lock, checks the environment, the thread, the
// pending exception and the critical region, and counts the call.
struct Ctx {
    Vm* vm = nullptr;
    ThreadState* ts = nullptr;
    const char* fn;
    std::unique_lock<std::recursive_mutex> lock;
    bool ok = false;

    Ctx(JNIEnv* env, const char* name, unsigned allow = kPlain) : fn(name) {
        if (env == nullptr) {
            std::fprintf(stderr, "JNI violation: %s called with a null JNIEnv\n", name);
            return;
        }
        ts = reinterpret_cast<ThreadState*>(env);
        vm = &ts->host->state();
        lock = std::unique_lock<std::recursive_mutex>(vm->mutex);
        if (vm->threadSet.count(ts) == 0) {
            vm->violation(std::string(name) + ": JNIEnv not made by this VM");
            return;
        }
        ++vm->callCounts[name];
        if (ts->threadId != ::GetCurrentThreadId()) {
            vm->violation(std::string(name) + ": JNIEnv of another thread");
            return;
        }
        if (ts->criticalDepth > 0 && !(allow & kInCritical))
            vm->violation(std::string(name) + ": called inside a critical region");
        if (ts->pending != nullptr && !(allow & kWithPending))
            vm->violation(std::string(name) + ": called with an exception pending (" + ts->pending->cls->name + ")");
        if (vm->failFunction == name && vm->failSkip-- == 0) {
            vm->failFunction.clear();
            vm->throwNewRaw(ts, classes::kOutOfMemoryError, std::string("failCall: ") + name);
            return;  // the function returns its empty result
        }
        ok = true;
    }

    void fail(const std::string& what) { vm->violation(std::string(fn) + ": " + what); }

    // An object reference argument; false after a violation.
    bool get(jobject ref, Object*& out) { return vm->resolve(ts, ref, fn, out); }
    // A reference that must not be null.
    Object* need(jobject ref, const char* what) {
        Object* o = nullptr;
        if (!get(ref, o)) return nullptr;
        if (o == nullptr) fail(std::string(what) + " is null");
        return o;
    }
    Class* needClass(jclass ref) {
        Object* o = need(ref, "class argument");
        if (o == nullptr) return nullptr;
        if (o->reflects == nullptr) {
            fail("class argument is not a class but an object of " + o->cls->name);
            return nullptr;
        }
        return o->reflects;
    }
    jobject local(Object* o) { return vm->local(ts, o); }
    void raise(const char* cls, const std::string& message) { vm->throwNewRaw(ts, cls, message); }
};

#define ENTER(allow, fail_value)       \
    Ctx c(env, __func__ + 0, (allow)); \
    if (!c.ok) return fail_value

// Each function of the table by its position, and its JNI name: the entries
// that templates make for a whole family take their name from here.
enum FunctionIndex {
#define X(name) k##name,
#include "jni_functions.inc"
#undef X
};

const char* const kFunctionNames[] = {
#define X(name) #name,
#include "jni_functions.inc"
#undef X
};

// Access to a jvalue by the C++ type of the JNI accessor.
template <typename T> T& member(jvalue& v);
template <> jboolean& member<jboolean>(jvalue& v) { return v.z; }
template <> jbyte& member<jbyte>(jvalue& v) { return v.b; }
template <> jchar& member<jchar>(jvalue& v) { return v.c; }
template <> jshort& member<jshort>(jvalue& v) { return v.s; }
template <> jint& member<jint>(jvalue& v) { return v.i; }
template <> jlong& member<jlong>(jvalue& v) { return v.j; }
template <> jfloat& member<jfloat>(jvalue& v) { return v.f; }
template <> jdouble& member<jdouble>(jvalue& v) { return v.d; }
template <> jobject& member<jobject>(jvalue& v) { return v.l; }

template <typename T> constexpr char letterOf();
template <> constexpr char letterOf<jboolean>() { return 'Z'; }
template <> constexpr char letterOf<jbyte>() { return 'B'; }
template <> constexpr char letterOf<jchar>() { return 'C'; }
template <> constexpr char letterOf<jshort>() { return 'S'; }
template <> constexpr char letterOf<jint>() { return 'I'; }
template <> constexpr char letterOf<jlong>() { return 'J'; }
template <> constexpr char letterOf<jfloat>() { return 'F'; }
template <> constexpr char letterOf<jdouble>() { return 'D'; }
template <> constexpr char letterOf<jobject>() { return 'L'; }

// ---------------------------------------------------------------- version, classes

jint JNICALL GetVersion(JNIEnv* env) {
    ENTER(kPlain, 0);
    return JNI_VERSION_10;
}

jclass JNICALL FindClass(JNIEnv* env, const char* name) {
    ENTER(kPlain, nullptr);
    if (name == nullptr) {
        c.fail("null class name");
        return nullptr;
    }
    const std::string n(name);
    ++c.vm->findClassCounts[n];
    if (n.find('.') != std::string::npos) {
        c.fail("class name with dots: " + n);
        c.raise(classes::kNoClassDefFoundError, n);
        return nullptr;
    }
    Class* cls = c.vm->lookupClass(n);
    if (cls == nullptr) {
        c.raise(classes::kNoClassDefFoundError, n);
        return nullptr;
    }
    return static_cast<jclass>(c.local(cls->mirror));
}

jclass JNICALL GetSuperclass(JNIEnv* env, jclass clazz) {
    ENTER(kPlain, nullptr);
    Class* cls = c.needClass(clazz);
    return (cls && cls->super) ? static_cast<jclass>(c.local(cls->super->mirror)) : nullptr;
}

jboolean JNICALL IsAssignableFrom(JNIEnv* env, jclass sub, jclass sup) {
    ENTER(kPlain, JNI_FALSE);
    Class* a = c.needClass(sub);
    Class* b = c.needClass(sup);
    if (a == nullptr || b == nullptr) return JNI_FALSE;
    Object probe;
    probe.cls = a;
    return c.vm->isAssignable(&probe, b->name[0] == '[' ? b->name : "L" + b->name + ";") ? JNI_TRUE : JNI_FALSE;
}

// ---------------------------------------------------------------- exceptions

jint JNICALL Throw(JNIEnv* env, jthrowable obj) {
    ENTER(kPlain, JNI_ERR);
    Object* o = c.need(obj, "throwable");
    if (o == nullptr) return JNI_ERR;
    if (!c.vm->isAssignable(o, "Ljava/lang/Throwable;")) {
        c.fail("not a Throwable: " + o->cls->name);
        return JNI_ERR;
    }
    c.ts->pending = o;
    return JNI_OK;
}

jint JNICALL ThrowNew(JNIEnv* env, jclass clazz, const char* message) {
    ENTER(kPlain, JNI_ERR);
    Class* cls = c.needClass(clazz);
    if (cls == nullptr) return JNI_ERR;
    Object probe;
    probe.cls = cls;
    if (!c.vm->isAssignable(&probe, "Ljava/lang/Throwable;")) {
        c.fail("not a Throwable class: " + cls->name);
        return JNI_ERR;
    }
    bool hasCtor = false;
    for (auto& m : cls->methods) hasCtor |= (m->name == "<init>" && m->descriptor == "(Ljava/lang/String;)V");
    if (!hasCtor) {
        c.raise(classes::kNoSuchMethodError, cls->name + ".<init>(Ljava/lang/String;)V");
        return JNI_ERR;
    }
    Object* ex = c.vm->newObjectRaw(cls);
    ex->ctorDescriptor = "(Ljava/lang/String;)V";
    jvalue v{};
    v.l = message ? reinterpret_cast<jobject>(c.vm->newStringRaw(fromUtf8(message))) : nullptr;
    ex->ctorArgs.push_back({'L', v});
    c.ts->pending = ex;
    return JNI_OK;
}

jthrowable JNICALL ExceptionOccurred(JNIEnv* env) {
    ENTER(kWithPending, nullptr);
    return static_cast<jthrowable>(c.local(c.ts->pending));
}

void JNICALL ExceptionDescribe(JNIEnv* env) {
    ENTER(kWithPending, );
    if (c.ts->pending) std::fprintf(stderr, "Exception in native code: %s\n", c.ts->pending->cls->name.c_str());
    c.ts->pending = nullptr;
}

void JNICALL ExceptionClear(JNIEnv* env) {
    ENTER(kWithPending, );
    c.ts->pending = nullptr;
}

jboolean JNICALL ExceptionCheck(JNIEnv* env) {
    ENTER(kWithPending, JNI_FALSE);
    return c.ts->pending ? JNI_TRUE : JNI_FALSE;
}

void JNICALL FatalError(JNIEnv* env, const char* msg) {
    {
        ENTER(kWithPending, );
        c.fail(std::string("fatal error: ") + (msg ? msg : "(null)"));
    }
    std::fprintf(stderr, "JNI FatalError: %s\n", msg ? msg : "(null)");
    std::fflush(nullptr);
    std::abort();
}

// ---------------------------------------------------------------- references and frames

jint JNICALL PushLocalFrame(JNIEnv* env, jint capacity) {
    ENTER(kWithPending, JNI_ERR);
    if (capacity < 0) {
        c.fail("negative capacity");
        return JNI_ERR;
    }
    Frame f;
    f.id = c.vm->nextFrame++;
    f.capacity = static_cast<int>(capacity);
    c.ts->frames.push_back(f);
    return JNI_OK;
}

jobject JNICALL PopLocalFrame(JNIEnv* env, jobject result) {
    ENTER(kWithPending, nullptr);
    const std::size_t floor = c.ts->nativeFrameBase.empty() ? 1 : c.ts->nativeFrameBase.back() + 1;
    if (c.ts->frames.size() <= floor) {
        c.fail("no frame pushed by PushLocalFrame");
        return nullptr;
    }
    Object* o = nullptr;
    c.get(result, o);
    c.vm->popFrame(c.ts);
    return c.local(o);
}

jobject JNICALL NewGlobalRef(JNIEnv* env, jobject ref) {
    ENTER(kPlain, nullptr);
    Object* o = nullptr;
    if (!c.get(ref, o)) return nullptr;
    return reinterpret_cast<jobject>(c.vm->makeRef(RefKind::Global, o, c.ts));
}

void deleteOfKind(Ctx& c, jobject ref, RefKind kind, const char* kindName) {
    if (ref == nullptr) return;
    Object* o = nullptr;
    if (!c.get(ref, o)) return;
    Ref* r = reinterpret_cast<Ref*>(ref);
    if (r->kind != kind) {
        c.fail(std::string("not a ") + kindName + " reference");
        return;
    }
    retireRef(r);
}

void JNICALL DeleteGlobalRef(JNIEnv* env, jobject ref) {
    ENTER(kWithPending, );
    deleteOfKind(c, ref, RefKind::Global, "global");
}

void JNICALL DeleteLocalRef(JNIEnv* env, jobject ref) {
    ENTER(kWithPending, );
    deleteOfKind(c, ref, RefKind::Local, "local");
}

void JNICALL DeleteWeakGlobalRef(JNIEnv* env, jweak ref) {
    ENTER(kWithPending, );
    deleteOfKind(c, ref, RefKind::WeakGlobal, "weak global");
}

jboolean JNICALL IsSameObject(JNIEnv* env, jobject a, jobject b) {
    ENTER(kPlain, JNI_FALSE);
    Object* x = nullptr;
    Object* y = nullptr;
    c.get(a, x);
    c.get(b, y);
    return x == y ? JNI_TRUE : JNI_FALSE;
}

jobject JNICALL NewLocalRef(JNIEnv* env, jobject ref) {
    ENTER(kPlain, nullptr);
    Object* o = nullptr;
    c.get(ref, o);
    return c.local(o);
}

jint JNICALL EnsureLocalCapacity(JNIEnv* env, jint capacity) {
    ENTER(kPlain, JNI_ERR);
    if (capacity < 0) {
        c.fail("negative capacity");
        return JNI_ERR;
    }
    c.ts->frames.back().capacity = static_cast<int>(capacity);
    return JNI_OK;
}

jweak JNICALL NewWeakGlobalRef(JNIEnv* env, jobject ref) {
    ENTER(kPlain, nullptr);
    Object* o = nullptr;
    if (!c.get(ref, o)) return nullptr;
    return reinterpret_cast<jweak>(c.vm->makeRef(RefKind::WeakGlobal, o, c.ts));
}

jobjectRefType JNICALL GetObjectRefType(JNIEnv* env, jobject ref) {
    ENTER(kPlain, JNIInvalidRefType);
    Ref* r = reinterpret_cast<Ref*>(ref);
    if (ref == nullptr || c.vm->refSet.count(r) == 0 || !r->alive) return JNIInvalidRefType;
    switch (r->kind) {
    case RefKind::Local: return r->thread == c.ts ? JNILocalRefType : JNIInvalidRefType;
    case RefKind::Global: return JNIGlobalRefType;
    case RefKind::WeakGlobal: return JNIWeakGlobalRefType;
    default: return JNIInvalidRefType;
    }
}

// ---------------------------------------------------------------- objects

jobject JNICALL AllocObject(JNIEnv* env, jclass clazz) {
    ENTER(kPlain, nullptr);
    Class* cls = c.needClass(clazz);
    if (cls == nullptr) return nullptr;
    if (cls->isArray || cls->name == classes::kString || cls->name == classes::kClass) {
        c.raise(classes::kInstantiationException, cls->name);
        return nullptr;
    }
    return c.local(c.vm->newObjectRaw(cls));
}

jclass JNICALL GetObjectClass(JNIEnv* env, jobject obj) {
    ENTER(kPlain, nullptr);
    Object* o = c.need(obj, "object");
    return o ? static_cast<jclass>(c.local(o->cls->mirror)) : nullptr;
}

jboolean JNICALL IsInstanceOf(JNIEnv* env, jobject obj, jclass clazz) {
    ENTER(kPlain, JNI_FALSE);
    Object* o = nullptr;
    if (!c.get(obj, o)) return JNI_FALSE;
    Class* cls = c.needClass(clazz);
    if (cls == nullptr) return JNI_FALSE;
    if (o == nullptr) return JNI_TRUE;
    return c.vm->isAssignable(o, cls->name[0] == '[' ? cls->name : "L" + cls->name + ";") ? JNI_TRUE : JNI_FALSE;
}

// ---------------------------------------------------------------- methods

// The member of `cls` (and, when `inherited`, of its superclasses) with this
// name, descriptor and kind; null when there is none.
template <typename Info>
Info* findMember(Class* cls, bool inherited, std::vector<std::unique_ptr<Info>> Class::*members, const char* name,
                 const char* sig, bool isStatic) {
    for (Class* k = cls; k != nullptr; k = inherited ? k->super : nullptr)
        for (auto& m : k->*members)
            if (m->name == name && m->descriptor == sig && m->isStatic == isStatic) return m.get();
    return nullptr;
}

// The class a member is looked up in; null (after a violation) without a class, name or descriptor.
Class* memberLookupClass(Ctx& c, jclass clazz, const char* name, const char* sig) {
    Class* cls = c.needClass(clazz);
    if (cls == nullptr) return nullptr;
    if (name == nullptr || sig == nullptr) {
        c.fail("null name or descriptor");
        return nullptr;
    }
    return cls;
}

MethodInfo* lookupMethod(Ctx& c, jclass clazz, const char* name, const char* sig, bool isStatic) {
    Class* cls = memberLookupClass(c, clazz, name, sig);
    if (cls == nullptr) return nullptr;
    ++c.vm->methodLookups[cls->name + "." + name + sig];
    std::vector<std::string> params;
    std::string ret;
    if (!parseMethodDescriptor(sig, params, ret)) {
        c.fail(std::string("malformed method descriptor ") + sig);
        c.raise(classes::kNoSuchMethodError, std::string(name) + sig);
        return nullptr;
    }
    // Constructors are not inherited.
    const bool inherited = std::strcmp(name, "<init>") != 0;
    if (MethodInfo* m = findMember(cls, inherited, &Class::methods, name, sig, isStatic)) return m;
    c.raise(classes::kNoSuchMethodError, cls->name + "." + name + sig);
    return nullptr;
}

// The arguments of a call, from varargs or from a jvalue array.
struct Args {
    va_list* list = nullptr;
    const jvalue* array = nullptr;
    jvalue next(char letter, std::size_t index) {
        jvalue v{};
        if (array != nullptr) return array[index];
        switch (letter) {
        case 'Z': v.z = static_cast<jboolean>(va_arg(*list, int)); break;
        case 'B': v.b = static_cast<jbyte>(va_arg(*list, int)); break;
        case 'C': v.c = static_cast<jchar>(va_arg(*list, int)); break;
        case 'S': v.s = static_cast<jshort>(va_arg(*list, int)); break;
        case 'I': v.i = va_arg(*list, jint); break;
        case 'J': v.j = va_arg(*list, jlong); break;
        case 'F': v.f = static_cast<jfloat>(va_arg(*list, double)); break;
        case 'D': v.d = va_arg(*list, double); break;
        default: v.l = va_arg(*list, jobject); break;
        }
        return v;
    }
};

// Reads and checks a method's arguments; references come back as Object*.
bool readArgs(Ctx& c, const MethodInfo* m, Args& a, std::vector<std::pair<char, jvalue>>& out) {
    std::vector<std::string> params;
    std::string ret;
    parseMethodDescriptor(m->descriptor, params, ret);
    bool ok = true;
    for (std::size_t i = 0; i < params.size(); ++i) {
        const char letter = typeLetter(params[i]);
        jvalue v = a.next(letter, i);
        if (letter == 'L') {
            Object* o = nullptr;
            if (!c.get(v.l, o)) ok = false;
            if (!c.vm->isAssignable(o, params[i])) {
                c.fail("argument " + std::to_string(i + 1) + " of " + m->name + m->descriptor + " is a " +
                       o->cls->name);
                ok = false;
            }
            v.l = reinterpret_cast<jobject>(o);
        }
        out.push_back({letter, v});
    }
    return ok;
}

bool validMethod(Ctx& c, jmethodID id, MethodInfo*& m) {
    m = reinterpret_cast<MethodInfo*>(id);
    if (id == nullptr || c.vm->methodSet.count(m) == 0) {
        c.fail("not a method id");
        return false;
    }
    return true;
}

jobject newObjectWith(Ctx& c, jclass clazz, jmethodID id, Args a) {
    Class* cls = c.needClass(clazz);
    MethodInfo* m = nullptr;
    if (cls == nullptr || !validMethod(c, id, m)) return nullptr;
    if (m->name != "<init>" || m->owner != cls) {
        c.fail("method id " + m->owner->name + "." + m->name + m->descriptor + " is not a constructor of " + cls->name);
        return nullptr;
    }
    std::vector<std::pair<char, jvalue>> args;
    if (!readArgs(c, m, a, args)) return nullptr;
    Object* o = c.vm->newObjectRaw(cls);
    o->ctorDescriptor = m->descriptor;
    o->ctorArgs = args;
    return c.local(o);
}

jobject JNICALL NewObject(JNIEnv* env, jclass clazz, jmethodID id, ...) {
    ENTER(kPlain, nullptr);
    va_list ap;
    va_start(ap, id);
    Args a;
    a.list = &ap;
    jobject r = newObjectWith(c, clazz, id, a);
    va_end(ap);
    return r;
}

jobject JNICALL NewObjectV(JNIEnv* env, jclass clazz, jmethodID id, va_list ap) {
    ENTER(kPlain, nullptr);
    Args a;
    va_list copy;
    va_copy(copy, ap);
    a.list = &copy;
    jobject r = newObjectWith(c, clazz, id, a);
    va_end(copy);
    return r;
}

jobject JNICALL NewObjectA(JNIEnv* env, jclass clazz, jmethodID id, const jvalue* args) {
    ENTER(kPlain, nullptr);
    Args a;
    a.array = args;
    return newObjectWith(c, clazz, id, a);
}

enum class CallKind { Virtual, Nonvirtual, Static };

struct VaEnd {
    va_list& ap;
    ~VaEnd() { va_end(ap); }
};

template <typename R> R invoke(Ctx& c, CallKind kind, jobject target, jclass clazz, jmethodID id, Args a, char want) {
    MethodInfo* m = nullptr;
    if (!validMethod(c, id, m)) return R();
    std::vector<std::string> params;
    std::string ret;
    parseMethodDescriptor(m->descriptor, params, ret);
    if (typeLetter(ret) != want) {
        c.fail("method " + m->name + m->descriptor + " called through an accessor of type " + want);
        return R();
    }
    Object* self = nullptr;
    if (kind == CallKind::Static) {
        Class* cls = c.needClass(static_cast<jclass>(target));
        if (cls == nullptr) return R();
        if (!m->isStatic || !c.vm->isSubclass(cls, m->owner)) {
            c.fail("method id " + m->name + m->descriptor + " is not a static method of " + cls->name);
            return R();
        }
    } else {
        self = c.need(target, "receiver");
        if (self == nullptr) return R();
        if (m->isStatic || !c.vm->isSubclass(self->cls, m->owner)) {
            c.fail("method id " + m->owner->name + "." + m->name + " used on an object of " + self->cls->name);
            return R();
        }
        if (kind == CallKind::Nonvirtual) {
            Class* cls = c.needClass(clazz);
            if (cls == nullptr || !c.vm->isSubclass(cls, m->owner)) return R();
        } else {
            // Virtual dispatch: the most derived declaration with the same name and descriptor.
            for (Class* k = self->cls; k != m->owner && k != nullptr; k = k->super)
                for (auto& cand : k->methods)
                    if (cand->name == m->name && cand->descriptor == m->descriptor && !cand->isStatic) {
                        m = cand.get();
                        k = m->owner;
                        break;
                    }
        }
    }
    std::vector<std::pair<char, jvalue>> raw;
    if (!readArgs(c, m, a, raw)) return R();
    if (!m->body) {
        c.fail("method " + m->owner->name + "." + m->name + m->descriptor + " has no body in this test");
        return R();
    }
    std::vector<Value> values;
    for (auto& r : raw)
        values.push_back(r.first == 'L' ? Value::Object(c.local(reinterpret_cast<Object*>(r.second.l)))
                                        : Value::Of(r.first, r.second));
    [[maybe_unused]] Value result = m->body(*c.ts->host, c.local(self), values);
    if constexpr (!std::is_void_v<R>) {
        jvalue v = result.raw();
        return member<R>(v);
    }
}

inline std::pair<jobject, jclass> receiverOf(jobject self) { return {self, nullptr}; }
inline std::pair<jobject, jclass> receiverOf(jobject self, jclass cls) { return {self, cls}; }

// The three entries (..., V, A) of one Call<Kind><Type>Method family, for the
// table function at index I. `Receiver` is what comes before the method id:
// the object (virtual), the object and its class (nonvirtual), the class (static).
template <typename R, char letter, CallKind kind, typename... Receiver> struct CallEntries {
    template <FunctionIndex I> static R JNICALL dots(JNIEnv* env, Receiver... receiver, jmethodID id, ...) {
        va_list ap;
        va_start(ap, id);
        VaEnd end{ap};
        return list<I>(env, receiver..., id, ap);
    }
    template <FunctionIndex I> static R JNICALL list(JNIEnv* env, Receiver... receiver, jmethodID id, va_list ap) {
        va_list copy;
        va_copy(copy, ap);
        VaEnd endCopy{copy};
        Args a;
        a.list = &copy;
        return call(env, kFunctionNames[I], id, a, receiver...);
    }
    template <FunctionIndex I>
    static R JNICALL array(JNIEnv* env, Receiver... receiver, jmethodID id, const jvalue* args) {
        Args a;
        a.array = args;
        return call(env, kFunctionNames[I], id, a, receiver...);
    }

private:
    static R call(JNIEnv* env, const char* name, jmethodID id, Args& a, Receiver... receiver) {
        Ctx c(env, name, kPlain);
        if (!c.ok) return R();
        const std::pair<jobject, jclass> target = receiverOf(receiver...);
        return invoke<R>(c, kind, target.first, target.second, id, a, letter);
    }
};

// ---------------------------------------------------------------- fields

FieldInfo* lookupField(Ctx& c, jclass clazz, const char* name, const char* sig, bool isStatic) {
    Class* cls = memberLookupClass(c, clazz, name, sig);
    if (cls == nullptr) return nullptr;
    if (!parseFieldDescriptor(sig)) c.fail(std::string("malformed field descriptor ") + sig);
    if (FieldInfo* f = findMember(cls, true, &Class::fields, name, sig, isStatic)) return f;
    c.raise(classes::kNoSuchFieldError, name);
    return nullptr;
}

// Get[Static]MethodID and Get[Static]FieldID, the table functions at index I.
template <FunctionIndex I, typename Id, auto lookup, bool isStatic>
Id JNICALL memberId(JNIEnv* env, jclass clazz, const char* name, const char* sig) {
    Ctx c(env, kFunctionNames[I], kPlain);
    if (!c.ok) return nullptr;
    return reinterpret_cast<Id>(lookup(c, clazz, name, sig, isStatic));
}

// The storage of a field for an accessor of type `want`; null after a violation.
jvalue* fieldSlot(Ctx& c, jobject target, jfieldID id, char want, bool isStatic) {
    FieldInfo* f = reinterpret_cast<FieldInfo*>(id);
    if (id == nullptr || c.vm->fieldSet.count(f) == 0) {
        c.fail("not a field id");
        return nullptr;
    }
    if (f->isStatic != isStatic) {
        c.fail(std::string(f->isStatic ? "static" : "instance") + " field " + f->name + " used with this accessor");
        return nullptr;
    }
    if (typeLetter(f->descriptor) != want) {
        c.fail("field " + f->name + " of type " + f->descriptor + " used with an accessor of type " + want);
        return nullptr;
    }
    if (isStatic) {
        Class* cls = c.needClass(static_cast<jclass>(target));
        if (cls == nullptr) return nullptr;
        if (!c.vm->isSubclass(cls, f->owner)) {
            c.fail("field " + f->name + " of " + f->owner->name + " used on class " + cls->name);
            return nullptr;
        }
        return &f->staticValue;
    }
    Object* o = c.need(target, "object");
    if (o == nullptr) return nullptr;
    if (!c.vm->isSubclass(o->cls, f->owner)) {
        c.fail("field " + f->name + " of " + f->owner->name + " used on an object of " + o->cls->name);
        return nullptr;
    }
    return &o->fields[f];
}

template <typename T> T getFieldT(Ctx& c, jobject target, jfieldID id, bool isStatic) {
    jvalue* slot = fieldSlot(c, target, id, letterOf<T>(), isStatic);
    if (slot == nullptr) return T();
    if constexpr (std::is_same_v<T, jobject>) return c.local(reinterpret_cast<Object*>(slot->l));
    else return member<T>(*slot);
}

template <typename T> void setFieldT(Ctx& c, jobject target, jfieldID id, T value, bool isStatic) {
    jvalue* slot = fieldSlot(c, target, id, letterOf<T>(), isStatic);
    if (slot == nullptr) return;
    if constexpr (std::is_same_v<T, jobject>) {
        Object* o = nullptr;
        if (!c.get(value, o)) return;
        const FieldInfo* f = reinterpret_cast<FieldInfo*>(id);
        if (!c.vm->isAssignable(o, f->descriptor)) {
            c.fail("object of " + o->cls->name + " stored in field " + f->name + " of type " + f->descriptor);
            return;
        }
        slot->l = reinterpret_cast<jobject>(o);
    } else {
        member<T>(*slot) = value;
    }
}

// Get<Type>Field and Set<Type>Field (`Target` jobject), or their static forms
// (`Target` jclass), for the table functions at indexes G and S.
template <typename T, bool isStatic, typename Target> struct FieldEntries {
    template <FunctionIndex G> static T JNICALL get(JNIEnv* env, Target target, jfieldID id) {
        Ctx c(env, kFunctionNames[G], kPlain);
        if (!c.ok) return T();
        return getFieldT<T>(c, target, id, isStatic);
    }
    template <FunctionIndex S> static void JNICALL set(JNIEnv* env, Target target, jfieldID id, T value) {
        Ctx c(env, kFunctionNames[S], kPlain);
        if (!c.ok) return;
        setFieldT<T>(c, target, id, value, isStatic);
    }
};

// ---------------------------------------------------------------- buffers

const void* holdBuffer(Ctx& c, Object* o, int kind, std::vector<unsigned char> bytes) {
    Buffer b;
    b.object = o;
    b.kind = kind;
    b.thread = c.ts;
    b.frame = c.ts->frames.back().id;
    b.bytes = std::move(bytes);
    const void* key = b.bytes.data();
    c.vm->buffers[key] = std::move(b);
    return key;
}

// The buffer `p` as obtained for `o` by a Get function of `kind`; null after a violation.
Buffer* findBuffer(Ctx& c, Object* o, const void* p, int kind) {
    auto it = c.vm->buffers.find(p);
    if (p == nullptr || it == c.vm->buffers.end()) {
        c.fail("release of a buffer never obtained (or already released)");
        return nullptr;
    }
    if (it->second.object != o) {
        c.fail("buffer released with another object than it was obtained from");
        return nullptr;
    }
    if (it->second.kind != kind) {
        c.fail("buffer released by a function that does not match the one that obtained it");
        return nullptr;
    }
    return &it->second;
}

// ---------------------------------------------------------------- strings

Object* needString(Ctx& c, jstring str) {
    Object* o = c.need(str, "string");
    if (o != nullptr && !o->isString) {
        c.fail("not a java/lang/String but " + o->cls->name);
        return nullptr;
    }
    return o;
}

jstring JNICALL NewString(JNIEnv* env, const jchar* chars, jsize len) {
    ENTER(kPlain, nullptr);
    if (len < 0 || (chars == nullptr && len > 0)) {
        c.fail("bad characters or length");
        return nullptr;
    }
    std::u16string text;
    for (jsize i = 0; i < len; ++i) text += static_cast<char16_t>(chars[i]);
    return static_cast<jstring>(c.local(c.vm->newStringRaw(text)));
}

// Lends `bytes` as a buffer of kind `kind` over the string (always a copy).
template <typename Chars>
const Chars* lendString(Ctx& c, Object* s, int kind, std::vector<unsigned char> bytes, jboolean* isCopy) {
    if (isCopy) *isCopy = JNI_TRUE;
    return static_cast<const Chars*>(holdBuffer(c, s, kind, std::move(bytes)));
}

// Takes back a buffer lent over the string; false (after a violation) when it was not lent.
bool releaseString(Ctx& c, jstring str, const void* chars, int kind) {
    Object* s = needString(c, str);
    if (s == nullptr || findBuffer(c, s, chars, kind) == nullptr) return false;
    c.vm->buffers.erase(chars);
    return true;
}

// The string whose region [start, start + len) is read; null when there is none,
// with StringIndexOutOfBoundsException pending when the region does not fit.
Object* stringRegion(Ctx& c, jstring str, jsize start, jsize len) {
    Object* s = needString(c, str);
    if (s == nullptr) return nullptr;
    if (start < 0 || len < 0 || static_cast<std::size_t>(start) + static_cast<std::size_t>(len) > s->chars.size()) {
        c.raise("java/lang/StringIndexOutOfBoundsException", "");
        return nullptr;
    }
    return s;
}

jsize JNICALL GetStringLength(JNIEnv* env, jstring str) {
    ENTER(kPlain, 0);
    Object* s = needString(c, str);
    return s ? static_cast<jsize>(s->chars.size()) : 0;
}

// A copy that is not terminated where the string ends: U+FFFD follows the
// characters, so code that reads up to a terminator instead of the length shows.
const jchar* JNICALL GetStringChars(JNIEnv* env, jstring str, jboolean* isCopy) {
    ENTER(kPlain, nullptr);
    Object* s = needString(c, str);
    if (s == nullptr) return nullptr;
    std::vector<unsigned char> bytes((s->chars.size() + 2) * sizeof(jchar), 0);
    std::u16string copy = s->chars + u'\xFFFD';
    std::memcpy(bytes.data(), copy.data(), copy.size() * sizeof(jchar));
    return lendString<jchar>(c, s, kStringChars, std::move(bytes), isCopy);
}

void JNICALL ReleaseStringChars(JNIEnv* env, jstring str, const jchar* chars) {
    ENTER(kWithPending, );
    releaseString(c, str, chars, kStringChars);
}

jstring JNICALL NewStringUTF(JNIEnv* env, const char* utf) {
    ENTER(kPlain, nullptr);
    if (utf == nullptr) return nullptr;
    return static_cast<jstring>(c.local(c.vm->newStringRaw(fromUtf8(utf))));
}

jsize JNICALL GetStringUTFLength(JNIEnv* env, jstring str) {
    ENTER(kPlain, 0);
    Object* s = needString(c, str);
    return s ? static_cast<jsize>(toModifiedUtf8(s->chars).size()) : 0;
}

const char* JNICALL GetStringUTFChars(JNIEnv* env, jstring str, jboolean* isCopy) {
    ENTER(kPlain, nullptr);
    Object* s = needString(c, str);
    if (s == nullptr) return nullptr;
    const std::string utf = toModifiedUtf8(s->chars);
    std::vector<unsigned char> bytes(utf.begin(), utf.end());
    bytes.push_back(0);
    return lendString<char>(c, s, kStringUtf, std::move(bytes), isCopy);
}

void JNICALL ReleaseStringUTFChars(JNIEnv* env, jstring str, const char* chars) {
    ENTER(kWithPending, );
    releaseString(c, str, chars, kStringUtf);
}

void JNICALL GetStringRegion(JNIEnv* env, jstring str, jsize start, jsize len, jchar* buf) {
    ENTER(kPlain, );
    Object* s = stringRegion(c, str, start, len);
    if (s == nullptr) return;
    if (buf == nullptr && len > 0) {
        c.fail("null buffer");
        return;
    }
    for (jsize i = 0; i < len; ++i) buf[i] = s->chars[static_cast<std::size_t>(start + i)];
}

void JNICALL GetStringUTFRegion(JNIEnv* env, jstring str, jsize start, jsize len, char* buf) {
    ENTER(kPlain, );
    Object* s = stringRegion(c, str, start, len);
    if (s == nullptr) return;
    if (buf == nullptr) {
        c.fail("null buffer");
        return;
    }
    const std::string utf = toModifiedUtf8(
        std::u16string_view(s->chars).substr(static_cast<std::size_t>(start), static_cast<std::size_t>(len)));
    std::memcpy(buf, utf.c_str(), utf.size() + 1);
}

const jchar* JNICALL GetStringCritical(JNIEnv* env, jstring str, jboolean* isCopy) {
    ENTER(kInCritical, nullptr);
    Object* s = needString(c, str);
    if (s == nullptr) return nullptr;
    std::vector<unsigned char> bytes((s->chars.size() + 1) * sizeof(jchar), 0);
    std::memcpy(bytes.data(), s->chars.data(), s->chars.size() * sizeof(jchar));
    ++c.ts->criticalDepth;
    return lendString<jchar>(c, s, kStringCritical, std::move(bytes), isCopy);
}

void JNICALL ReleaseStringCritical(JNIEnv* env, jstring str, const jchar* chars) {
    ENTER(kWithPending | kInCritical, );
    if (releaseString(c, str, chars, kStringCritical)) --c.ts->criticalDepth;
}

// ---------------------------------------------------------------- arrays

Object* needArray(Ctx& c, jarray arr, char letter) {
    Object* a = c.need(arr, "array");
    if (a == nullptr) return nullptr;
    if (!a->cls->isArray) {
        c.fail("not an array but " + a->cls->name);
        return nullptr;
    }
    if (letter != 0 && !(letter == 'L' ? typeLetter(a->cls->elementDescriptor) == 'L'
                                       : a->cls->elementDescriptor == std::string(1, letter))) {
        c.fail("array " + a->cls->name + " used with a function for element type " + letter);
        return nullptr;
    }
    return a;
}

jsize JNICALL GetArrayLength(JNIEnv* env, jarray arr) {
    ENTER(kPlain, 0);
    Object* a = needArray(c, arr, 0);
    if (a == nullptr) return 0;
    if (typeLetter(a->cls->elementDescriptor) == 'L') return static_cast<jsize>(a->elements.size());
    return static_cast<jsize>(a->primitive.size() / elementSize(a->cls->elementDescriptor[0]));
}

jobjectArray JNICALL NewObjectArray(JNIEnv* env, jsize len, jclass elementClass, jobject init) {
    ENTER(kPlain, nullptr);
    Class* element = c.needClass(elementClass);
    if (element == nullptr) return nullptr;
    Object* initial = nullptr;
    if (!c.get(init, initial)) return nullptr;
    if (len < 0) {
        c.raise("java/lang/NegativeArraySizeException", std::to_string(len));
        return nullptr;
    }
    const std::string elementDescriptor = element->name[0] == '[' ? element->name : "L" + element->name + ";";
    if (!c.vm->isAssignable(initial, elementDescriptor)) {
        c.fail("initial element of " + initial->cls->name + " for an array of " + element->name);
        return nullptr;
    }
    Object* a = c.vm->newObjectRaw(c.vm->lookupClass("[" + elementDescriptor));
    a->elements.assign(static_cast<std::size_t>(len), initial);
    return static_cast<jobjectArray>(c.local(a));
}

jobject JNICALL GetObjectArrayElement(JNIEnv* env, jobjectArray arr, jsize index) {
    ENTER(kPlain, nullptr);
    Object* a = needArray(c, arr, 'L');
    if (a == nullptr) return nullptr;
    if (index < 0 || static_cast<std::size_t>(index) >= a->elements.size()) {
        c.raise(classes::kArrayIndexOutOfBoundsException, std::to_string(index));
        return nullptr;
    }
    return c.local(a->elements[static_cast<std::size_t>(index)]);
}

void JNICALL SetObjectArrayElement(JNIEnv* env, jobjectArray arr, jsize index, jobject value) {
    ENTER(kPlain, );
    Object* a = needArray(c, arr, 'L');
    Object* v = nullptr;
    if (a == nullptr || !c.get(value, v)) return;
    if (index < 0 || static_cast<std::size_t>(index) >= a->elements.size()) {
        c.raise(classes::kArrayIndexOutOfBoundsException, std::to_string(index));
        return;
    }
    if (!c.vm->isAssignable(v, a->cls->elementDescriptor)) {
        c.raise(classes::kArrayStoreException, v->cls->name);
        return;
    }
    a->elements[static_cast<std::size_t>(index)] = v;
}

template <typename T> jarray newPrimitiveArray(Ctx& c, jsize len) {
    if (len < 0) {
        c.raise("java/lang/NegativeArraySizeException", std::to_string(len));
        return nullptr;
    }
    Object* a = c.vm->newObjectRaw(c.vm->lookupClass(std::string("[") + letterOf<T>()));
    a->primitive.assign(static_cast<std::size_t>(len) * sizeof(T), 0);
    return static_cast<jarray>(c.local(a));
}

template <typename T> T* getElements(Ctx& c, jarray arr, jboolean* isCopy) {
    Object* a = needArray(c, arr, letterOf<T>());
    if (a == nullptr) return nullptr;
    std::vector<unsigned char> bytes(a->primitive);
    bytes.insert(bytes.end(), kGuard, kGuardByte);
    if (isCopy) *isCopy = JNI_TRUE;
    return static_cast<T*>(const_cast<void*>(holdBuffer(c, a, kArrayElements, std::move(bytes))));
}

void releaseCopy(Ctx& c, jarray arr, void* elems, jint mode, int kind, char letter) {
    Object* a = needArray(c, arr, letter);
    if (a == nullptr) return;
    Buffer* b = findBuffer(c, a, elems, kind);
    if (b == nullptr) return;
    const std::size_t n = a->primitive.size();
    for (std::size_t i = n; i < b->bytes.size(); ++i)
        if (b->bytes[i] != kGuardByte) {
            c.fail("native code wrote past the end of the array's elements");
            break;
        }
    if (mode != 0 && mode != JNI_COMMIT && mode != JNI_ABORT) c.fail("unknown release mode " + std::to_string(mode));
    if (mode != JNI_ABORT) std::memcpy(a->primitive.data(), b->bytes.data(), n);
    if (mode != JNI_COMMIT) c.vm->buffers.erase(elems);
}

template <typename T> void arrayRegion(Ctx& c, jarray arr, jsize start, jsize len, T* buf, bool store) {
    Object* a = needArray(c, arr, letterOf<T>());
    if (a == nullptr) return;
    const std::size_t count = a->primitive.size() / sizeof(T);
    if (start < 0 || len < 0 || static_cast<std::size_t>(start) + static_cast<std::size_t>(len) > count) {
        c.raise(classes::kArrayIndexOutOfBoundsException, std::to_string(start) + "+" + std::to_string(len));
        return;
    }
    if (buf == nullptr && len > 0) {
        c.fail("null buffer");
        return;
    }
    if (len == 0) return;
    unsigned char* at = a->primitive.data() + static_cast<std::size_t>(start) * sizeof(T);
    if (store) std::memcpy(at, buf, static_cast<std::size_t>(len) * sizeof(T));
    else std::memcpy(buf, at, static_cast<std::size_t>(len) * sizeof(T));
}

#define ARRAY_FAMILY(Type, T, ArrayT)                                                                    \
    ArrayT JNICALL New##Type##Array(JNIEnv* env, jsize len) {                                            \
        ENTER(kPlain, nullptr);                                                                          \
        return static_cast<ArrayT>(newPrimitiveArray<T>(c, len));                                        \
    }                                                                                                    \
    T* JNICALL Get##Type##ArrayElements(JNIEnv* env, ArrayT arr, jboolean* isCopy) {                     \
        ENTER(kPlain, nullptr);                                                                          \
        return getElements<T>(c, arr, isCopy);                                                           \
    }                                                                                                    \
    void JNICALL Release##Type##ArrayElements(JNIEnv* env, ArrayT arr, T* elems, jint mode) {            \
        ENTER(kWithPending, );                                                                           \
        releaseCopy(c, arr, elems, mode, kArrayElements, letterOf<T>());                                 \
    }                                                                                                    \
    void JNICALL Get##Type##ArrayRegion(JNIEnv* env, ArrayT arr, jsize start, jsize len, T* buf) {       \
        ENTER(kPlain, );                                                                                 \
        arrayRegion<T>(c, arr, start, len, buf, false);                                                  \
    }                                                                                                    \
    void JNICALL Set##Type##ArrayRegion(JNIEnv* env, ArrayT arr, jsize start, jsize len, const T* buf) { \
        ENTER(kPlain, );                                                                                 \
        arrayRegion<T>(c, arr, start, len, const_cast<T*>(buf), true);                                   \
    }

ARRAY_FAMILY(Boolean, jboolean, jbooleanArray)
ARRAY_FAMILY(Byte, jbyte, jbyteArray)
ARRAY_FAMILY(Char, jchar, jcharArray)
ARRAY_FAMILY(Short, jshort, jshortArray)
ARRAY_FAMILY(Int, jint, jintArray)
ARRAY_FAMILY(Long, jlong, jlongArray)
ARRAY_FAMILY(Float, jfloat, jfloatArray)
ARRAY_FAMILY(Double, jdouble, jdoubleArray)

void* JNICALL GetPrimitiveArrayCritical(JNIEnv* env, jarray arr, jboolean* isCopy) {
    ENTER(kInCritical, nullptr);
    Object* a = needArray(c, arr, 0);
    if (a == nullptr) return nullptr;
    if (typeLetter(a->cls->elementDescriptor) == 'L') {
        c.fail("not a primitive array: " + a->cls->name);
        return nullptr;
    }
    std::vector<unsigned char> bytes(a->primitive);
    bytes.insert(bytes.end(), kGuard, kGuardByte);
    if (isCopy) *isCopy = JNI_TRUE;
    ++c.ts->criticalDepth;
    return const_cast<void*>(holdBuffer(c, a, kArrayCritical, std::move(bytes)));
}

void JNICALL ReleasePrimitiveArrayCritical(JNIEnv* env, jarray arr, void* p, jint mode) {
    ENTER(kWithPending | kInCritical, );
    const bool held = c.vm->buffers.count(p) != 0;
    releaseCopy(c, arr, p, mode, kArrayCritical, 0);
    if (held && c.ts->criticalDepth > 0) --c.ts->criticalDepth;
}

// ---------------------------------------------------------------- monitors, VM

jint JNICALL MonitorEnter(JNIEnv* env, jobject obj) {
    ENTER(kPlain, JNI_ERR);
    if (c.need(obj, "object") == nullptr) return JNI_ERR;
    ++c.ts->monitorDepth;
    return JNI_OK;
}

jint JNICALL MonitorExit(JNIEnv* env, jobject obj) {
    ENTER(kWithPending, JNI_ERR);
    if (c.need(obj, "object") == nullptr) return JNI_ERR;
    if (c.ts->monitorDepth == 0) {
        c.fail("monitor not held");
        return JNI_ERR;
    }
    --c.ts->monitorDepth;
    return JNI_OK;
}

jint JNICALL GetJavaVM(JNIEnv* env, JavaVM** out) {
    ENTER(kPlain, JNI_ERR);
    if (out == nullptr) {
        c.fail("null out-parameter");
        return JNI_ERR;
    }
    *out = &c.vm->vm.vm;
    return JNI_OK;
}

// ---------------------------------------------------------------- invocation interface

JniHost* hostOf(JavaVM* vm) { return reinterpret_cast<Vm::VmHandle*>(vm)->host; }

jint JNICALL DestroyJavaVM(JavaVM* vm) {
    Vm& st = hostOf(vm)->state();
    std::lock_guard<std::recursive_mutex> lock(st.mutex);
    st.violation("DestroyJavaVM called by native code");
    return JNI_ERR;
}

jint JNICALL AttachCurrentThread(JavaVM* vm, void** penv, void*) {
    JniHost* host = hostOf(vm);
    *penv = host->env();
    return JNI_OK;
}

jint JNICALL AttachCurrentThreadAsDaemon(JavaVM* vm, void** penv, void*) {
    JniHost* host = hostOf(vm);
    *penv = host->env();
    return JNI_OK;
}

jint JNICALL DetachCurrentThread(JavaVM*) { return JNI_OK; }

jint JNICALL GetEnv(JavaVM* vm, void** penv, jint version) {
    Vm& st = hostOf(vm)->state();
    std::lock_guard<std::recursive_mutex> lock(st.mutex);
    if (version < JNI_VERSION_1_1 || version > JNI_VERSION_10) {
        *penv = nullptr;
        return JNI_EVERSION;
    }
    auto it = st.threads.find(::GetCurrentThreadId());
    if (it == st.threads.end()) {
        *penv = nullptr;
        return JNI_EDETACHED;
    }
    *penv = &it->second->env;
    return JNI_OK;
}

// ---------------------------------------------------------------- unimplemented functions

void unimplemented(JNIEnv* env, int index) {
    Ctx c(env, kFunctionNames[index], kWithPending | kInCritical);
    if (c.vm != nullptr) c.fail("this JNI function is not implemented by the test host");
}

template <typename F> struct Stub;
template <typename R, typename... A> struct Stub<R(JNICALL*)(JNIEnv*, A...)> {
    template <int I> static R JNICALL fn(JNIEnv* env, A...) {
        unimplemented(env, I);
        if constexpr (!std::is_void_v<R>) return R();
    }
};
template <typename R, typename... A> struct Stub<R(JNICALL*)(JNIEnv*, A..., ...)> {
    template <int I> static R JNICALL fn(JNIEnv* env, A..., ...) {
        unimplemented(env, I);
        if constexpr (!std::is_void_v<R>) return R();
    }
};

}  // namespace

void fillFunctionTable(Vm& vm) {
    JNINativeInterface_& t = vm.table;
    // x86-64's va_list carries a calling-convention attribute that a template
    // argument cannot keep; the stubs never read their va_list.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wignored-attributes"
#define X(name) t.name = Stub<decltype(t.name)>::template fn<k##name>;
#include "jni_functions.inc"
#undef X
#pragma GCC diagnostic pop

    // The table is laid out by hand, several entries a line.
    // clang-format off
#define SET(name) t.name = name;
    SET(GetVersion) SET(FindClass) SET(GetSuperclass) SET(IsAssignableFrom) SET(Throw) SET(ThrowNew)
    SET(ExceptionOccurred) SET(ExceptionDescribe) SET(ExceptionClear) SET(FatalError) SET(PushLocalFrame)
    SET(PopLocalFrame) SET(NewGlobalRef) SET(DeleteGlobalRef) SET(DeleteLocalRef) SET(IsSameObject)
    SET(NewLocalRef) SET(EnsureLocalCapacity) SET(AllocObject) SET(NewObject) SET(NewObjectV) SET(NewObjectA)
    SET(GetObjectClass) SET(IsInstanceOf) SET(NewString) SET(GetStringLength) SET(GetStringChars) SET(ReleaseStringChars)
    SET(NewStringUTF) SET(GetStringUTFLength) SET(GetStringUTFChars) SET(ReleaseStringUTFChars)
    SET(GetArrayLength) SET(NewObjectArray) SET(GetObjectArrayElement) SET(SetObjectArrayElement)
    SET(MonitorEnter) SET(MonitorExit) SET(GetJavaVM) SET(GetStringRegion) SET(GetStringUTFRegion)
    SET(GetPrimitiveArrayCritical) SET(ReleasePrimitiveArrayCritical) SET(GetStringCritical)
    SET(ReleaseStringCritical) SET(NewWeakGlobalRef) SET(DeleteWeakGlobalRef) SET(ExceptionCheck)
    SET(GetObjectRefType)
    t.GetMethodID = memberId<kGetMethodID, jmethodID, lookupMethod, false>;
    t.GetStaticMethodID = memberId<kGetStaticMethodID, jmethodID, lookupMethod, true>;
    t.GetFieldID = memberId<kGetFieldID, jfieldID, lookupField, false>;
    t.GetStaticFieldID = memberId<kGetStaticFieldID, jfieldID, lookupField, true>;
#define SET_CALL_ENTRIES(Function, Entries)              \
    t.Function = Entries::dots<k##Function>;             \
    t.Function##V = Entries::list<k##Function##V>;       \
    t.Function##A = Entries::array<k##Function##A>;
#define SET_CALLS(Type, R, letter)                                                              \
    {                                                                                           \
        using Virtual = CallEntries<R, letter, CallKind::Virtual, jobject>;                     \
        using Nonvirtual = CallEntries<R, letter, CallKind::Nonvirtual, jobject, jclass>;       \
        using Static = CallEntries<R, letter, CallKind::Static, jclass>;                        \
        SET_CALL_ENTRIES(Call##Type##Method, Virtual)                                           \
        SET_CALL_ENTRIES(CallNonvirtual##Type##Method, Nonvirtual)                              \
        SET_CALL_ENTRIES(CallStatic##Type##Method, Static)                                      \
    }
    SET_CALLS(Object, jobject, 'L') SET_CALLS(Boolean, jboolean, 'Z') SET_CALLS(Byte, jbyte, 'B')
    SET_CALLS(Char, jchar, 'C') SET_CALLS(Short, jshort, 'S') SET_CALLS(Int, jint, 'I')
    SET_CALLS(Long, jlong, 'J') SET_CALLS(Float, jfloat, 'F') SET_CALLS(Double, jdouble, 'D')
    SET_CALLS(Void, void, 'V')
#define SET_FIELDS(Type, T)                                                                            \
    t.Get##Type##Field = FieldEntries<T, false, jobject>::get<kGet##Type##Field>;                      \
    t.Set##Type##Field = FieldEntries<T, false, jobject>::set<kSet##Type##Field>;                      \
    t.GetStatic##Type##Field = FieldEntries<T, true, jclass>::get<kGetStatic##Type##Field>;            \
    t.SetStatic##Type##Field = FieldEntries<T, true, jclass>::set<kSetStatic##Type##Field>;
    SET_FIELDS(Object, jobject) SET_FIELDS(Boolean, jboolean) SET_FIELDS(Byte, jbyte) SET_FIELDS(Char, jchar)
    SET_FIELDS(Short, jshort) SET_FIELDS(Int, jint) SET_FIELDS(Long, jlong) SET_FIELDS(Float, jfloat)
    SET_FIELDS(Double, jdouble)
#define SET_ARRAYS(Type)                                                                                \
    SET(New##Type##Array) SET(Get##Type##ArrayElements) SET(Release##Type##ArrayElements)              \
    SET(Get##Type##ArrayRegion) SET(Set##Type##ArrayRegion)
    SET_ARRAYS(Boolean) SET_ARRAYS(Byte) SET_ARRAYS(Char) SET_ARRAYS(Short) SET_ARRAYS(Int) SET_ARRAYS(Long)
    SET_ARRAYS(Float) SET_ARRAYS(Double)
#undef SET
        // clang-format on

        vm.invoke.DestroyJavaVM = DestroyJavaVM;
    vm.invoke.AttachCurrentThread = AttachCurrentThread;
    vm.invoke.DetachCurrentThread = DetachCurrentThread;
    vm.invoke.GetEnv = GetEnv;
    vm.invoke.AttachCurrentThreadAsDaemon = AttachCurrentThreadAsDaemon;
    vm.vm.vm.functions = &vm.invoke;
    vm.vm.host = vm.host;
}

}  // namespace jnihost
