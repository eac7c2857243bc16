#include "jnisupport/java_string.h"

#include <cstring>
#include <cwchar>
#include <string_view>

#include "mirravon/ansi_text.h"
#include "mirravon/jni/export_frame.h"
#include "mirravon/jni/strings.h"

namespace jnisupport {

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
    if (m_class.javaClass() == nullptr) throw mirravon::jni::PendingException{};
    const std::size_t units = chars != nullptr && count > 0 ? static_cast<std::size_t>(count) : 0;
    m_jobject = mirravon::jni::NewJavaString(env, std::wstring_view(chars, units));
}

const char* CJavaString::chars() {
    if (m_jobject != nullptr && !m_text) {
        const std::optional<std::string> text = mirravon::jni::AnsiText(m_env, static_cast<jstring>(m_jobject));
        // A text the system refused is kept as none, so the VM is asked only once.
        m_text = std::make_unique<CTextBuffer>(text ? text->c_str() : nullptr, 0);
    }
    return m_text ? m_text->narrow() : nullptr;
}

jstring MakeJavaString(JNIEnv* env, const char* text) { return mirravon::jni::NewJavaStringFromAnsi(env, text); }

}  // namespace jnisupport
