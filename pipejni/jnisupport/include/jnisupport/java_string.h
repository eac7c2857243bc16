// Text in the two forms tavrodvxjni needs: UTF-16 for Java, the process's ANSI
// code page for the system and the tool. The conversions from and to Java are
// the JNI toolkit's (mirravon/jni/strings.h): a JNI call that fails throws
// mirravon::jni::PendingException with the VM's error pending, which the export
// frame (CallGuarded) ends without raising another exception over it.
#pragma once

#include <jni.h>

#include <memory>
#include <optional>
#include <string>

#include "jnisupport/java_object.h"

namespace jnisupport {

// One text, kept as UTF-16 and/or ANSI; the missing form is made on first demand
// and kept. Characters the code page cannot hold become its default character.
class CTextBuffer {
public:
    // `count` UTF-16 units; 0 means up to the terminator. A null text gives no text.
    CTextBuffer(const wchar_t* text, unsigned count);
    // `length` bytes; 0 means up to the terminator. A null text gives no text.
    CTextBuffer(const char* text, unsigned length);
    CTextBuffer(const CTextBuffer&) = delete;
    CTextBuffer& operator=(const CTextBuffer&) = delete;

    // Zero-terminated; null when there is no text or the system refused the conversion.
    const char* narrow();
    const wchar_t* wide();

private:
    std::optional<std::wstring> m_wide;
    std::optional<std::string> m_narrow;
};

class CJavaString : public CJavaObject {
public:
    // Wraps a string received from Java (null allowed: chars() is then null).
    CJavaString(JNIEnv* env, jstring str);
    // Makes a new Java string from `count` UTF-16 units (none: an empty string).
    // Throws PendingException when the VM fails.
    CJavaString(JNIEnv* env, const wchar_t* chars, jsize count);
    CJavaString(const CJavaString&) = delete;
    CJavaString& operator=(const CJavaString&) = delete;

    // The string in the ANSI code page, read from the VM once; valid while the
    // wrapper lives. Null without an object, or when the system refused the
    // conversion. Cut at an embedded U+0000. Throws PendingException when the
    // VM cannot give the characters.
    const char* chars();

private:
    std::unique_ptr<CTextBuffer> m_text;
};

// A new Java string from narrow ANSI text (null gives an empty string), made
// without a class lookup or any reference but the string's own. Throws
// PendingException when the VM cannot make it.
jstring MakeJavaString(JNIEnv* env, const char* text);

}  // namespace jnisupport
