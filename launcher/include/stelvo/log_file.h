// The launcher's plain-text log and the gate every log line passes. Each write
// goes to disk at once, so the log is complete up to the step at which the
// launcher blocks or ends.
#pragma once

#include <cstdarg>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace stelvo {

class LogFile {
public:
    // Opens `path` for writing, replacing an existing file.
    bool open(const std::string& path);
    // Keeps the log in memory (for tests).
    void openInMemory();
    void close();
    bool isOpen() const noexcept { return m_file != nullptr || m_inMemory; }
    void vwrite(const char* format, va_list args);
    const std::string& memory() const noexcept { return m_memory; }

    // True only the first time a field's refusal is told (so the log names each field once).
    bool firstRefusalOf(const char* field);
    // Refusals found before the log opened, kept to be written after the information dump.
    std::vector<std::string>& keptRefusals() noexcept { return m_keptRefusals; }

private:
    struct Closer {
        void operator()(std::FILE* f) const noexcept { std::fclose(f); }
    };
    std::unique_ptr<std::FILE, Closer> m_file;
    bool m_inMemory = false;
    std::string m_memory;
    // Both are bounded by the number of fields a width can refuse.
    std::vector<std::string> m_refusedFields;
    std::vector<std::string> m_keptRefusals;
};

constexpr const char* kBanner = "======================================================\n";

// Opens a log section: its title line (a leading "\n" gives the empty line
// before it) and the banner.
void logSection(LogFile& log, const char* title);

// Logging is on: the driver opens the log only when `-log` named a file, so
// an open log is one the user asked for.
inline bool isLogging(const LogFile& log) { return log.isOpen(); }

// Says in the log that a width refused a value of `field`, and why ("<field>
// refused: <why>"), once per field. A refusal found before the log opens is
// kept; writeKeptRefusals writes it after the information dump.
void logRefusal(LogFile& log, const char* field, const std::string& why);
void writeKeptRefusals(LogFile& log);

// Writes to the log only while logging.
void logLine(LogFile& log, const char* format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 2, 3)))
#endif
    ;

}  // namespace stelvo
