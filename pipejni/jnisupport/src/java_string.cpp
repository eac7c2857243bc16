#include "jnisupport/java_string.h"

#include <windows.h>

#include <cstring>
#include <cwchar>

CTextBuffer::CTextBuffer(const wchar_t* text, unsigned count) {
    if (text == nullptr) return;
    const std::size_t k = count != 0 ? count : std::wcslen(text);
    m_wide.reset(new wchar_t[k + 1]());
    std::memcpy(m_wide.get(), text, k * sizeof(wchar_t));
}

CTextBuffer::CTextBuffer(const char* text, unsigned length) {
    if (text == nullptr) return;
    const std::size_t k = length != 0 ? length : std::strlen(text);
    m_narrow.reset(new char[k + 1]());
    std::memcpy(m_narrow.get(), text, k);
}

const char* CTextBuffer::narrow() {
    if (m_wide && !m_narrow) {
        const int n = ::WideCharToMultiByte(CP_ACP, 0, m_wide.get(), -1, nullptr, 0, nullptr, nullptr);
        if (n == 0) return nullptr;
        m_narrow.reset(new char[static_cast<std::size_t>(n) + 1]());
        if (::WideCharToMultiByte(CP_ACP, 0, m_wide.get(), -1, m_narrow.get(), n, nullptr, nullptr) == 0)
            m_narrow.reset();
    }
    return m_narrow.get();
}

const wchar_t* CTextBuffer::wide() {
    if (m_narrow && !m_wide) {
        const int n = ::MultiByteToWideChar(CP_ACP, MB_PRECOMPOSED, m_narrow.get(), -1, nullptr, 0);
        if (n == 0) return nullptr;
        m_wide.reset(new wchar_t[static_cast<std::size_t>(n) + 1]());
        if (::MultiByteToWideChar(CP_ACP, MB_PRECOMPOSED, m_narrow.get(), -1, m_wide.get(), n) == 0) m_wide.reset();
    }
    return m_wide.get();
}

CJavaString::CJavaString(JNIEnv* env, jstring str) : CJavaObject(env, static_cast<jobject>(str)) {}

CJavaString::CJavaString(JNIEnv* env, const wchar_t* chars, jsize count) : CJavaObject(env, "java/lang/String") {
    // Without the class the VM's error is pending, and no further JNI call may be made.
    if (env == nullptr || m_class.javaClass() == nullptr) return;
    static const jchar kNone[1] = {0};
    if (chars != nullptr && count > 0)
        m_jobject = env->NewString(reinterpret_cast<const jchar*>(chars), count);
    else
        m_jobject = env->NewString(kNone, 0);
}

const char* CJavaString::chars() {
    if (m_jobject != nullptr && !m_text) {
        const jstring str = static_cast<jstring>(m_jobject);
        const jsize len = m_env->GetStringLength(str);
        const jchar* p = m_env->GetStringChars(str, nullptr);
        if (p == nullptr) return nullptr;  // out of memory: the VM's error is pending
        // The VM's buffer need not be terminated, so an empty string must not be
        // read "up to the terminator" (what a count of 0 would mean).
        if (len > 0)
            m_text.reset(new CTextBuffer(reinterpret_cast<const wchar_t*>(p), static_cast<unsigned>(len)));
        else
            m_text.reset(new CTextBuffer(L"", 0));
        m_env->ReleaseStringChars(str, p);
    }
    return m_text ? m_text->narrow() : nullptr;
}

jstring MakeJavaString(JNIEnv* env, const char* text) {
    CTextBuffer buffer(text, 0);
    const wchar_t* wide = buffer.wide();
    CJavaString str(env, wide, wide != nullptr ? static_cast<jsize>(std::wcslen(wide)) : 0);
    return static_cast<jstring>(str.object());
}
