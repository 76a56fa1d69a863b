#include "diag/DebugLog.h"

#include <cstring>

namespace {

constexpr char kDefaultLogName[] = "DebugOut.LOG";
constexpr std::uint32_t kBytesPerRow = 16;
constexpr std::size_t kRowLength = 94;

char PrintableOrDot(unsigned char byte) {
    return byte >= 0x21 && byte <= 0x7E ? static_cast<char>(byte) : '.';
}

} // namespace

CDebugLog::CDebugLog() {
    OpenLog(kDefaultLogName, DEBUGLOG_CREATE | DEBUGLOG_FLUSH, 0xFFFFFFFF);
}

CDebugLog::CDebugLog(const char* fileName, std::uint32_t flags, std::uint32_t threshold) {
    OpenLog(fileName, flags, threshold);
}

// A log that is destroyed still open closes its file rather than leaking the stream.
CDebugLog::~CDebugLog() {
    CloseLog();
}

int CDebugLog::OpenLog(const char* fileName, std::uint32_t flags, std::uint32_t threshold) {
    CloseLog();
    m_pFile = std::fopen(fileName, (flags & DEBUGLOG_CREATE) ? "wb" : "a+b");
    m_dwFlags = flags;
    m_dwThreshold = threshold;
    m_dwCount = 0;
    return 1;
}

int CDebugLog::WriteText(const char* text) {
    if (!m_pFile) {
        return 1;
    }
    const std::size_t length = std::strlen(text);
    std::fwrite(text, 1, length, m_pFile);
    if (m_dwFlags & DEBUGLOG_FLUSH) {
        m_dwCount += static_cast<std::uint32_t>(length);
        if (m_dwCount >= m_dwThreshold) {
            m_dwCount = 0;
            std::fflush(m_pFile);
        }
    }
    return 1;
}

int CDebugLog::WriteLine(const char* text) {
    WriteText(text);
    if (m_pFile) {
        // Written as a block: some runtimes flush a stream when fputc puts an LF.
        std::fwrite("\n", 1, 1, m_pFile);
    }
    return 1;
}

int CDebugLog::HexDump(const void* data, std::uint32_t count) {
    if (!m_pFile) {
        return 1;
    }
    const unsigned char* bytes = static_cast<const unsigned char*>(data);
    std::uint32_t offset = 0;
    do {
        unsigned char hex[kBytesPerRow];
        char text[kBytesPerRow];
        for (std::uint32_t j = 0; j < kBytesPerRow; ++j) {
            const bool inside = offset + j < count;
            hex[j] = inside ? bytes[offset + j] : 0x00;
            text[j] = inside ? PrintableOrDot(bytes[offset + j]) : '.';
        }
        char row[kRowLength + 1];
        std::snprintf(row, sizeof row,
                      "\n%08X: %02X %02X %02X %02X %02X %02X %02X %02X %02X %02X %02X %02X %02X "
                      "%02X %02X %02X     %c %c %c %c %c %c %c %c %c %c %c %c %c %c %c %c",
                      static_cast<unsigned>(offset), hex[0], hex[1], hex[2], hex[3], hex[4], hex[5],
                      hex[6], hex[7], hex[8], hex[9], hex[10], hex[11], hex[12], hex[13], hex[14],
                      hex[15], text[0], text[1], text[2], text[3], text[4], text[5], text[6],
                      text[7], text[8], text[9], text[10], text[11], text[12], text[13], text[14],
                      text[15]);
        std::fwrite(row, 1, kRowLength, m_pFile);
        offset += kBytesPerRow;
    } while (offset < count);
    return 1;
}

int CDebugLog::CloseLog() {
    if (!m_pFile) {
        return 0;
    }
    const int result = std::fclose(m_pFile);
    m_pFile = nullptr;
    return result == 0 ? 0 : -1;
}
