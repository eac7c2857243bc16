// The launcher's plain-text log and the gate every log line passes. Each write
// goes to disk at once, so the log is complete up to the step at which the
// launcher blocks or ends.
#pragma once

#include <cstdarg>
#include <cstdio>
#include <memory>
#include <string>

namespace stelvo {

struct LauncherSettings;

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

private:
    struct Closer {
        void operator()(std::FILE* f) const noexcept { std::fclose(f); }
    };
    std::unique_ptr<std::FILE, Closer> m_file;
    bool m_inMemory = false;
    std::string m_memory;
};

constexpr const char* kBanner = "======================================================\n";

// Logging is on (`-log` named a file) and the log file could be opened.
bool isLogging(const LauncherSettings& s);

// Writes to the log only while logging.
void logLine(LauncherSettings& s, const char* format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 2, 3)))
#endif
    ;

}  // namespace stelvo
