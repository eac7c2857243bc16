// The rule for a registry value's data taken as text, for every deliverable:
// narrow (ANSI bytes) or 16-bit units, whatever room each caller gives it. It
// needs no Win32 call, so the host build tests it; which value types count is
// the read's choice (mirravon::RegistryTypes), not this rule's.
#pragma once

#include <cstddef>
#include <optional>

namespace mirravon {

// The room a caller reads a stored text into, in units of its text.
struct StoredTextRoom {
    // The buffer the data was read into: data beyond it is never looked at and
    // counts as absent, and a text stored without its terminator needs room
    // for one there.
    std::size_t bufferUnits = 0;
    // Where the text is copied to: the text with its terminator must fit, or
    // it counts as absent (a cut path would name another folder).
    std::size_t destinationUnits = 0;
    // Whether a value of no bytes at all counts as absent rather than as the
    // empty text.
    bool emptyDataIsAbsent = false;
};

// A room that is both buffer and destination.
constexpr StoredTextRoom SameRoom(std::size_t units, bool emptyDataIsAbsent = false) noexcept {
    return StoredTextRoom{units, units, emptyDataIsAbsent};
}

// The length in units of the text of `bytes` bytes of data read into
// room.bufferUnits units: the text ends at its first U+0000 (NUL), or, when it
// was stored without one, at the end of the data. An odd last byte of 16-bit
// data is not part of any unit and is dropped. No length: the text counts as
// absent.
template <typename C>
std::optional<std::size_t> StoredTextLength(const C* data, std::size_t bytes, const StoredTextRoom& room) {
    if (bytes == 0 && room.emptyDataIsAbsent) return std::nullopt;
    const std::size_t units = bytes / sizeof(C);
    if (units > room.bufferUnits) return std::nullopt;
    std::size_t n = 0;
    while (n < units && data[n] != C(0)) ++n;
    if (n == units && n + 1 > room.bufferUnits) return std::nullopt;
    if (n + 1 > room.destinationUnits) return std::nullopt;
    return n;
}

}  // namespace mirravon
