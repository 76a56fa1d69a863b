// Images made by mkfirmware: scrambled words and the version trailer.
#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>

#include "tools/mkfirmware/FirmwareImage.h"

namespace {

TEST(FirmwareImageTest, ScramblingIsItsOwnInverseAndKeepsTheFixedWords) {
    for (std::uint32_t word = 0; word <= 0xFFFF; ++word) {
        std::uint16_t plain = static_cast<std::uint16_t>(word);
        ASSERT_EQ(plain, ScrambleImageWord(ScrambleImageWord(plain))) << word;
    }
    for (std::uint16_t fixed : {0x0000, 0xFFFF, 0x4C2D, 0xB3D2})
        EXPECT_EQ(fixed, ScrambleImageWord(fixed));
}

// Whatever the image's length, even one the payload overfills, its last two bytes hold
// the version, each XORed with the mask: "02" from byte 2 and "14" from byte 3.
TEST(FirmwareImageTest, TheLastBytesCarryTheVersionAndPaddingStaysErased) {
    std::vector<std::uint8_t> payload = PayloadFromSeed(1);
    const std::uint8_t firstWords[] = {0x01, 0x00, 0x34, 0x12};
    std::copy(std::begin(firstWords), std::end(firstWords), payload.begin());
    for (std::size_t length : {kImageSize, std::size_t{100}, kImageSize + 2}) {
        std::vector<std::uint8_t> image = MakeImage(payload, 0x0214, length);
        ASSERT_EQ(length, image.size());
        EXPECT_EQ(0x2C, image[0]); // 0x0001 ^ 0x4C2D, low byte first
        EXPECT_EQ(0x4C, image[1]);
        EXPECT_EQ(0x19, image[2]); // 0x1234 ^ 0x4C2D
        EXPECT_EQ(0x5E, image[3]);
        EXPECT_EQ(0x02 ^ 0x2D, image[length - 2]);
        EXPECT_EQ(0x14 ^ 0x4C, image[length - 1]);
    }
    EXPECT_EQ(0xFF, MakeImage(payload, 0x0214)[kImageSize - 3]);
}

TEST(FirmwareImageTest, VersionTextIsFourHexDigits) {
    std::uint16_t version = 0;
    EXPECT_TRUE(ParseVersionText("0214", &version));
    EXPECT_EQ(0x0214, version);
    EXPECT_TRUE(ParseVersionText("abCf", &version));
    EXPECT_EQ(0xABCF, version);
    for (const char* bad : {"", "214", "02140", "02G4", "-214"})
        EXPECT_FALSE(ParseVersionText(bad, &version)) << bad;
}

} // namespace
