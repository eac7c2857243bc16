#include "jnisupport/java_string.h"

#include <cstring>
#include <cwchar>

#include "mirravon/ansi_text.h"
#include "mirravon/jni/references.h"

CTextBuffer::CTextBuffer(const wchar_t* text, unsigned count) {
    if (text == nullptr) return;
    m_wide.emplace(text, count != 0 ? count : std::wcslen(text));
}

CTextBuffer::CTextBuffer(const char* text, unsigned length) {
    if (text == nullptr) return;
    m_narrow.emplace(text, length != 0 ? length : std::strlen(text));
}

// Each form is converted from the other up to its first zero: a text with an
// embedded zero is cut there.
const char* CTextBuffer::narrow() {
    if (m_wide && !m_narrow) m_narrow = mirravon::AnsiFromWide(m_wide->c_str(), std::wcslen(m_wide->c_str()));
    return m_narrow ? m_narrow->c_str() : nullptr;
}

const wchar_t* CTextBuffer::wide() {
    if (m_narrow && !m_wide) m_wide = mirravon::WideFromAnsi(m_narrow->c_str(), std::strlen(m_narrow->c_str()));
    return m_wide ? m_wide->c_str() : nullptr;
}

CJavaString::CJavaString(JNIEnv* env, jstring str) : CJavaObject(env, static_cast<jobject>(str)) {}

CJavaString::CJavaString(JNIEnv* env, const wchar_t* chars, jsize count) : CJavaObject(env, "java/lang/String") {
    // Without the class the VM's error is pending, and no further JNI call may be made.
    if (env == nullptr || m_class.javaClass() == nullptr) return;
    static const jchar kNone[1] = {0};
    if (chars != nullptr && count > 0) m_jobject = env->NewString(reinterpret_cast<const jchar*>(chars), count);
    else m_jobject = env->NewString(kNone, 0);
}

const char* CJavaString::chars() {
    if (m_jobject != nullptr && !m_text) {
        const jstring str = static_cast<jstring>(m_jobject);
        const jsize len = m_env->GetStringLength(str);
        // Given back also when the copy below cannot be allocated.
        const mirravon::jni::StringChars units(m_env, str);
        if (!units) return nullptr;  // out of memory: the VM's error is pending
        // The VM's buffer need not be terminated, so an empty string must not be
        // read "up to the terminator" (what a count of 0 would mean).
        if (len > 0)
            m_text.reset(new CTextBuffer(reinterpret_cast<const wchar_t*>(units.get()), static_cast<unsigned>(len)));
        else m_text.reset(new CTextBuffer(L"", 0));
    }
    return m_text ? m_text->narrow() : nullptr;
}

bool CJavaString::takeChars(const char*& text) {
    text = chars();
    return m_jobject == nullptr || m_text != nullptr;
}

jstring MakeJavaString(JNIEnv* env, const char* text) {
    CTextBuffer buffer(text, 0);
    const wchar_t* wide = buffer.wide();
    CJavaString str(env, wide, wide != nullptr ? static_cast<jsize>(std::wcslen(wide)) : 0);
    return static_cast<jstring>(str.object());
}
