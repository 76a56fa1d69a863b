#pragma once
// The firmware image's word rule and its trailer version.
#include <cstdint>

// Every image word is stored scrambled under this mask.
inline constexpr std::uint16_t FIRMWARE_WORD_MASK = 0x4C2D;

// Descrambles one image word. 0x0000, 0xFFFF, the mask and its complement pass through
// unchanged, so zero and all-ones words read the same scrambled or not; every other word
// is XORed with the mask. The rule is its own inverse, so it also scrambles. The staging
// conversion applies it in bulk (StagingRecords.h); this one-word form is its reference.
constexpr std::uint16_t DescrambleWord(std::uint16_t word) {
    const auto flipped = static_cast<std::uint16_t>(word ^ FIRMWARE_WORD_MASK);
    // The mask and its complement are the words whose flipped form is 0x0000 or 0xFFFF.
    const bool passThrough =
        word == 0x0000 || word == 0xFFFF || flipped == 0x0000 || flipped == 0xFFFF;
    return passThrough ? word : flipped;
}

// Forms the four-character version text ("0214") from the image's last four bytes:
// bytes 2 and 3 are the version word, always XORed with the mask (no pass-through
// values), shown low byte first as upper-case hexadecimal.
void TrailerVersionText(const unsigned char (&trailer)[4], char (&text)[5]);
