// The two ways a failure travels inside tavrodvxjni, below the JNI layer: a
// Windows error code (`unsigned long`, as GetLastError gave it) thrown by the
// pipe code through mirravon::FailWithError (mirravon/system_failure.h), and a
// `user_err_t` record thrown by the tool bridge. The export frame
// (jnisupport/java_exception.h) turns either into the Java exception.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

// An error of the tool bridge: a code and the texts its message needs (narrow,
// ANSI code page). The texts are copied when the record is made: the buffers a
// thrower points at usually die while the exception unwinds to the handler.
struct user_err_t {
    std::int32_t code = 0;
    std::vector<std::string> args;

    user_err_t() = default;
    // A null text is kept as an empty text, so the Java array keeps its length and order.
    user_err_t(std::int32_t errorCode, std::initializer_list<const char*> texts) : code(errorCode) {
        for (const char* t : texts) add(t);
    }
    user_err_t(std::int32_t errorCode, std::vector<std::string> texts) : code(errorCode), args(std::move(texts)) {}

    user_err_t& add(const char* text) {
        args.emplace_back(text != nullptr ? text : "");
        return *this;
    }
};
