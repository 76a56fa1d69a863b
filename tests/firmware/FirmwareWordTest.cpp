#include "FirmwareWord.h"

#include <gtest/gtest.h>

#include <string>

TEST(DescrambleWord, XorsAllButFourWordsAndIsItsOwnInverse) {
    for (unsigned w = 0; w <= 0xFFFF; ++w) {
        const auto word = static_cast<std::uint16_t>(w);
        const bool passThrough = w == 0x0000 || w == 0xFFFF || w == 0x4C2D || w == 0xB3D2;
        const std::uint16_t plain = DescrambleWord(word);
        ASSERT_EQ(passThrough ? word : word ^ 0x4C2D, plain) << std::hex << w;
        ASSERT_EQ(word, DescrambleWord(plain)) << std::hex << w;
    }
}

TEST(TrailerVersionText, XorsVersionWordAlwaysAndShowsLowByteFirst) {
    struct Case {
        unsigned char trailer[4];
        const char* text;
    };
    const Case cases[] = {
        {{0x00, 0x00, 0x2D ^ 0x02, 0x4C ^ 0x14}, "0214"},
        // Bytes 0 and 1 do not take part.
        {{0x12, 0x34, 0x2D ^ 0x02, 0x4C ^ 0x14}, "0214"},
        {{0x00, 0x00, 0x2D ^ 0xAB, 0x4C ^ 0xCD}, "ABCD"},
        // Pass-through words of the word rule are XORed here all the same.
        {{0xFF, 0xFF, 0xFF, 0xFF}, "D2B3"},
        {{0x00, 0x00, 0x00, 0x00}, "2D4C"},
        {{0x00, 0x00, 0x2D, 0x4C}, "0000"},
    };
    for (const Case& c : cases) {
        char text[5] = {'?', '?', '?', '?', '?'};
        TrailerVersionText(c.trailer, text);
        EXPECT_EQ(std::string(c.text), std::string(text, 4));
        EXPECT_EQ('\0', text[4]);
    }
}
