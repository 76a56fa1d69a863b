#pragma once
// A plain diagnostic log file: text, text lines and hexadecimal dumps, with an optional
// flush after a given number of text bytes. Write failures are never reported to the
// writer; whether the file opened is learnt from IsOpen.
#include <cstdint>
#include <cstdio>

// Option bits of the log.
inline constexpr std::uint32_t DEBUGLOG_CREATE = 0x1; // empty the file instead of appending
inline constexpr std::uint32_t DEBUGLOG_FLUSH = 0x8;  // count text bytes, flush at the threshold

class CDebugLog {
public:
    // "DebugOut.LOG", created empty, flushed only after 0xFFFFFFFF text bytes.
    CDebugLog();
    CDebugLog(const char* fileName, std::uint32_t flags, std::uint32_t threshold);
    ~CDebugLog();
    CDebugLog(const CDebugLog&) = delete;
    CDebugLog& operator=(const CDebugLog&) = delete;

    // Opens the file ("wb" with DEBUGLOG_CREATE, else "a+b") and resets the counter.
    // Returns 1 whether or not the file opened.
    int OpenLog(const char* fileName, std::uint32_t flags, std::uint32_t threshold);
    // Writes the text without its terminator, then flushes once the counted bytes reach
    // the threshold (DEBUGLOG_FLUSH only). Returns 1.
    int WriteText(const char* text);
    // WriteText, then one LF that is not counted. Returns 1.
    int WriteLine(const char* text);
    // Writes one 94-character row (leading LF) per started group of 16 bytes, at least
    // one; positions past the end show as 00 and a dot. Returns 1.
    int HexDump(const void* data, std::uint32_t count);
    // Returns 0 when no file was open, else the stream close's result (0 or -1).
    int CloseLog();
    int IsOpen() const { return m_pFile != nullptr; }

private:
    std::uint32_t m_dwFlags = 0;
    std::uint32_t m_dwCount = 0;
    std::uint32_t m_dwThreshold = 0;
    std::FILE* m_pFile = nullptr;
};
