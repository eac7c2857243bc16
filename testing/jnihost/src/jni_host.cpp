// The stand-in VM: object model, references, frames, violations and the
// test-side functions. The JNI function table itself is in jni_functions.cpp.
#include "jnihost/jni_host.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "host_internal.h"

namespace jnihost {

// ---------------------------------------------------------------- text

// Standard UTF-8 and modified UTF-8 (C0 80 for U+0000, surrogates as 3 bytes each)
// both decode here; invalid bytes become U+FFFD.
std::u16string fromUtf8(std::string_view text) {
    std::u16string out;
    std::size_t i = 0;
    auto cont = [&](std::size_t k) { return k < text.size() && (static_cast<unsigned char>(text[k]) & 0xC0) == 0x80; };
    while (i < text.size()) {
        const unsigned char b = static_cast<unsigned char>(text[i]);
        std::uint32_t c = 0xFFFD;
        std::size_t n = 1;
        if (b < 0x80) {
            c = b;
        } else if ((b & 0xE0) == 0xC0 && cont(i + 1)) {
            c = ((b & 0x1Fu) << 6) | (static_cast<unsigned char>(text[i + 1]) & 0x3Fu);
            n = 2;
        } else if ((b & 0xF0) == 0xE0 && cont(i + 1) && cont(i + 2)) {
            c = ((b & 0x0Fu) << 12) | ((static_cast<unsigned char>(text[i + 1]) & 0x3Fu) << 6) |
                (static_cast<unsigned char>(text[i + 2]) & 0x3Fu);
            n = 3;
        } else if ((b & 0xF8) == 0xF0 && cont(i + 1) && cont(i + 2) && cont(i + 3)) {
            c = ((b & 0x07u) << 18) | ((static_cast<unsigned char>(text[i + 1]) & 0x3Fu) << 12) |
                ((static_cast<unsigned char>(text[i + 2]) & 0x3Fu) << 6) |
                (static_cast<unsigned char>(text[i + 3]) & 0x3Fu);
            n = 4;
        }
        i += n;
        if (c >= 0x10000) {
            c -= 0x10000;
            out += static_cast<char16_t>(0xD800 + (c >> 10));
            out += static_cast<char16_t>(0xDC00 + (c & 0x3FF));
        } else {
            out += static_cast<char16_t>(c);
        }
    }
    return out;
}

std::string toModifiedUtf8(std::u16string_view text) {
    std::string out;
    for (char16_t u : text) {
        const std::uint32_t c = u;
        if (c != 0 && c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += static_cast<char>(0xE0 | (c >> 12));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

// ---------------------------------------------------------------- descriptors

char typeLetter(const std::string& descriptor) {
    if (descriptor.empty()) return 'V';
    return (descriptor[0] == '[' || descriptor[0] == 'L') ? 'L' : descriptor[0];
}

static bool parseOne(const std::string& d, std::size_t& i, std::string& out) {
    const std::size_t start = i;
    while (i < d.size() && d[i] == '[') ++i;
    if (i >= d.size()) return false;
    if (d[i] == 'L') {
        const std::size_t end = d.find(';', i);
        if (end == std::string::npos || end == i + 1) return false;
        i = end + 1;
    } else if (std::string("ZBCSIJFD").find(d[i]) != std::string::npos) {
        ++i;
    } else {
        return false;
    }
    out = d.substr(start, i - start);
    return true;
}

bool parseFieldDescriptor(const std::string& d) {
    std::size_t i = 0;
    std::string one;
    return parseOne(d, i, one) && i == d.size();
}

bool parseMethodDescriptor(const std::string& d, std::vector<std::string>& params, std::string& ret) {
    params.clear();
    if (d.empty() || d[0] != '(') return false;
    std::size_t i = 1;
    while (i < d.size() && d[i] != ')') {
        std::string one;
        if (!parseOne(d, i, one)) return false;
        params.push_back(one);
    }
    if (i >= d.size()) return false;
    ++i;
    if (i < d.size() && d[i] == 'V' && i + 1 == d.size()) {
        ret = "V";
        return true;
    }
    return parseOne(d, i, ret) && i == d.size();
}

std::size_t elementSize(char letter) {
    switch (letter) {
    case 'Z':
    case 'B': return 1;
    case 'C':
    case 'S': return 2;
    case 'I':
    case 'F': return 4;
    default: return 8;  // J, D
    }
}

// ---------------------------------------------------------------- construction

Class* Vm::lookupClass(const std::string& name) {
    auto it = st.classes.find(name);
    if (it != st.classes.end()) return it->second.get();
    if (name.size() >= 2 && name[0] == '[') {
        // Array classes exist once their element class does.
        const std::string element = name.substr(1);
        if (!parseFieldDescriptor(element)) return nullptr;
        if (element[0] == 'L' && lookupClass(element.substr(1, element.size() - 2)) == nullptr) return nullptr;
        if (element[0] == '[' && lookupClass(element) == nullptr) return nullptr;
        Class* cls = addClass(name, lookupClass(classes::kObject));
        cls->isArray = true;
        cls->elementDescriptor = element;
        return cls;
    }
    return nullptr;
}

Class* Vm::addClass(const std::string& name, Class* super) {
    auto cls = std::make_unique<Class>();
    cls->name = name;
    cls->super = super;
    Class* raw = cls.get();
    st.classes[name] = std::move(cls);
    Object* mirror = newObjectRaw(st.classes.count(classes::kClass) ? st.classes[classes::kClass].get() : raw);
    mirror->reflects = raw;
    raw->mirror = mirror;
    if (name == classes::kClass) {
        // java/lang/Class is its own class; fix up every mirror made before it.
        for (auto& entry : st.classes) entry.second->mirror->cls = raw;
    }
    return raw;
}

Object* Vm::newObjectRaw(Class* cls) {
    auto obj = std::make_unique<Object>();
    obj->cls = cls;
    Object* raw = obj.get();
    st.objects.push_back(std::move(obj));
    return raw;
}

Object* Vm::newStringRaw(std::u16string_view chars) {
    Object* s = newObjectRaw(lookupClass(classes::kString));
    s->isString = true;
    s->chars.assign(chars.begin(), chars.end());
    return s;
}

bool Vm::isSubclass(const Class* cls, const Class* of) const {
    for (const Class* c = cls; c != nullptr; c = c->super)
        if (c == of) return true;
    return false;
}

bool Vm::isAssignable(const Object* obj, const std::string& descriptor) {
    if (obj == nullptr) return true;
    if (descriptor == "Ljava/lang/Object;") return true;
    if (descriptor[0] == 'L') {
        const std::string name = descriptor.substr(1, descriptor.size() - 2);
        for (const Class* c = obj->cls; c != nullptr; c = c->super)
            if (c->name == name) return true;
        return false;
    }
    if (descriptor[0] == '[') {
        if (!obj->cls->isArray) return false;
        if (obj->cls->name == descriptor) return true;
        const std::string want = descriptor.substr(1);
        const std::string have = obj->cls->elementDescriptor;
        if (typeLetter(want) != 'L' || typeLetter(have) != 'L') return false;
        if (want == "Ljava/lang/Object;") return true;
        // Covariant object arrays: String[] is an Object[] and so on.
        Class* haveClass = lookupClass(have[0] == 'L' ? have.substr(1, have.size() - 2) : have);
        if (haveClass == nullptr) return false;
        Object probe;
        probe.cls = haveClass;
        return isAssignable(&probe, want);
    }
    return false;
}

// ---------------------------------------------------------------- violations

void Vm::violation(const std::string& text) {
    st.violations.push_back(text);
    if (st.captureDepth > 0) {
        st.captured.push_back(text);
        return;
    }
    ADD_FAILURE() << "JNI violation: " << text;
}

// ---------------------------------------------------------------- threads and references

ThreadState* Vm::currentThread() {
    const DWORD id = ::GetCurrentThreadId();
    auto it = st.threads.find(id);
    if (it != st.threads.end()) return it->second.get();
    auto ts = std::make_unique<ThreadState>();
    ts->env.functions = &st.table;
    ts->host = st.host;
    ts->threadId = id;
    Frame outer;
    outer.id = st.nextFrame++;
    ts->frames.push_back(outer);
    ThreadState* raw = ts.get();
    st.threadSet.insert(raw);
    st.threads[id] = std::move(ts);
    return raw;
}

Ref* Vm::makeRef(RefKind kind, Object* obj, ThreadState* ts) {
    if (obj == nullptr) return nullptr;
    auto ref = std::make_unique<Ref>();
    ref->kind = kind;
    ref->object = obj;
    Ref* raw = ref.get();
    if (kind == RefKind::Local) {
        ref->thread = ts;
        Frame& top = ts->frames.back();
        ref->frame = top.id;
        top.refs.push_back(raw);
        ++top.live;
        int live = 0;
        for (std::size_t f = ts->nativeFrameBase.empty() ? ts->frames.size() : ts->nativeFrameBase.front();
             f < ts->frames.size(); ++f)
            live += ts->frames[f].live;
        ts->localPeak = std::max(ts->localPeak, live);
    }
    st.refSet.insert(raw);
    st.refs.push_back(std::move(ref));
    return raw;
}

jobject Vm::local(ThreadState* ts, Object* obj) { return reinterpret_cast<jobject>(makeRef(RefKind::Local, obj, ts)); }

bool Vm::resolve(ThreadState* ts, jobject ref, const char* where, Object*& out) {
    out = nullptr;
    if (ref == nullptr) return true;
    Ref* r = reinterpret_cast<Ref*>(ref);
    if (st.refSet.count(r) == 0) {
        violation(std::string(where) + ": not a reference this VM made");
        return false;
    }
    if (!r->alive) {
        violation(std::string(where) + (r->frameEnded ? ": local reference used after its frame ended"
                                                      : ": reference used after it was deleted"));
        return false;
    }
    if (r->kind == RefKind::Local && r->thread != ts) {
        violation(std::string(where) + ": local reference of another thread");
        return false;
    }
    if (r->kind == RefKind::WeakGlobal && r->cleared) return true;
    out = r->object;
    return true;
}

void Vm::popFrame(ThreadState* ts) {
    Frame& top = ts->frames.back();
    for (Ref* r : top.refs) {
        if (r->alive) r->frameEnded = true;
        r->alive = false;
    }
    ts->frames.pop_back();
}

void Vm::throwNewRaw(ThreadState* ts, const std::string& className, const std::string& utf8Message) {
    Class* cls = lookupClass(className);
    if (cls == nullptr) cls = lookupClass(classes::kRuntimeException);
    Object* ex = newObjectRaw(cls);
    ex->ctorDescriptor = "(Ljava/lang/String;)V";
    jvalue v{};
    v.l = reinterpret_cast<jobject>(newStringRaw(fromUtf8(utf8Message)));
    ex->ctorArgs.push_back({'L', v});
    ts->pending = ex;
}

// ---------------------------------------------------------------- JniHost

JniHost::JniHost() : m_state(std::make_unique<State>()) {
    Vm& vm = *m_state;
    m_state->host = this;
    fillFunctionTable(vm);
    Class* object = vm.addClass(classes::kObject, nullptr);
    vm.addClass(classes::kClass, object);
    declareClass(classes::kString);
    declareClass(classes::kThrowable).constructor("()V").constructor("(Ljava/lang/String;)V");
    declareClass("java/lang/Exception", classes::kThrowable).constructor("()V").constructor("(Ljava/lang/String;)V");
    declareClass("java/lang/Error", classes::kThrowable).constructor("()V").constructor("(Ljava/lang/String;)V");
    declareClass(classes::kRuntimeException, "java/lang/Exception")
        .constructor("()V")
        .constructor("(Ljava/lang/String;)V");
    for (const char* name : {classes::kNoClassDefFoundError, classes::kNoSuchMethodError, classes::kNoSuchFieldError,
                             classes::kOutOfMemoryError})
        declareClass(name, "java/lang/Error").constructor("()V").constructor("(Ljava/lang/String;)V");
    for (const char* name : {classes::kNullPointerException, classes::kArrayIndexOutOfBoundsException,
                             classes::kArrayStoreException, classes::kIllegalArgumentException,
                             "java/lang/StringIndexOutOfBoundsException", "java/lang/NegativeArraySizeException"})
        declareClass(name, classes::kRuntimeException).constructor("()V").constructor("(Ljava/lang/String;)V");
    declareClass(classes::kInstantiationException, "java/lang/Exception")
        .constructor("()V")
        .constructor("(Ljava/lang/String;)V");
}

JniHost::~JniHost() = default;

JNIEnv* JniHost::env() {
    std::lock_guard<std::recursive_mutex> lock(m_state->mutex);
    return &Vm::of(*this)->currentThread()->env;
}

JavaVM* JniHost::javaVm() { return &m_state->vm.vm; }

ClassDecl JniHost::declareClass(const std::string& name, const std::string& superName) {
    Vm& vm = *Vm::of(*this);
    std::lock_guard<std::recursive_mutex> lock(vm.st.mutex);
    if (name.find('.') != std::string::npos) vm.violation("declareClass: class name with dots: " + name);
    Class* cls = vm.lookupClass(name);
    if (cls == nullptr) {
        Class* super = vm.lookupClass(superName);
        if (super == nullptr) {
            vm.violation("declareClass: superclass " + superName + " of " + name + " is not declared");
            super = vm.lookupClass(classes::kObject);
        }
        cls = vm.addClass(name, super);
    }
    return ClassDecl(*this, cls);
}

static ClassDecl& addMember(JniHost& host, ClassDecl& decl, void* clsPtr, bool isField, const std::string& name,
                            const std::string& descriptor, bool isStatic, MethodBody body) {
    Vm& vm = *Vm::of(host);
    std::lock_guard<std::recursive_mutex> lock(vm.st.mutex);
    Class* cls = static_cast<Class*>(clsPtr);
    if (isField) {
        if (!parseFieldDescriptor(descriptor)) vm.violation("declare field " + name + ": bad descriptor " + descriptor);
        auto f = std::make_unique<FieldInfo>();
        f->owner = cls;
        f->name = name;
        f->descriptor = descriptor;
        f->isStatic = isStatic;
        vm.st.fieldSet.insert(f.get());
        cls->fields.push_back(std::move(f));
    } else {
        std::vector<std::string> params;
        std::string ret;
        if (!parseMethodDescriptor(descriptor, params, ret))
            vm.violation("declare method " + name + ": bad descriptor " + descriptor);
        auto m = std::make_unique<MethodInfo>();
        m->owner = cls;
        m->name = name;
        m->descriptor = descriptor;
        m->isStatic = isStatic;
        m->body = std::move(body);
        vm.st.methodSet.insert(m.get());
        cls->methods.push_back(std::move(m));
    }
    return decl;
}

ClassDecl& ClassDecl::field(const std::string& name, const std::string& descriptor) {
    return addMember(m_host, *this, m_class, true, name, descriptor, false, {});
}
ClassDecl& ClassDecl::staticField(const std::string& name, const std::string& descriptor) {
    return addMember(m_host, *this, m_class, true, name, descriptor, true, {});
}
ClassDecl& ClassDecl::constructor(const std::string& descriptor) {
    return addMember(m_host, *this, m_class, false, "<init>", descriptor, false, {});
}
ClassDecl& ClassDecl::method(const std::string& name, const std::string& descriptor, MethodBody body) {
    return addMember(m_host, *this, m_class, false, name, descriptor, false, std::move(body));
}
ClassDecl& ClassDecl::staticMethod(const std::string& name, const std::string& descriptor, MethodBody body) {
    return addMember(m_host, *this, m_class, false, name, descriptor, true, std::move(body));
}

void JniHost::declareClientClasses(const std::vector<std::string>& except) {
    auto wanted = [&](const char* name) { return std::find(except.begin(), except.end(), name) == except.end(); };
    if (wanted(classes::kNamedPipe)) declareClass(classes::kNamedPipe).constructor("()V").field("hPipe", "J");
    if (wanted(classes::kNamedPipeClient))
        declareClass(classes::kNamedPipeClient).constructor("()V").field("hPipeClientEnd", "J");
    if (wanted(classes::kDrovixNative)) declareClass(classes::kDrovixNative).constructor("()V");
    if (wanted(classes::kDrovixIntegrationException))
        declareClass(classes::kDrovixIntegrationException, classes::kRuntimeException)
            .constructor("(I[Ljava/lang/String;)V")
            .constructor("(Ljava/lang/String;)V")
            .field("code", "I")
            .field("texts", "[Ljava/lang/String;");
    if (wanted(classes::kOperatingSystemAPI)) declareClass(classes::kOperatingSystemAPI).constructor("()V");
    if (wanted(classes::kWindowsOperatingSystemAPI) && hasClass(classes::kOperatingSystemAPI))
        declareClass(classes::kWindowsOperatingSystemAPI, classes::kOperatingSystemAPI).constructor("()V");
    if (wanted(classes::kShareRecord))
        declareClass(classes::kShareRecord)
            .constructor("(Ljava/lang/String;Ljava/lang/String;)V")
            .field("path", "Ljava/lang/String;")
            .field("name", "Ljava/lang/String;");
    if (wanted(classes::kFileStat))
        declareClass(classes::kFileStat)
            .constructor("(Ljava/lang/String;Z)V")
            .field("name", "Ljava/lang/String;")
            .field("directory", "Z");
    if (wanted(classes::kKestrumException))
        declareClass(classes::kKestrumException, classes::kRuntimeException).constructor("(Ljava/lang/String;)V");
}

bool JniHost::hasClass(const std::string& name) const {
    std::lock_guard<std::recursive_mutex> lock(m_state->mutex);
    return m_state->classes.count(name) != 0;
}

// Test-side calls share one prologue: the lock, the calling thread, and
// reference resolution that reports misuse by the test itself.
namespace {
struct TestSide {
    Vm& vm;
    std::lock_guard<std::recursive_mutex> lock;
    ThreadState* ts;
    explicit TestSide(JniHost& host) : vm(*Vm::of(host)), lock(vm.st.mutex), ts(vm.currentThread()) {}
    Object* get(jobject ref, const char* what) {
        Object* obj = nullptr;
        vm.resolve(ts, ref, (std::string("test code, ") + what).c_str(), obj);
        return obj;
    }
    Object* need(jobject ref, const char* what) {
        Object* obj = get(ref, what);
        if (obj == nullptr && ref == nullptr) vm.violation(std::string("test code, ") + what + ": null reference");
        return obj;
    }
    jobject local(Object* obj) { return vm.local(ts, obj); }
};

const FieldInfo* findField(const Class* cls, const std::string& name, bool isStatic) {
    for (const Class* c = cls; c != nullptr; c = c->super)
        for (const auto& f : c->fields)
            if (f->name == name && f->isStatic == isStatic) return f.get();
    return nullptr;
}
}  // namespace

jclass JniHost::findClass(const std::string& name) {
    TestSide t(*this);
    Class* cls = t.vm.lookupClass(name);
    return cls ? static_cast<jclass>(t.local(cls->mirror)) : nullptr;
}

jobject JniHost::newObject(const std::string& className) {
    TestSide t(*this);
    Class* cls = t.vm.lookupClass(className);
    if (cls == nullptr) {
        t.vm.violation("test code, newObject: class not declared: " + className);
        return nullptr;
    }
    return t.local(t.vm.newObjectRaw(cls));
}

jobject JniHost::newObject(const std::string& className, const std::string& ctorDescriptor,
                           const std::vector<Value>& args) {
    TestSide t(*this);
    Class* cls = t.vm.lookupClass(className);
    if (cls == nullptr) {
        t.vm.violation("test code, newObject: class not declared: " + className);
        return nullptr;
    }
    Object* obj = t.vm.newObjectRaw(cls);
    obj->ctorDescriptor = ctorDescriptor;
    for (const Value& a : args) {
        jvalue v = a.raw();
        if (a.type() == 'L') v.l = reinterpret_cast<jobject>(t.get(a.l(), "newObject argument"));
        obj->ctorArgs.push_back({a.type(), v});
    }
    return t.local(obj);
}

std::string JniHost::className(jobject obj) {
    TestSide t(*this);
    Object* o = t.need(obj, "className");
    return o ? o->cls->name : std::string();
}

bool JniHost::isInstanceOf(jobject obj, const std::string& name) {
    TestSide t(*this);
    Object* o = t.need(obj, "isInstanceOf");
    return o != nullptr && t.vm.isAssignable(o, name[0] == '[' ? name : "L" + name + ";");
}

static Value toValue(TestSide& t, char type, jvalue v) {
    if (type == 'L') return Value::Object(t.local(reinterpret_cast<Object*>(v.l)));
    return Value::Of(type, v);
}

static bool fromValue(TestSide& t, const Value& value, const std::string& descriptor, jvalue& out, const char* what) {
    if (typeLetter(descriptor) != value.type()) {
        t.vm.violation(std::string("test code, ") + what + ": value of type " + value.type() + " for a field of type " +
                       descriptor);
        return false;
    }
    out = value.raw();
    if (value.type() == 'L') {
        Object* o = t.get(value.l(), what);
        if (!t.vm.isAssignable(o, descriptor)) {
            t.vm.violation(std::string("test code, ") + what + ": object of class " + o->cls->name +
                           " for a field of type " + descriptor);
            return false;
        }
        out.l = reinterpret_cast<jobject>(o);
    }
    return true;
}

Value JniHost::getField(jobject obj, const std::string& name) {
    TestSide t(*this);
    Object* o = t.need(obj, "getField");
    if (o == nullptr) return {};
    const FieldInfo* f = findField(o->cls, name, false);
    if (f == nullptr) {
        t.vm.violation("test code, getField: no field " + name + " in " + o->cls->name);
        return {};
    }
    return toValue(t, typeLetter(f->descriptor), o->fields[f]);
}

void JniHost::setField(jobject obj, const std::string& name, const Value& value) {
    TestSide t(*this);
    Object* o = t.need(obj, "setField");
    if (o == nullptr) return;
    const FieldInfo* f = findField(o->cls, name, false);
    if (f == nullptr) {
        t.vm.violation("test code, setField: no field " + name + " in " + o->cls->name);
        return;
    }
    jvalue v{};
    if (fromValue(t, value, f->descriptor, v, "setField")) o->fields[f] = v;
}

Value JniHost::getStaticField(const std::string& cls, const std::string& name) {
    TestSide t(*this);
    Class* c = t.vm.lookupClass(cls);
    const FieldInfo* f = c ? findField(c, name, true) : nullptr;
    if (f == nullptr) {
        t.vm.violation("test code, getStaticField: no static field " + name + " in " + cls);
        return {};
    }
    return toValue(t, typeLetter(f->descriptor), f->staticValue);
}

void JniHost::setStaticField(const std::string& cls, const std::string& name, const Value& value) {
    TestSide t(*this);
    Class* c = t.vm.lookupClass(cls);
    FieldInfo* f = c ? const_cast<FieldInfo*>(findField(c, name, true)) : nullptr;
    if (f == nullptr) {
        t.vm.violation("test code, setStaticField: no static field " + name + " in " + cls);
        return;
    }
    jvalue v{};
    if (fromValue(t, value, f->descriptor, v, "setStaticField")) f->staticValue = v;
}

std::string JniHost::constructorDescriptor(jobject obj) {
    TestSide t(*this);
    Object* o = t.need(obj, "constructorDescriptor");
    return o ? o->ctorDescriptor : std::string();
}

std::vector<Value> JniHost::constructorArgs(jobject obj) {
    TestSide t(*this);
    Object* o = t.need(obj, "constructorArgs");
    std::vector<Value> out;
    if (o != nullptr)
        for (const auto& a : o->ctorArgs) out.push_back(toValue(t, a.first, a.second));
    return out;
}

jstring JniHost::newString(std::u16string_view text) {
    TestSide t(*this);
    return static_cast<jstring>(t.local(t.vm.newStringRaw(text)));
}

jstring JniHost::newStringUtf8(std::string_view text) { return newString(fromUtf8(text)); }

std::u16string JniHost::stringChars(jobject str) {
    TestSide t(*this);
    Object* o = t.need(str, "stringChars");
    if (o == nullptr) return {};
    if (!o->isString) {
        t.vm.violation("test code, stringChars: not a string but " + o->cls->name);
        return {};
    }
    return o->chars;
}

std::string JniHost::stringUtf8(jobject str) { return toUtf8(stringChars(str)); }

jbyteArray JniHost::newByteArray(std::string_view bytes) {
    TestSide t(*this);
    Object* a = t.vm.newObjectRaw(t.vm.lookupClass("[B"));
    a->primitive.assign(bytes.begin(), bytes.end());
    return static_cast<jbyteArray>(t.local(a));
}

std::string JniHost::byteArrayBytes(jobject array) {
    TestSide t(*this);
    Object* a = t.need(array, "byteArrayBytes");
    if (a == nullptr) return {};
    if (a->cls->name != "[B") {
        t.vm.violation("test code, byteArrayBytes: not a byte[] but " + a->cls->name);
        return {};
    }
    return std::string(a->primitive.begin(), a->primitive.end());
}

jobjectArray JniHost::newObjectArray(const std::string& elementClass, const std::vector<jobject>& elements) {
    TestSide t(*this);
    const std::string elementDescriptor = elementClass[0] == '[' ? elementClass : "L" + elementClass + ";";
    Class* cls = t.vm.lookupClass("[" + elementDescriptor);
    if (cls == nullptr) {
        t.vm.violation("test code, newObjectArray: class not declared: " + elementClass);
        return nullptr;
    }
    Object* a = t.vm.newObjectRaw(cls);
    for (jobject e : elements) {
        Object* o = t.get(e, "newObjectArray element");
        if (!t.vm.isAssignable(o, elementDescriptor))
            t.vm.violation("test code, newObjectArray: element of class " + o->cls->name + " in " + cls->name);
        a->elements.push_back(o);
    }
    return static_cast<jobjectArray>(t.local(a));
}

std::vector<jobject> JniHost::arrayElements(jobject array) {
    TestSide t(*this);
    Object* a = t.need(array, "arrayElements");
    std::vector<jobject> out;
    if (a == nullptr) return out;
    if (!a->cls->isArray || typeLetter(a->cls->elementDescriptor) != 'L') {
        t.vm.violation("test code, arrayElements: not an object array but " + a->cls->name);
        return out;
    }
    for (Object* e : a->elements) out.push_back(t.local(e));
    return out;
}

jsize JniHost::arrayLength(jobject array) {
    TestSide t(*this);
    Object* a = t.need(array, "arrayLength");
    if (a == nullptr || !a->cls->isArray) {
        if (a != nullptr) t.vm.violation("test code, arrayLength: not an array but " + a->cls->name);
        return 0;
    }
    if (typeLetter(a->cls->elementDescriptor) == 'L') return static_cast<jsize>(a->elements.size());
    return static_cast<jsize>(a->primitive.size() / elementSize(a->cls->elementDescriptor[0]));
}

jobject JniHost::newLocalRef(jobject obj) {
    TestSide t(*this);
    return t.local(t.get(obj, "newLocalRef"));
}

jobject JniHost::newGlobalRef(jobject obj) {
    TestSide t(*this);
    return reinterpret_cast<jobject>(t.vm.makeRef(RefKind::Global, t.get(obj, "newGlobalRef"), t.ts));
}

jweak JniHost::newWeakGlobalRef(jobject obj) {
    TestSide t(*this);
    return reinterpret_cast<jweak>(t.vm.makeRef(RefKind::WeakGlobal, t.get(obj, "newWeakGlobalRef"), t.ts));
}

void JniHost::deleteRef(jobject ref) {
    TestSide t(*this);
    if (ref == nullptr) return;
    Object* o = nullptr;
    if (!t.vm.resolve(t.ts, ref, "test code, deleteRef", o)) return;
    retireRef(reinterpret_cast<Ref*>(ref));
}

RefKind JniHost::refKind(jobject ref) {
    TestSide t(*this);
    Ref* r = reinterpret_cast<Ref*>(ref);
    if (ref == nullptr || t.vm.st.refSet.count(r) == 0 || !r->alive) return RefKind::Invalid;
    return r->kind;
}

bool JniHost::isSameObject(jobject a, jobject b) {
    TestSide t(*this);
    return t.get(a, "isSameObject") == t.get(b, "isSameObject");
}

void JniHost::clearWeakReferences(jobject obj) {
    TestSide t(*this);
    Object* o = t.need(obj, "clearWeakReferences");
    for (auto& r : t.vm.st.refs)
        if (r->kind == RefKind::WeakGlobal && r->object == o) r->cleared = true;
}

void JniHost::clearAllWeakReferences() {
    TestSide t(*this);
    for (auto& r : t.vm.st.refs)
        if (r->kind == RefKind::WeakGlobal) r->cleared = true;
}

int JniHost::liveGlobalRefCount() const {
    std::lock_guard<std::recursive_mutex> lock(m_state->mutex);
    int n = 0;
    for (auto& r : m_state->refs) n += (r->kind == RefKind::Global && r->alive) ? 1 : 0;
    return n;
}

int JniHost::liveWeakGlobalRefCount() const {
    std::lock_guard<std::recursive_mutex> lock(m_state->mutex);
    int n = 0;
    for (auto& r : m_state->refs) n += (r->kind == RefKind::WeakGlobal && r->alive) ? 1 : 0;
    return n;
}

int JniHost::lastCallLocalRefPeak() const {
    std::lock_guard<std::recursive_mutex> lock(m_state->mutex);
    return m_state->lastPeak;
}

bool JniHost::exceptionPending() {
    TestSide t(*this);
    return t.ts->pending != nullptr;
}

jthrowable JniHost::pendingException() {
    TestSide t(*this);
    return static_cast<jthrowable>(t.local(t.ts->pending));
}

std::string JniHost::pendingExceptionClass() {
    TestSide t(*this);
    return t.ts->pending ? t.ts->pending->cls->name : std::string();
}

std::string JniHost::pendingExceptionMessage() {
    TestSide t(*this);
    Object* ex = t.ts->pending;
    if (ex == nullptr || ex->ctorDescriptor != "(Ljava/lang/String;)V" || ex->ctorArgs.size() != 1) return {};
    Object* message = reinterpret_cast<Object*>(ex->ctorArgs[0].second.l);
    return message ? toUtf8(message->chars) : std::string();
}

void JniHost::clearException() {
    TestSide t(*this);
    t.ts->pending = nullptr;
}

void JniHost::throwNew(const std::string& cls, const std::string& utf8Message) {
    TestSide t(*this);
    if (t.vm.lookupClass(cls) == nullptr) t.vm.violation("test code, throwNew: class not declared: " + cls);
    t.vm.throwNewRaw(t.ts, cls, utf8Message);
}

int JniHost::jniCallCount(const std::string& function) const {
    std::lock_guard<std::recursive_mutex> lock(m_state->mutex);
    auto it = m_state->callCounts.find(function);
    return it == m_state->callCounts.end() ? 0 : it->second;
}

int JniHost::findClassCount(const std::string& cls) const {
    std::lock_guard<std::recursive_mutex> lock(m_state->mutex);
    auto it = m_state->findClassCounts.find(cls);
    return it == m_state->findClassCounts.end() ? 0 : it->second;
}

int JniHost::methodLookupCount(const std::string& cls, const std::string& name, const std::string& descriptor) const {
    std::lock_guard<std::recursive_mutex> lock(m_state->mutex);
    auto it = m_state->methodLookups.find(cls + "." + name + descriptor);
    return it == m_state->methodLookups.end() ? 0 : it->second;
}

void JniHost::resetJniCallCounts() {
    std::lock_guard<std::recursive_mutex> lock(m_state->mutex);
    m_state->callCounts.clear();
    m_state->findClassCounts.clear();
    m_state->methodLookups.clear();
}

void JniHost::failCall(const std::string& function, int skip) {
    std::lock_guard<std::recursive_mutex> lock(m_state->mutex);
    m_state->failFunction = function;
    m_state->failSkip = skip;
}

std::vector<std::string> JniHost::violations() const {
    std::lock_guard<std::recursive_mutex> lock(m_state->mutex);
    return m_state->violations;
}

// ---------------------------------------------------------------- calls

FARPROC JniHost::exportAddress(const Library& library, const char* exportName) {
    FARPROC address = library.find(exportName);
    if (address == nullptr) ADD_FAILURE() << "the DLL has no export named " << exportName;
    return address;
}

void JniHost::enterNativeFrame() {
    TestSide t(*this);
    if (t.ts->pending != nullptr)
        t.vm.violation("calling a native method with an exception pending on the calling thread");
    t.ts->nativeFrameBase.push_back(t.ts->frames.size());
    Frame f;
    f.id = t.vm.st.nextFrame++;
    f.native = true;
    t.ts->frames.push_back(f);
    if (t.ts->nativeFrameBase.size() == 1) t.ts->localPeak = 0;
}

jobject JniHost::argToCallee(jobject ref) {
    TestSide t(*this);
    return t.local(t.get(ref, "argument of call"));
}

jobject JniHost::leaveNativeFrame(const char* exportName, jobject result) {
    TestSide t(*this);
    Object* out = nullptr;
    t.vm.resolve(t.ts, result, (std::string(exportName) + " result").c_str(), out);
    const std::size_t base = t.ts->nativeFrameBase.back();
    t.ts->nativeFrameBase.pop_back();
    if (t.ts->frames.size() > base + 1)
        t.vm.violation(std::string(exportName) + ": returned with a local frame still pushed by PushLocalFrame");
    std::uint64_t firstFrame = t.ts->frames[base].id;
    for (auto it = t.vm.st.buffers.begin(); it != t.vm.st.buffers.end();) {
        if (it->second.thread == t.ts && it->second.frame >= firstFrame) {
            t.vm.violation(std::string(exportName) + ": returned without releasing a string or array buffer");
            it = t.vm.st.buffers.erase(it);
        } else {
            ++it;
        }
    }
    if (t.ts->criticalDepth != 0) {
        t.vm.violation(std::string(exportName) + ": returned inside a critical region");
        t.ts->criticalDepth = 0;
    }
    if (t.ts->monitorDepth != 0) {
        t.vm.violation(std::string(exportName) + ": returned holding a monitor");
        t.ts->monitorDepth = 0;
    }
    while (t.ts->frames.size() > base) t.vm.popFrame(t.ts);
    if (t.ts->nativeFrameBase.empty()) t.vm.st.lastPeak = t.ts->localPeak;
    return t.local(out);
}

// ---------------------------------------------------------------- Library, capture

Library::Library(JniHost& host, const std::string& path) {
    m_module = ::LoadLibraryA(path.c_str());
    if (m_module == nullptr) {
        m_loadError = ::GetLastError();
        ADD_FAILURE() << "LoadLibraryA(" << path << ") failed with error " << m_loadError;
        return;
    }
    using OnLoad = jint(JNICALL*)(JavaVM*, void*);
    OnLoad onLoad = function<OnLoad>("JNI_OnLoad");
#if !defined(_WIN64)
    if (onLoad == nullptr) onLoad = function<OnLoad>("_JNI_OnLoad@8");  // the 32-bit decorated name
#endif
    if (onLoad != nullptr) {
        const jint version = onLoad(host.javaVm(), nullptr);
        if (version != JNI_VERSION_1_1 && version != JNI_VERSION_1_2 && version != JNI_VERSION_1_4 &&
            version != JNI_VERSION_1_6 && version != JNI_VERSION_1_8 && version != JNI_VERSION_9 &&
            version != JNI_VERSION_10)
            ADD_FAILURE() << path << ": JNI_OnLoad answered an unknown JNI version " << version;
    }
}

Library::~Library() {
    if (m_module != nullptr) ::FreeLibrary(m_module);
}

FARPROC Library::find(const char* exportName) const {
    return m_module ? ::GetProcAddress(m_module, exportName) : nullptr;
}

ViolationCapture::ViolationCapture(JniHost& host) : m_host(host) {
    std::lock_guard<std::recursive_mutex> lock(m_host.state().mutex);
    ++m_host.state().captureDepth;
}

ViolationCapture::~ViolationCapture() {
    std::lock_guard<std::recursive_mutex> lock(m_host.state().mutex);
    --m_host.state().captureDepth;
}

std::vector<std::string> ViolationCapture::take() {
    std::lock_guard<std::recursive_mutex> lock(m_host.state().mutex);
    std::vector<std::string> out;
    out.swap(m_host.state().captured);
    return out;
}

}  // namespace jnihost
