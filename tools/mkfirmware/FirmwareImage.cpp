#include "tools/mkfirmware/FirmwareImage.h"

#include <algorithm>

std::uint16_t ScrambleImageWord(std::uint16_t plain) {
    const std::uint16_t complement = static_cast<std::uint16_t>(~kImageWordMask);
    if (plain == 0x0000 || plain == 0xFFFF || plain == kImageWordMask || plain == complement)
        return plain;
    return static_cast<std::uint16_t>(plain ^ kImageWordMask);
}

std::vector<std::uint8_t> PayloadFromSeed(std::uint32_t seed) {
    std::vector<std::uint8_t> payload(kImageSize / 4 * 3);
    std::uint32_t state = seed ? seed : 1;
    for (std::uint8_t& byte : payload) {
        // xorshift32: cheap, deterministic, never stuck at zero.
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        byte = static_cast<std::uint8_t>(state);
    }
    return payload;
}

bool ParseVersionText(const std::string& text, std::uint16_t* version) {
    if (text.size() != 4)
        return false;
    std::uint16_t value = 0;
    for (char c : text) {
        int digit;
        if (c >= '0' && c <= '9')
            digit = c - '0';
        else if (c >= 'A' && c <= 'F')
            digit = c - 'A' + 10;
        else if (c >= 'a' && c <= 'f')
            digit = c - 'a' + 10;
        else
            return false;
        value = static_cast<std::uint16_t>(value << 4 | digit);
    }
    *version = value;
    return true;
}

std::vector<std::uint8_t> MakeImage(const std::vector<std::uint8_t>& payload, std::uint16_t version,
                                    std::size_t length) {
    if (length < 4)
        length = 4;
    std::vector<std::uint8_t> image(length, 0xFF);
    std::copy_n(payload.begin(), std::min(payload.size(), length - 2), image.begin());
    for (std::size_t offset = 0; offset + 1 < length; offset += 2) {
        std::uint16_t plain = static_cast<std::uint16_t>(image[offset] | image[offset + 1] << 8);
        std::uint16_t stored = ScrambleImageWord(plain);
        image[offset] = static_cast<std::uint8_t>(stored & 0xFF);
        image[offset + 1] = static_cast<std::uint8_t>(stored >> 8);
    }
    // The version's bytes are always XORed, even where the word rule would keep them.
    image[length - 2] = static_cast<std::uint8_t>((version >> 8) ^ (kImageWordMask & 0xFF));
    image[length - 1] = static_cast<std::uint8_t>((version & 0xFF) ^ (kImageWordMask >> 8));
    return image;
}
