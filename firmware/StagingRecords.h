#pragma once
// Image words into staging records, in bulk: each little-endian image word is descrambled
// and becomes four bytes: its low byte, 0xFF, its high byte, 0xFF.
#include <cstddef>

// The loops that convert words in bulk; both give the same bytes.
enum class RecordLoop {
    WordPairs, // two words per 32-bit load, two records per pair of 32-bit stores; any CPU
    Sse2,      // eight words per 128-bit load; only on a CPU that has SSE2
};

// The loop that converts by whole steps of this many words.
inline constexpr std::size_t RECORD_LOOP_STEP = 8;

// Sse2 when this CPU has it, else WordPairs: the 32-bit program must also run on CPUs
// without SSE2.
RecordLoop FastestRecordLoop();

// Converts `wordCount` image words at `image` (2 * wordCount bytes) into records at
// `records` (4 * wordCount bytes). wordCount must be a multiple of RECORD_LOOP_STEP, and
// `loop` must be WordPairs or FastestRecordLoop().
void ConvertWords(RecordLoop loop, const unsigned char* image, std::size_t wordCount,
                  unsigned char* records);
