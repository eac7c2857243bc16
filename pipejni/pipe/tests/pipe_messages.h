// What the pipe tests send, and the debugger lines each side writes for it.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace pipetest {

inline constexpr const char kBadName[] = "bad-pipe-name";
inline constexpr const char kGoneSuffix[] = "-gone";
inline constexpr const char kNoneSuffix[] = "-none";
inline constexpr const char kBusySuffix[] = "-busy";
inline constexpr const char kLaterSuffix[] = "-later";
inline constexpr const char kWaitSuffix[] = "-wait";

// An ordinary file that the client is asked to take for a pipe: in the
// temporary folder, named after the pipe, so both processes know its path.
inline std::string NotAPipePath(const std::string& name) {
    char temp[MAX_PATH + 1] = {};
    const DWORD n = ::GetTempPathA(MAX_PATH + 1, temp);
    return std::string(temp, n) + name.substr(name.rfind('\\') + 1) + "-not-a-pipe.txt";
}

inline std::string Pattern(size_t length) {
    std::string s(length, '\0');
    for (size_t i = 0; i < length; ++i) s[i] = static_cast<char>('a' + i % 26);
    return s;
}

// The client's messages, in order: the buffer's edges, an empty message, a zero
// byte inside one, two small ones in a row, one that grows the buffer twice.
inline std::vector<std::string> Messages() {
    return {Pattern(129), Pattern(128), "", std::string("hello\0world", 11), Pattern(10), Pattern(20), Pattern(300)};
}

// Debugger lines; "{n}" stands for a decimal number, a leading "+" for a line
// that repeats one or more times.
inline std::vector<std::string> ServerLines(const std::string& name) {
    std::vector<std::string> lines = {
        "Creating a named pipe server [" + std::string(kBadName) + "]",
        "Failed to create named pipe [" + std::string(kBadName) + "] with error: {n}",
        "Creating a named pipe server [" + name + kGoneSuffix + "]",
        "Created named pipe server",
        "Waiting for pipe client",
        "No client connecting to named pipe server",
        "ReadMessage: Error reading data with error: {n}",
        "Creating a named pipe server [" + name + "]",
        "Created named pipe server",
        "Waiting for pipe client",
        "One client just connected",
    };
    for (const std::string& m : Messages()) {
        for (size_t chunk = 128; chunk < m.size(); chunk += 128) {
            lines.push_back("ReadMessage: more data to read");
            lines.push_back("ReadMessage: allocating more memory");
        }
        lines.push_back("ReadMessage: read " + std::to_string(m.size()) + " bytes [" + m.c_str() + "]");
    }
    for (int i = 0; i < 2; ++i) {
        lines.push_back("ReadMessage: Pipe client has closed its end");
        lines.push_back("ReadMessage: read 0 bytes []");
    }
    return lines;
}

inline std::vector<std::string> ClientLines(const std::string& name) {
    std::vector<std::string> lines = {
        "Connecting to named pipe " + name + kNoneSuffix,
        "Failed to connect to a listening pipe server with error 2",
        "Connecting to named pipe " + name + kBusySuffix,
        "No listening pipe server: wait for a little...",
        "Failed to connect to a listening pipe server with error {n}",
        "Connecting to named pipe " + NotAPipePath(name),
        "Failed to connect to a listening pipe server with error 230",
        "Connecting to named pipe " + name + kLaterSuffix,
        "No listening pipe server: wait for a little...",
        "Connecting to named pipe " + name + kWaitSuffix,
        "WriteMessage: writing 1 bytes [q]",
        "+WriteMessage: there are 3 bytes left in pipe",
        "bytes written: 1",
        "WriteMessage: writing 1 bytes [r]",
        "WriteMessage: failed to write with error {n}",
        "Connecting to named pipe " + name,
    };
    for (const std::string& m : Messages()) {
        lines.push_back("WriteMessage: writing " + std::to_string(m.size()) + " bytes [" + m.c_str() + "]");
        lines.push_back("bytes written: " + std::to_string(m.size()));
    }
    return lines;
}

}  // namespace pipetest
