#include "tavroos/jni_adapter.h"

#include <cstdint>
#include <cstring>
#include <vector>

namespace tavroos {

static_assert(sizeof(jchar) == sizeof(wchar_t), "UTF-16 units on both sides");

namespace {

// The VM's units of one Java string, released on every way out.
class StringChars {
public:
    StringChars(JNIEnv* env, jstring text) : m_env(env), m_text(text), m_chars(env->GetStringChars(text, nullptr)) {
        if (!m_chars) throw JavaExceptionPending{};
    }
    ~StringChars() { m_env->ReleaseStringChars(m_text, m_chars); }
    StringChars(const StringChars&) = delete;
    StringChars& operator=(const StringChars&) = delete;
    const jchar* get() const noexcept { return m_chars; }

private:
    JNIEnv* m_env;
    jstring m_text;
    const jchar* m_chars;
};

}  // namespace

CJniAdapter::~CJniAdapter() = default;

jboolean CJniAdapter::ToJavaBool(bool value) { return value ? JNI_TRUE : JNI_FALSE; }

jstring CJniAdapter::ToJavaString(const BStr& text) {
    const std::size_t length = text.length();
    if (length > static_cast<std::size_t>(INT32_MAX)) throw KestrumUnmanagedException{};
    jstring result =
        m_env->NewString(reinterpret_cast<const jchar*>(text.c_str()), static_cast<jsize>(length));
    if (!result) throw JavaExceptionPending{};
    return result;
}

BStr CJniAdapter::ToNativeString(jstring text) {
    if (!text) throw KestrumUnmanagedException{};
    const jsize length = m_env->GetStringLength(text);
    CheckPending();
    std::vector<wchar_t> copy(static_cast<std::size_t>(length) + 1, L'\0');
    {
        StringChars chars(m_env, text);
        if (length > 0) std::memcpy(copy.data(), chars.get(), static_cast<std::size_t>(length) * sizeof(jchar));
    }
    return BStr(copy.data());
}

jobjectArray CJniAdapter::NewShareRecordArray(const ShareRecord* records, int count) {
    return NewRecordArray(kShareRecordClass, kShareRecordCtor, count, [&](jclass cls, jmethodID ctor, jsize i) {
        const jstring path = ToJavaString(records[i].m_bstrPath);
        const jstring name = ToJavaString(records[i].m_bstrName);
        const jobject element = m_env->NewObject(cls, ctor, path, name);
        m_env->DeleteLocalRef(name);
        m_env->DeleteLocalRef(path);
        return element;
    });
}

jobjectArray CJniAdapter::NewFileStatArray(const FStatRecord* records, int count) {
    return NewRecordArray(kFileStatClass, kFileStatCtor, count, [&](jclass cls, jmethodID ctor, jsize i) {
        const jstring name = ToJavaString(records[i].m_bstrName);
        const jobject element = m_env->NewObject(cls, ctor, name, ToJavaBool(records[i].m_bDirectory));
        m_env->DeleteLocalRef(name);
        return element;
    });
}

template <typename MakeElement>
jobjectArray CJniAdapter::NewRecordArray(const char* className, const char* descriptor, int count,
                                         MakeElement makeElement) {
    const jclass cls = FindClass(className);
    const jmethodID ctor = Constructor(cls, descriptor);
    const jsize length = count > 0 ? count : 0;
    jobjectArray array = m_env->NewObjectArray(length, cls, nullptr);
    if (!array) throw JavaExceptionPending{};
    for (jsize i = 0; i < length; ++i) {
        // Each element's references are dropped at once: a long list would
        // otherwise fill the call's local reference table.
        const jobject element = makeElement(cls, ctor, i);
        if (!element) throw JavaExceptionPending{};
        m_env->SetObjectArrayElement(array, i, element);
        m_env->DeleteLocalRef(element);
        CheckPending();
    }
    m_env->DeleteLocalRef(cls);
    return array;
}

jclass CJniAdapter::FindClass(const char* name) {
    const jclass cls = m_env->FindClass(name);
    if (!cls) throw JavaExceptionPending{};
    return cls;
}

jmethodID CJniAdapter::Constructor(jclass cls, const char* descriptor) {
    const jmethodID ctor = m_env->GetMethodID(cls, "<init>", descriptor);
    if (!ctor) throw JavaExceptionPending{};
    return ctor;
}

void CJniAdapter::CheckPending() {
    if (m_env->ExceptionCheck()) throw JavaExceptionPending{};
}

void ThrowKestrumException(JNIEnv* env) noexcept {
    if (env->ExceptionCheck()) return;
    const jclass cls = env->FindClass(kKestrumExceptionClass);
    if (!cls) return;
    env->ThrowNew(cls, "");
    env->DeleteLocalRef(cls);
}

}  // namespace tavroos
