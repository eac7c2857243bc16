// The text of a settings or reference file as the ANSI bytes the launcher's
// record holds, whatever encoding Windows wrote the file in. A byte-order mark
// decides (UTF-16LE, UTF-16BE, UTF-8). Without one, a file that is valid UTF-8
// and holds a non-ASCII sequence is UTF-8; every other file is ANSI and is
// handed over byte for byte as it stands. Decoded text is converted to the ANSI
// code page through the platform, exactly or not at all: a character the code
// page cannot hold, or a sequence that is none of the encoding's, comes out as
// one "?" marked with its fault, so that a reader refuses what holds it (a
// best-fit or "?" value would name another file or setting).
#pragma once

#include "stelvo/chunk_reader.h"

#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace stelvo {

class Platform;

enum class TextFault : unsigned char { None, NotInCodePage, BrokenUtf8, BrokenUtf16 };

// Why a value that holds the fault is refused, for the log.
const char* faultReason(TextFault fault);

// Opens the same bytes once more, from their start; null when it cannot.
using Reopen = std::function<std::unique_ptr<ChunkReader>()>;

// Valid UTF-8 throughout, with at least one non-ASCII sequence.
bool holdsUtf8Text(ChunkReader& reader);

class TextDecoder {
public:
    // `file` is read once from its start; `again` is asked only for a file
    // without a mark that holds a non-ASCII byte.
    TextDecoder(ChunkReader& file, Reopen again, Platform& platform);
    // The next decoded bytes, at most `room`, each with its fault beside it in
    // `faults`; 0 at the end.
    std::size_t read(char* bytes, TextFault* faults, std::size_t room);
    // False while no byte handed over so far stands for a fault.
    bool faulted() const noexcept { return m_faulted; }

private:
    enum class Encoding { Undecided, Ansi, Utf8, Utf16LE, Utf16BE };

    bool produce();
    void refill();
    void readByteOrderMark();
    void decode();
    Encoding decideWithoutMark();
    // Bytes of the ANSI text as they are.
    void emitExact(const char* bytes, std::size_t count);
    void emitCharacter(char32_t c);
    void emitFault(TextFault fault);
    void emitPlaceholder(TextFault fault);
    void flushRun();

    ChunkReader& m_file;
    Reopen m_again;
    Platform& m_platform;
    Encoding m_encoding = Encoding::Undecided;
    bool m_started = false;
    bool m_ended = false;
    bool m_faulted = false;
    // Raw bytes not yet decoded (at most the start of one character between
    // reads); kReadChunk of them, not value-initialised.
    std::unique_ptr<char[]> m_raw;
    std::size_t m_rawBegin = 0;
    std::size_t m_rawEnd = 0;
    // Non-ASCII characters waiting to be converted together.
    std::u16string m_run;
    // Decoded bytes not yet handed over, with their faults; both bounded by one raw chunk's worth.
    std::string m_out;
    std::vector<TextFault> m_outFaults;
    std::size_t m_outBegin = 0;
};

}  // namespace stelvo
