#include "RunLog.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <string>

namespace {

constexpr char kRecordStart[] = "=== ";
// A file larger than this is no log of ours to trim: it is started afresh.
constexpr long kLargestRead = 1024 * 1024;

// The file's content, or an empty string when it cannot be read or is too large.
std::string ReadAll(const char* path) {
    std::string content;
    if (std::FILE* file = std::fopen(path, "rb")) {
        if (std::fseek(file, 0, SEEK_END) == 0) {
            const long size = std::ftell(file);
            if (size > 0 && size <= kLargestRead && std::fseek(file, 0, SEEK_SET) == 0) {
                content.resize(static_cast<std::size_t>(size));
                content.resize(std::fread(&content[0], 1, content.size(), file));
            }
        }
        std::fclose(file);
    }
    return content;
}

// Keeps the newest whole records that fit in `keep` bytes.
std::string NewestRecords(const std::string& content, std::size_t keep) {
    if (content.size() <= keep)
        return content;
    const std::size_t from =
        content.find(std::string("\n") + kRecordStart, content.size() - keep - 1);
    return from == std::string::npos ? std::string() : content.substr(from + 1);
}

// Windows' own version: GetVersionEx answers what the program's manifest lets it see.
void WindowsVersion(char (&text)[40]) {
    using RtlGetVersionFn = LONG(WINAPI*)(OSVERSIONINFOW*);
    auto getVersion = reinterpret_cast<RtlGetVersionFn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("ntdll.dll"), "RtlGetVersion")));
    OSVERSIONINFOW info = {};
    info.dwOSVersionInfoSize = sizeof info;
    if (getVersion && getVersion(&info) == 0)
        std::snprintf(text, sizeof text, "%lu.%lu.%lu", info.dwMajorVersion, info.dwMinorVersion,
                      info.dwBuildNumber);
    else
        std::snprintf(text, sizeof text, "unknown");
}

} // namespace

void CRunLog::Begin(const char* path, const char* program) {
    std::snprintf(m_szPath, sizeof m_szPath, "%s", path);
    m_dwStart = GetTickCount();
    const std::string content = ReadAll(m_szPath);
    if (content.size() >= kKeepBytes) {
        const std::string kept = NewestRecords(content, kKeepBytes - 1);
        if (std::FILE* file = std::fopen(m_szPath, "wb")) {
            std::fwrite(kept.data(), 1, kept.size(), file);
            std::fclose(file);
        }
    }
    SYSTEMTIME now;
    GetLocalTime(&now);
    char windows[40];
    WindowsVersion(windows);
    char line[256];
    std::snprintf(line, sizeof line, "%s%04u-%02u-%02u %02u:%02u:%02u %s, Windows %s", kRecordStart,
                  now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond, program,
                  windows);
    Append(line);
}

void CRunLog::Note(const char* format, ...) {
    if (m_szPath[0] == '\0')
        return;
    char text[256];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    const DWORD elapsed = GetTickCount() - m_dwStart;
    char line[272];
    std::snprintf(line, sizeof line, "%6lu.%lu %s", static_cast<unsigned long>(elapsed / 1000),
                  static_cast<unsigned long>(elapsed % 1000 / 100), text);
    Append(line);
}

void CRunLog::Append(const char* line) {
    // Opened for each line, so that what was noted stays even if the program ends abruptly.
    if (std::FILE* file = std::fopen(m_szPath, "ab")) {
        std::fprintf(file, "%s\r\n", line);
        std::fclose(file);
    }
}
