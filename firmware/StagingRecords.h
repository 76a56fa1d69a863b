#pragma once
// Image words into staging records, in bulk: each little-endian image word is descrambled
// and becomes four bytes: its low byte, 0xFF, its high byte, 0xFF. The loops take the
// records' digest while they make them, and take it again from the file's bytes.
#include <cstddef>
#include <cstdint>

// The loops that convert words in bulk; both give the same bytes and the same digest.
enum class RecordLoop {
    WordPairs, // two words per 32-bit load, two records per pair of 32-bit stores; any CPU
    Sse2,      // eight words per 128-bit load; only on a CPU that has SSE2
};

// The loops convert by whole steps of this many words, and digest records by whole steps
// of this many records.
inline constexpr std::size_t RECORD_LOOP_STEP = 8;

// A short summary of staging records, each taken as a little-endian 32-bit value, in four
// lanes: record i goes to lane i % 4. Each lane holds the sum of its records and the sum of
// its running sums, both modulo 2^64, so a record's share of the second is its value times
// the number of its lane's records from it to the end. Any one changed record changes its
// lane's sum. Two different records swapped change either both lanes' sums or, in one
// lane, the sum of sums by their distance in the lane (under 2^18 in a staging file) times
// their difference (under 2^32 in size), which cannot vanish modulo 2^64. A dropped or
// repeated record moves every record after it to another lane and weight, and other wrong
// content changes records at will: unseen only if all eight values balance out at once,
// which sums of 64 bits do not do by chance. Unlike a single running sum, the lanes are
// four independent chains of 64-bit adds, taken in the SSE2 loop from records that are
// already in registers.
struct StagingDigest {
    std::uint64_t sums[4] = {};
    std::uint64_t sumsOfSums[4] = {};

    bool operator==(const StagingDigest& other) const;
};

// Sse2 when this CPU has it, else WordPairs: the 32-bit program must also run on CPUs
// without SSE2.
RecordLoop FastestRecordLoop();

// Converts `wordCount` image words at `image` (2 * wordCount bytes) into records at
// `records` (4 * wordCount bytes), and adds the records to `digest` as the records that
// follow those added so far. wordCount must be a multiple of RECORD_LOOP_STEP, and `loop`
// must be WordPairs or FastestRecordLoop().
void ConvertWords(RecordLoop loop, const unsigned char* image, std::size_t wordCount,
                  unsigned char* records, StagingDigest& digest);

// Adds the `recordCount` records at `records` (4 * recordCount bytes) to `digest`, exactly
// as ConvertWords does with the records it makes. recordCount must be a multiple of
// RECORD_LOOP_STEP, and `loop` must be WordPairs or FastestRecordLoop().
void DigestRecords(RecordLoop loop, const unsigned char* records, std::size_t recordCount,
                   StagingDigest& digest);
