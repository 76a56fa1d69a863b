#include "firmware/StagingRecords.h"

#include "firmware/FirmwareWord.h"

#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <emmintrin.h>

// Both loops rely on x86 being little-endian, like the image and the staging file.

namespace {

// A 32-bit value holding x in each 16-bit lane.
constexpr std::uint32_t BothLanes(std::uint32_t x) {
    return x * 0x00010001u;
}

// The edges of a word: bit i of this 15-bit value is bit i XOR bit i+1 of the word. They
// are zero exactly for 0x0000 and 0xFFFF, and, being linear in the word, equal the mask's
// edges exactly for the mask and its complement: the four words that pass through.
constexpr std::uint32_t kMaskEdges = (FIRMWARE_WORD_MASK ^ (FIRMWARE_WORD_MASK >> 1)) & 0x7FFF;

// Descrambles the two words in the lanes of `pair` without a branch. Adding 0x7FFF to a
// 15-bit lane sets the lane's top bit exactly when the lane is not zero, and never
// carries into the next lane.
std::uint32_t DescramblePair(std::uint32_t pair) {
    const std::uint32_t edges = (pair ^ (pair >> 1)) & BothLanes(0x7FFF);
    const std::uint32_t notZeroOrOnes = edges + BothLanes(0x7FFF);
    const std::uint32_t notMaskOrComplement = (edges ^ BothLanes(kMaskEdges)) + BothLanes(0x7FFF);
    const std::uint32_t scrambled = notZeroOrOnes & notMaskOrComplement & BothLanes(0x8000);
    // Bit 15 of a lane, moved to bit 0 and multiplied, becomes the mask in that lane.
    return pair ^ (scrambled >> 15) * FIRMWARE_WORD_MASK;
}

// The record of a 16-bit word: low byte, 0xFF, high byte, 0xFF.
std::uint32_t Record(std::uint32_t word) {
    return word | (word << 8) | 0xFF00FF00u;
}

// Adds four records, one to each lane. The loops keep the lanes in a local copy of the
// digest: the records' bytes might alias the caller's, whose stores would then be repeated
// for every record.
void AddFourRecords(const std::uint32_t (&four)[4], StagingDigest& lanes) {
#pragma GCC unroll 4
    for (int lane = 0; lane < 4; ++lane) {
        lanes.sums[lane] += four[lane];
        lanes.sumsOfSums[lane] += lanes.sums[lane];
    }
}

void ConvertWordPairs(const unsigned char* image, std::size_t wordCount, unsigned char* records,
                      StagingDigest& digest) {
    StagingDigest lanes = digest;
    for (std::size_t i = 0; i < wordCount; i += 4) {
        std::uint32_t pairs[2];
        std::memcpy(pairs, image + 2 * i, sizeof pairs);
        const std::uint32_t first = DescramblePair(pairs[0]);
        const std::uint32_t second = DescramblePair(pairs[1]);
        const std::uint32_t four[4] = {Record(first & 0xFFFF), Record(first >> 16),
                                       Record(second & 0xFFFF), Record(second >> 16)};
        std::memcpy(records + 4 * i, four, sizeof four);
        AddFourRecords(four, lanes);
    }
    digest = lanes;
}

void DigestRecordsScalar(const unsigned char* records, std::size_t recordCount,
                         StagingDigest& digest) {
    StagingDigest lanes = digest;
    for (std::size_t i = 0; i < recordCount; i += 4) {
        std::uint32_t four[4];
        std::memcpy(four, records + 4 * i, sizeof four);
        AddFourRecords(four, lanes);
    }
    digest = lanes;
}

// The four lanes in registers: lanes 0 and 1 in the 64-bit halves of one, 2 and 3 of the
// other. Inlined into the SSE2 loops alone, which are compiled for SSE2.
struct Sse2Lanes {
    __m128i sums01, sums23, sumsOfSums01, sumsOfSums23;
};

__m128i* LanePair(std::uint64_t* pair) {
    return reinterpret_cast<__m128i*>(pair);
}

__attribute__((target("sse2"), always_inline)) inline Sse2Lanes LoadLanes(StagingDigest& digest) {
    return {_mm_loadu_si128(LanePair(digest.sums)), _mm_loadu_si128(LanePair(digest.sums + 2)),
            _mm_loadu_si128(LanePair(digest.sumsOfSums)),
            _mm_loadu_si128(LanePair(digest.sumsOfSums + 2))};
}

__attribute__((target("sse2"), always_inline)) inline void StoreLanes(const Sse2Lanes& lanes,
                                                                      StagingDigest& digest) {
    _mm_storeu_si128(LanePair(digest.sums), lanes.sums01);
    _mm_storeu_si128(LanePair(digest.sums + 2), lanes.sums23);
    _mm_storeu_si128(LanePair(digest.sumsOfSums), lanes.sumsOfSums01);
    _mm_storeu_si128(LanePair(digest.sumsOfSums + 2), lanes.sumsOfSums23);
}

// Adds four records, one to each lane, widened to 64 bits.
__attribute__((target("sse2"), always_inline)) inline void AddFourRecords(__m128i four,
                                                                          Sse2Lanes& lanes) {
    const __m128i zero = _mm_setzero_si128();
    lanes.sums01 = _mm_add_epi64(lanes.sums01, _mm_unpacklo_epi32(four, zero));
    lanes.sums23 = _mm_add_epi64(lanes.sums23, _mm_unpackhi_epi32(four, zero));
    lanes.sumsOfSums01 = _mm_add_epi64(lanes.sumsOfSums01, lanes.sums01);
    lanes.sumsOfSums23 = _mm_add_epi64(lanes.sumsOfSums23, lanes.sums23);
}

// Compiled for SSE2 even in the 32-bit build, which otherwise does not assume it; called
// only when the CPU has it.
__attribute__((target("sse2"))) void ConvertWordsSse2(const unsigned char* image,
                                                      std::size_t wordCount, unsigned char* records,
                                                      StagingDigest& digest) {
    const __m128i zero = _mm_setzero_si128();
    const __m128i ones = _mm_set1_epi16(-1);
    const __m128i mask = _mm_set1_epi16(static_cast<short>(FIRMWARE_WORD_MASK));
    const __m128i complement = _mm_xor_si128(mask, ones);
    Sse2Lanes lanes = LoadLanes(digest);
    for (std::size_t i = 0; i < wordCount; i += RECORD_LOOP_STEP) {
        const __m128i words = _mm_loadu_si128(reinterpret_cast<const __m128i*>(image + 2 * i));
        const __m128i zeroOrOnes =
            _mm_or_si128(_mm_cmpeq_epi16(words, zero), _mm_cmpeq_epi16(words, ones));
        const __m128i maskOrComplement =
            _mm_or_si128(_mm_cmpeq_epi16(words, mask), _mm_cmpeq_epi16(words, complement));
        const __m128i passThrough = _mm_or_si128(zeroOrOnes, maskOrComplement);
        const __m128i plain = _mm_xor_si128(words, _mm_andnot_si128(passThrough, mask));
        // Interleaving the bytes with 0xFF gives the records in order.
        const __m128i first = _mm_unpacklo_epi8(plain, ones);
        const __m128i second = _mm_unpackhi_epi8(plain, ones);
        auto* out = reinterpret_cast<__m128i*>(records + 4 * i);
        _mm_storeu_si128(out, first);
        _mm_storeu_si128(out + 1, second);
        AddFourRecords(first, lanes);
        AddFourRecords(second, lanes);
    }
    StoreLanes(lanes, digest);
}

__attribute__((target("sse2"))) void
DigestRecordsSse2(const unsigned char* records, std::size_t recordCount, StagingDigest& digest) {
    Sse2Lanes lanes = LoadLanes(digest);
    for (std::size_t i = 0; i < recordCount; i += RECORD_LOOP_STEP) {
        const auto* in = reinterpret_cast<const __m128i*>(records + 4 * i);
        AddFourRecords(_mm_loadu_si128(in), lanes);
        AddFourRecords(_mm_loadu_si128(in + 1), lanes);
    }
    StoreLanes(lanes, digest);
}

} // namespace

bool StagingDigest::operator==(const StagingDigest& other) const {
    return std::equal(sums, sums + 4, other.sums) &&
           std::equal(sumsOfSums, sumsOfSums + 4, other.sumsOfSums);
}

RecordLoop FastestRecordLoop() {
    return IsProcessorFeaturePresent(PF_XMMI64_INSTRUCTIONS_AVAILABLE) ? RecordLoop::Sse2
                                                                       : RecordLoop::WordPairs;
}

void ConvertWords(RecordLoop loop, const unsigned char* image, std::size_t wordCount,
                  unsigned char* records, StagingDigest& digest) {
    if (loop == RecordLoop::Sse2) {
        ConvertWordsSse2(image, wordCount, records, digest);
    } else {
        ConvertWordPairs(image, wordCount, records, digest);
    }
}

void DigestRecords(RecordLoop loop, const unsigned char* records, std::size_t recordCount,
                   StagingDigest& digest) {
    if (loop == RecordLoop::Sse2) {
        DigestRecordsSse2(records, recordCount, digest);
    } else {
        DigestRecordsScalar(records, recordCount, digest);
    }
}
