// How the launcher reads a file: chunk by chunk through a small reader that the
// platform hands out (and that closes the file when it goes), so a file of any
// size is read in memory bounded by a constant. Text in memory reads the same way.
#pragma once

#include <cstddef>
#include <string_view>

namespace stelvo {

// How much a reader is asked for at a time: big enough that a file is read in
// few calls, small enough to be a constant.
constexpr std::size_t kReadChunk = 64 * 1024;

class ChunkReader {
public:
    virtual ~ChunkReader() = default;
    // The next bytes, at most `room`; 0 at the end (also when reading fails).
    virtual std::size_t read(char* buffer, std::size_t room) = 0;
};

// Text in memory, which must outlive the reader; at most `chunk` bytes a read
// (tests and fuzz targets hand text over in small pieces with it).
class MemoryReader final : public ChunkReader {
public:
    explicit MemoryReader(std::string_view text, std::size_t chunk = static_cast<std::size_t>(-1))
        : m_text(text), m_chunk(chunk) {}
    std::size_t read(char* buffer, std::size_t room) override;

private:
    std::string_view m_text;
    std::size_t m_chunk;
};

}  // namespace stelvo
