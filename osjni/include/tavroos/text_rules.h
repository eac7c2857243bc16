// Rules of tavroos that need no Win32 call, written over any 16-bit unit type
// (wchar_t on Windows, char16_t on the host), so that the host build tests them.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace tavroos::rules {

// The pattern that lists every entry of `directory`: a backslash is added
// unless the path already ends with one ("C:\work" and "C:\work\" agree; a
// trailing forward slash still gets one; "" gives the current drive's root).
template <typename S> S SearchPattern(const S& directory) {
    using C = typename S::value_type;
    S pattern = directory;
    if (pattern.empty() || pattern.back() != C('\\')) pattern.push_back(C('\\'));
    pattern.push_back(C('*'));
    pattern.push_back(C('.'));
    pattern.push_back(C('*'));
    return pattern;
}

// The room, terminator included, of a path in its plain form for a program
// that is not long-path aware (MAX_PATH): a Java 8 VM is not, so the system
// refuses a longer plain path there.
constexpr std::size_t kPlainPathRoom = 260;

// How a path names its place: relative to something the process holds (the
// current folder or drive), from a drive's root, on a server's share, or in
// the extended or device form, which the system takes as it is.
enum class PathForm { Relative, Drive, Unc, Extended };

template <typename S> PathForm FormOf(const S& path) {
    using C = typename S::value_type;
    const auto separator = [&](std::size_t i) { return i < path.size() && (path[i] == C('\\') || path[i] == C('/')); };
    if (separator(0) && separator(1)) {
        if (path.size() > 2 && (path[2] == C('?') || path[2] == C('.')) && (path.size() == 3 || separator(3)))
            return PathForm::Extended;
        return path.size() > 2 && !separator(2) ? PathForm::Unc : PathForm::Relative;
    }
    const bool letter =
        !path.empty() && ((path[0] >= C('A') && path[0] <= C('Z')) || (path[0] >= C('a') && path[0] <= C('z')));
    return letter && path.size() > 1 && path[1] == C(':') && separator(2) ? PathForm::Drive : PathForm::Relative;
}

// The pattern handed to the system to list `directory`: the designed one
// while it fits the plain form's room. For a drive or UNC path whose pattern
// would reach it, the extended form ("\\?\C:\..." or "\\?\UNC\server\share\...")
// of the pattern made whole by `fullPath` (S -> std::optional<S>, the system's
// full-path function): the extended form turns off the system's own handling
// of "/", "." and "..", so the pattern must already be what the system would
// have made of it. When `fullPath` gives nothing, or no drive or UNC path, the
// designed pattern (the system then refuses it as before).
template <typename S, typename FullPath> S ListingPattern(const S& directory, FullPath&& fullPath) {
    using C = typename S::value_type;
    S pattern = SearchPattern(directory);
    if (pattern.size() < kPlainPathRoom) return pattern;
    const PathForm form = FormOf(pattern);
    if (form != PathForm::Drive && form != PathForm::Unc) return pattern;
    const std::optional<S> full = fullPath(pattern);
    if (!full) return pattern;
    const auto literal = [](const char* ascii) {
        S text;
        for (; *ascii; ++ascii) text.push_back(C(*ascii));
        return text;
    };
    switch (FormOf(*full)) {
    case PathForm::Drive: return literal("\\\\?\\") + *full;
    case PathForm::Unc: return literal("\\\\?\\UNC") + full->substr(1);
    default: return pattern;
    }
}

// The folder of a program's full file name: cut at the last backslash, else at
// the last forward slash, else the whole name.
template <typename S> S ProgramDirectory(const S& fileName) {
    using C = typename S::value_type;
    std::size_t cut = fileName.rfind(C('\\'));
    if (cut == S::npos) cut = fileName.rfind(C('/'));
    return cut == S::npos ? fileName : fileName.substr(0, cut);
}

// The file part of a program's full file name, the counterpart of
// ProgramDirectory: after the last backslash, else after the last forward
// slash, else the whole name.
template <typename S> S FilePart(const S& fileName) {
    using C = typename S::value_type;
    std::size_t cut = fileName.rfind(C('\\'));
    if (cut == S::npos) cut = fileName.rfind(C('/'));
    return cut == S::npos ? fileName : fileName.substr(cut + 1);
}

// Number of units before the first U+0000 among the first `units`, or `units`
// when there is none.
template <typename C> std::size_t LengthToNul(const C* data, std::size_t units) {
    std::size_t n = 0;
    while (n < units && data[n] != C(0)) ++n;
    return n;
}

// A list made in two passes (count, then fill an array of that count) that may
// change between the passes. `count()` gives the number of entries (throwing
// when the list cannot be read); `fill(records, capacity)` writes at most
// `capacity` records and returns how many entries it met. When the two passes
// disagree, both run again, up to `attempts` times in all. The result holds
// only records that a pass wrote, never a default-constructed stand-in for an
// entry that vanished. When the last fill met more entries than it had room
// for, the records it could not write may be ones that were there all along
// (the order met is the system's, not the order of creation), so one more pass,
// `collect()`, gathers every entry it meets into a container that grows, and
// that is the result: an entry present throughout the call is never dropped.
template <typename Record, typename Count, typename Fill, typename Collect>
std::vector<Record> TwoPassList(Count count, Fill fill, Collect collect, int attempts = 3) {
    std::vector<Record> records;
    for (int attempt = 1;; ++attempt) {
        const int expected = count();
        records.assign(expected > 0 ? static_cast<std::size_t>(expected) : 0, Record{});
        const int met = expected > 0 ? fill(records.data(), expected) : 0;
        if (met == expected) return records;
        if (attempt >= attempts) {
            if (met > expected) return collect();
            // Fewer than counted: every entry the fill met was written.
            records.resize(met > 0 ? static_cast<std::size_t>(met) : 0);
            return records;
        }
    }
}

}  // namespace tavroos::rules
