#include "stelvo/log_file.h"

#include <vector>

namespace stelvo {

bool LogFile::open(const std::string& path) {
#ifdef _WIN32
    // "N": the handle is not inherited, so the installer, which is started
    // while the log is open and inherits the launcher's inheritable handles,
    // does not hold the log open for as long as it runs.
    m_file.reset(std::fopen(path.c_str(), "wN"));
#else
    m_file.reset(std::fopen(path.c_str(), "we"));
#endif
    return m_file != nullptr;
}

void LogFile::openInMemory() {
    m_inMemory = true;
    m_memory.clear();
}

void LogFile::close() {
    m_file.reset();
    m_inMemory = false;
}

void LogFile::vwrite(const char* format, va_list args) {
    va_list copy;
    va_copy(copy, args);
    const int needed = std::vsnprintf(nullptr, 0, format, copy);
    va_end(copy);
    if (needed < 0) return;
    std::vector<char> text(static_cast<std::size_t>(needed) + 1);
    std::vsnprintf(text.data(), text.size(), format, args);
    if (m_inMemory) m_memory.append(text.data(), static_cast<std::size_t>(needed));
    if (m_file) {
        std::fwrite(text.data(), 1, static_cast<std::size_t>(needed), m_file.get());
        std::fflush(m_file.get());
    }
}

bool LogFile::firstRefusalOf(const char* field) {
    for (const std::string& seen : m_refusedFields)
        if (seen == field) return false;
    m_refusedFields.emplace_back(field);
    return true;
}

void logLine(LogFile& log, const char* format, ...) {
    if (!isLogging(log)) return;
    va_list args;
    va_start(args, format);
    log.vwrite(format, args);
    va_end(args);
}

void logSection(LogFile& log, const char* title) {
    logLine(log, "%s", title);
    logLine(log, "%s", kBanner);
}

void logRefusal(LogFile& log, const char* field, const std::string& why) {
    if (!log.firstRefusalOf(field)) return;
    const std::string line = std::string(field) + " refused: " + why + "\n";
    if (isLogging(log)) logLine(log, "%s", line.c_str());
    else log.keptRefusals().push_back(line);
}

void writeKeptRefusals(LogFile& log) {
    for (const std::string& line : log.keptRefusals()) logLine(log, "%s", line.c_str());
    log.keptRefusals().clear();
}

}  // namespace stelvo
