// Java strings to native text and back: UTF-16 for tavroos, the process's ANSI
// code page for tavrodvxjni, one shape for both. A JNI call that fails stops a
// conversion the same way everywhere: PendingException, with the VM's error
// pending (the export frame then raises nothing over it).
#pragma once

#include <jni.h>

#include <optional>
#include <string>
#include <string_view>

namespace mirravon::jni {

// The string's UTF-16 units up to its first U+0000 (a Java string holding one
// is cut there); nothing for a null reference. The VM's characters are given
// back before this returns, also when the copy cannot be made.
std::optional<std::wstring> Utf16Text(JNIEnv* env, jstring text);
// The same in the ANSI code page, a character it cannot hold becoming its
// default character; nothing also when the system refuses the conversion.
std::optional<std::string> AnsiText(JNIEnv* env, jstring text);

// A new Java string of exactly these units (a U+0000 among them stays), as a
// local reference of the call; std::length_error beyond a Java string's length.
jstring NewJavaString(JNIEnv* env, std::wstring_view units);
// A new Java string from ANSI text up to its terminator; a null text, or one
// the system cannot convert, gives an empty string.
jstring NewJavaStringFromAnsi(JNIEnv* env, const char* text);

}  // namespace mirravon::jni
