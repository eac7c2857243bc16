#include "mirravon/jni/strings.h"

#include <cstdint>
#include <cstring>
#include <stdexcept>

#include "mirravon/ansi_text.h"
#include "mirravon/jni/export_frame.h"
#include "mirravon/jni/references.h"

namespace mirravon::jni {

static_assert(sizeof(jchar) == sizeof(wchar_t), "UTF-16 units on both sides");

std::optional<std::wstring> Utf16Text(JNIEnv* env, jstring text) {
    if (text == nullptr) return std::nullopt;
    const jsize length = env->GetStringLength(text);
    if (env->ExceptionCheck()) throw PendingException{};
    const StringChars chars(env, text);
    if (!chars) throw PendingException{};
    // The VM's buffer need not be terminated: it is read by the string's length.
    const wchar_t* units = reinterpret_cast<const wchar_t*>(chars.get());
    const std::size_t count = static_cast<std::size_t>(length > 0 ? length : 0);
    std::wstring copy(units, count);
    copy.resize(std::wcslen(copy.c_str()));
    return copy;
}

std::optional<std::string> AnsiText(JNIEnv* env, jstring text) {
    const std::optional<std::wstring> units = Utf16Text(env, text);
    if (!units) return std::nullopt;
    return AnsiFromWide(units->data(), units->size());
}

jstring NewJavaString(JNIEnv* env, std::wstring_view units) {
    if (units.size() > static_cast<std::size_t>(INT32_MAX)) throw std::length_error("longer than a Java string");
    static const jchar kNone[1] = {0};
    const jchar* first = units.empty() ? kNone : reinterpret_cast<const jchar*>(units.data());
    const jstring made = env->NewString(first, static_cast<jsize>(units.size()));
    if (made == nullptr) throw PendingException{};
    return made;
}

jstring NewJavaStringFromAnsi(JNIEnv* env, const char* text) {
    const std::optional<std::wstring> wide =
        text != nullptr ? WideFromAnsi(text, std::strlen(text)) : std::optional<std::wstring>();
    return NewJavaString(env, wide ? std::wstring_view(*wide) : std::wstring_view());
}

}  // namespace mirravon::jni
