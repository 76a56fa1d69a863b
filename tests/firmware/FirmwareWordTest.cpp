#include "firmware/FirmwareWord.h"
#include "firmware/StagingRecords.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

TEST(WordRule, XorsAllButFourWordsInEveryLoopAndIsItsOwnInverse) {
    // Every word twice, the second time one place on, so that each word is converted in
    // both halves of a 32-bit word pair.
    std::vector<unsigned char> image;
    for (unsigned i = 0; i < 0x20000; ++i) {
        const unsigned word = (i + i / 0x10000) & 0xFFFF;
        image.push_back(static_cast<unsigned char>(word & 0xFF));
        image.push_back(static_cast<unsigned char>(word >> 8));
    }
    // Every loop also takes the digest while converting that every loop takes from the
    // records alone.
    const RecordLoop loops[] = {RecordLoop::WordPairs, FastestRecordLoop()};
    for (const RecordLoop loop : loops) {
        std::vector<unsigned char> records(2 * image.size());
        StagingDigest converted;
        ConvertWords(loop, image.data(), image.size() / 2, records.data(), converted);
        for (const RecordLoop check : loops) {
            StagingDigest read;
            DigestRecords(check, records.data(), records.size() / 4, read);
            EXPECT_TRUE(read == converted) << static_cast<int>(loop) << static_cast<int>(check);
        }
        for (std::size_t i = 0; i < image.size() / 2; ++i) {
            const unsigned w = image[2 * i] | image[2 * i + 1] << 8;
            const bool passThrough = w == 0x0000 || w == 0xFFFF || w == 0x4C2D || w == 0xB3D2;
            const unsigned plain = passThrough ? w : w ^ 0x4C2D;
            const unsigned char expected[4] = {static_cast<unsigned char>(plain & 0xFF), 0xFF,
                                               static_cast<unsigned char>(plain >> 8), 0xFF};
            ASSERT_EQ(0, std::memcmp(expected, &records[4 * i], 4))
                << "loop " << static_cast<int>(loop) << ", word " << std::hex << w;
            const auto word = static_cast<std::uint16_t>(w);
            ASSERT_EQ(plain, DescrambleWord(word)) << std::hex << w;
            ASSERT_EQ(word, DescrambleWord(DescrambleWord(word))) << std::hex << w;
        }
    }
}

struct TrailerCase {
    const char* name;
    unsigned char trailer[4];
    const char* text;
};

class TrailerVersionTextTest : public testing::TestWithParam<TrailerCase> {};

TEST_P(TrailerVersionTextTest, XorsVersionWordAlwaysAndShowsLowByteFirst) {
    char text[5] = {'?', '?', '?', '?', '?'};
    TrailerVersionText(GetParam().trailer, text);
    EXPECT_EQ(std::string(GetParam().text), std::string(text, 4));
    EXPECT_EQ('\0', text[4]);
}

const TrailerCase kTrailers[] = {
    {"Version0214", {0x00, 0x00, 0x2D ^ 0x02, 0x4C ^ 0x14}, "0214"},
    {"Bytes0And1TakeNoPart", {0x12, 0x34, 0x2D ^ 0x02, 0x4C ^ 0x14}, "0214"},
    {"VersionABCD", {0x00, 0x00, 0x2D ^ 0xAB, 0x4C ^ 0xCD}, "ABCD"},
    // Pass-through words of the word rule are XORed here all the same.
    {"AllOnes", {0xFF, 0xFF, 0xFF, 0xFF}, "D2B3"},
    {"AllZeros", {0x00, 0x00, 0x00, 0x00}, "2D4C"},
    {"Mask", {0x00, 0x00, 0x2D, 0x4C}, "0000"},
};
INSTANTIATE_TEST_SUITE_P(Trailers, TrailerVersionTextTest, testing::ValuesIn(kTrailers),
                         [](const auto& info) { return info.param.name; });
