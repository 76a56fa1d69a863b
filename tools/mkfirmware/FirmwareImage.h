#pragma once
// Firmware image files as the device's maker ships them: plain 16-bit firmware words,
// each stored little-endian and scrambled under the word mask, and a trailer whose last
// word carries the version. Written independently of the updater's own conversion, so
// that images made here check that conversion rather than mirror it.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

inline constexpr std::uint16_t kImageWordMask = 0x4C2D;
inline constexpr std::size_t kImageSize = 0x200000;

// Scrambles one plain word. Words that are all zeros, all ones, the mask or its
// complement are stored as they are; every other word is XORed with the mask.
std::uint16_t ScrambleImageWord(std::uint16_t plain);

// A plain firmware payload from a seed: pseudo-random code over three quarters of the
// image, the rest left for erased padding.
std::vector<std::uint8_t> PayloadFromSeed(std::uint32_t seed);

// Parses a four-digit hexadecimal version text such as "0214" into its number 0x0214.
bool ParseVersionText(const std::string& text, std::uint16_t* version);

// An image of `length` bytes: the payload padded with erased bytes (0xFF), scrambled
// word by word, and the last two bytes replaced by the version: the text's first byte
// and second byte each XORed with the mask's low and high byte. The payload must leave
// room for the version word. A length other than kImageSize makes a deliberately wrong
// image; its version still lies in its own last two bytes.
std::vector<std::uint8_t> MakeImage(const std::vector<std::uint8_t>& payload, std::uint16_t version,
                                    std::size_t length = kImageSize);
