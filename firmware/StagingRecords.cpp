#include "StagingRecords.h"

#include "FirmwareWord.h"

#include <windows.h>

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

void ConvertWordPairs(const unsigned char* image, std::size_t wordCount, unsigned char* records) {
    for (std::size_t i = 0; i < wordCount; i += 2) {
        std::uint32_t pair;
        std::memcpy(&pair, image + 2 * i, sizeof pair);
        const std::uint32_t plain = DescramblePair(pair);
        const std::uint32_t two[2] = {Record(plain & 0xFFFF), Record(plain >> 16)};
        std::memcpy(records + 4 * i, two, sizeof two);
    }
}

// Compiled for SSE2 even in the 32-bit build, which otherwise does not assume it; called
// only when the CPU has it.
__attribute__((target("sse2"))) void
ConvertWordsSse2(const unsigned char* image, std::size_t wordCount, unsigned char* records) {
    const __m128i zero = _mm_setzero_si128();
    const __m128i ones = _mm_set1_epi16(-1);
    const __m128i mask = _mm_set1_epi16(static_cast<short>(FIRMWARE_WORD_MASK));
    const __m128i complement = _mm_xor_si128(mask, ones);
    for (std::size_t i = 0; i < wordCount; i += RECORD_LOOP_STEP) {
        const __m128i words = _mm_loadu_si128(reinterpret_cast<const __m128i*>(image + 2 * i));
        const __m128i zeroOrOnes =
            _mm_or_si128(_mm_cmpeq_epi16(words, zero), _mm_cmpeq_epi16(words, ones));
        const __m128i maskOrComplement =
            _mm_or_si128(_mm_cmpeq_epi16(words, mask), _mm_cmpeq_epi16(words, complement));
        const __m128i passThrough = _mm_or_si128(zeroOrOnes, maskOrComplement);
        const __m128i plain = _mm_xor_si128(words, _mm_andnot_si128(passThrough, mask));
        // Interleaving the bytes with 0xFF gives the records in order.
        auto* out = reinterpret_cast<__m128i*>(records + 4 * i);
        _mm_storeu_si128(out, _mm_unpacklo_epi8(plain, ones));
        _mm_storeu_si128(out + 1, _mm_unpackhi_epi8(plain, ones));
    }
}

} // namespace

RecordLoop FastestRecordLoop() {
    return IsProcessorFeaturePresent(PF_XMMI64_INSTRUCTIONS_AVAILABLE) ? RecordLoop::Sse2
                                                                       : RecordLoop::WordPairs;
}

void ConvertWords(RecordLoop loop, const unsigned char* image, std::size_t wordCount,
                  unsigned char* records) {
    if (loop == RecordLoop::Sse2) {
        ConvertWordsSse2(image, wordCount, records);
    } else {
        ConvertWordPairs(image, wordCount, records);
    }
}
