// Text from a system call that tells the room it needs (GetEnvironmentVariable,
// GetShortPathName, GetFullPathName and their kind), for every deliverable. It
// needs no Win32 call, so the host build tests it.
#pragma once

#include <optional>
#include <string>

namespace mirravon {

// `call(buffer, room)` answers as those functions do: the length it wrote
// (terminator left out) when the room was enough, the room it needs
// (terminator included) when not, 0 when it fails. It is asked once with no
// room, then once in the room it named. No text when it fails, and when the
// text grew between the two calls: the second answer is then a room, and the
// buffer holds no whole text.
template <typename C, typename Call> std::optional<std::basic_string<C>> TextOfSizedCall(Call&& call) {
    const unsigned long needed = call(static_cast<C*>(nullptr), 0ul);
    if (needed == 0) return std::nullopt;
    std::basic_string<C> text(needed, C(0));
    const unsigned long length = call(&text[0], needed);
    if (length == 0 || length >= needed) return std::nullopt;
    text.resize(length);
    return text;
}

}  // namespace mirravon
