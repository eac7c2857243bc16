#include "tavroos/jni_adapter.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "kestrum_guard.h"
#include "mirravon/jni/strings.h"

namespace tavroos {

using mirravon::jni::CachedClass;
using mirravon::jni::CachedMethodId;
using mirravon::jni::LocalRef;
using mirravon::jni::PendingException;

namespace {

CachedClass g_shareRecordClass(kShareRecordClass);
CachedMethodId g_shareRecordCtor(g_shareRecordClass, "<init>", kShareRecordCtor);
CachedClass g_fileStatClass(kFileStatClass);
CachedMethodId g_fileStatCtor(g_fileStatClass, "<init>", kFileStatCtor);

}  // namespace

CJniAdapter::~CJniAdapter() = default;

jboolean CJniAdapter::ToJavaBool(bool value) { return value ? JNI_TRUE : JNI_FALSE; }

jstring CJniAdapter::ToJavaString(const BStr& text) {
    const std::size_t length = text.length();
    if (length > static_cast<std::size_t>(INT32_MAX)) FailCall("ToJavaString", ERROR_ARITHMETIC_OVERFLOW);
    return mirravon::jni::NewJavaString(m_env, std::wstring_view(text.c_str(), length));
}

BStr CJniAdapter::ToNativeString(jstring text) {
    if (!text) FailCall("ToNativeString", ERROR_INVALID_PARAMETER);
    const std::optional<std::wstring> units = mirravon::jni::Utf16Text(m_env, text);
    return BStr(units->c_str(), units->size());
}

jobjectArray CJniAdapter::NewShareRecordArray(const ShareRecord* records, int count) {
    return NewRecordArray(g_shareRecordClass, g_shareRecordCtor, count, [&](jclass cls, jmethodID ctor, jsize i) {
        const LocalRef<jstring> path(m_env, ToJavaString(records[i].m_bstrPath));
        const LocalRef<jstring> name(m_env, ToJavaString(records[i].m_bstrName));
        return m_env->NewObject(cls, ctor, path.get(), name.get());
    });
}

jobjectArray CJniAdapter::NewFileStatArray(const FStatRecord* records, int count) {
    return NewRecordArray(g_fileStatClass, g_fileStatCtor, count, [&](jclass cls, jmethodID ctor, jsize i) {
        const LocalRef<jstring> name(m_env, ToJavaString(records[i].m_bstrName));
        return m_env->NewObject(cls, ctor, name.get(), ToJavaBool(records[i].m_bDirectory));
    });
}

template <typename MakeElement>
jobjectArray CJniAdapter::NewRecordArray(CachedClass& recordClass, CachedMethodId& constructor, int count,
                                         MakeElement makeElement) {
    const CachedClass::Ref cls = recordClass.get(m_env);
    if (!cls) throw PendingException{};
    const jmethodID ctor = constructor.get(m_env, cls);
    if (!ctor) throw PendingException{};
    const jsize length = count > 0 ? count : 0;
    jobjectArray array = m_env->NewObjectArray(length, cls.get(), nullptr);
    if (!array) throw PendingException{};
    for (jsize i = 0; i < length; ++i) {
        // Each element's references are dropped at once: a long list would
        // otherwise fill the call's local reference table.
        const LocalRef<jobject> element(m_env, makeElement(cls.get(), ctor, i));
        if (!element) throw PendingException{};
        m_env->SetObjectArrayElement(array, i, element.get());
        CheckPending();
    }
    return array;
}

void CJniAdapter::CheckPending() {
    if (m_env->ExceptionCheck()) throw PendingException{};
}

// Found on each failure, which is rare, and raised with ThrowNew and an empty message.
void ThrowKestrumException(JNIEnv* env) noexcept { mirravon::jni::ThrowNew(env, kKestrumExceptionClass, ""); }

}  // namespace tavroos
