// Path helpers: program search, path splits, folder placeholders and
// normalisation into a canonical backslash form.
#pragma once

#include "stelvo/launcher_settings.h"
#include "stelvo/log_file.h"
#include "stelvo/platform.h"

#include <string>
#include <string_view>

namespace stelvo {

enum NormalizeResult { kNormalized = 0, kUnresolvable = 1, kBeyondLimits = 2 };

// Limits of normalisation: a component's length and the number of components.
constexpr std::size_t kMaxComponentLength = 255;
constexpr std::size_t kMaxComponents = 255;

// Writes the normalised `source` into `destination`, which holds at most
// `width` characters. kUnresolvable: a ".." had nothing to remove; the
// destination holds the source unchanged (or is empty when the source does not
// fit). kBeyondLimits: a component, the count of components or the result
// exceeds the limits; the destination is empty.
int normalizePath(std::string_view source, std::string& destination, std::size_t width);

template <std::size_t Width> int normalizePath(std::string_view source, BoundedText<Width>& destination) {
    std::string result;
    const int status = normalizePath(source, result, Width);
    destination.assign(result);
    if (result.empty()) destination.clear();
    return status;
}

// normalizePath into a field; a path that the limits or the field's width
// refuse (the field is then empty) is logged under `field`.
template <std::size_t Width>
void normalizeOrLog(LogFile& log, std::string_view source, BoundedText<Width>& destination, const char* field) {
    const int status = normalizePath(source, destination);
    // An unresolvable ".." keeps the source, unless the source does not fit either.
    if (status == kBeyondLimits || (status == kUnresolvable && destination.empty() && !source.empty()))
        logRefusal(log, field,
                   "longer than " + std::to_string(Width) + " characters, or beyond " + std::to_string(kMaxComponents) +
                       " components of up to " + std::to_string(kMaxComponentLength) + " characters");
}

// The text that a system call with a fixed room of `room` bytes (a folder's
// path) left there, up to its terminator. False when there is no terminator in
// the room: such an answer was cut, and reading on would pass the room.
bool textInFixedRoom(const char* buffer, std::size_t room, std::string& text);

// Replaces the first placeholder found (in table order) by its folder.
std::string expandFolderPlaceholder(const LauncherSettings& s, Platform& platform, std::string_view path);

// A full path to an existing regular file, or an empty text.
std::string findProgram(Platform& platform, std::string_view name);

std::string folderPart(std::string_view path);
std::string filePart(std::string_view path);
std::string baseName(std::string_view path);

// Folder and name joined with a backslash ("%s%c%s").
std::string joinPath(std::string_view folder, std::string_view name);

}  // namespace stelvo
