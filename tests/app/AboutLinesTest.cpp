#include "AboutLines.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

struct FilterLineCase {
    const char* prefix;
    const char* version;
    const char* expected;
};

class FilterLineTest : public testing::TestWithParam<FilterLineCase> {};

TEST_P(FilterLineTest, ComposesPrefixAndVersionTail) {
    const FilterLineCase& c = GetParam();
    char field[50] = {};
    std::strncpy(field, c.version, sizeof field - 1);
    AboutLine line;
    std::memset(line, 'x', sizeof line);
    FormatFilterLine(c.prefix, field, sizeof field, line);
    EXPECT_EQ(std::string(line), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, FilterLineTest,
    testing::Values(FilterLineCase{"Source Filter ", "", "Source Filter  N/A"},
                    FilterLineCase{"Splitter Filter ", "abc", "Splitter Filter "},
                    FilterLineCase{"Splitter Filter ", "abcdefg", "Splitter Filter "},
                    FilterLineCase{"Source Filter ", "abcdefghij", "Source Filter hij"},
                    FilterLineCase{"Sink Filter ", "", "Sink Filter  N/A"},
                    // 25 characters after the seventh fill the Source line to exactly 39.
                    FilterLineCase{"Source Filter ", "1234567ABCDEFGHIJKLMNOPQRSTUVWXY",
                                   "Source Filter ABCDEFGHIJKLMNOPQRSTUVWXY"},
                    // Longer tails are cut at the 39th character.
                    FilterLineCase{"Splitter Filter ",
                                   "1234567ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789abcde",
                                   "Splitter Filter ABCDEFGHIJKLMNOPQRSTUVW"}));

TEST(FilterLine, NeverRunsPastItsBufferOrItsField) {
    // A version field without a terminating NUL, followed by bytes that must not show.
    struct {
        char field[50];
        char after[8];
    } block;
    std::memset(block.field, 'v', sizeof block.field);
    std::memcpy(block.after, "SPILLED", 8);

    struct {
        AboutLine line;
        char guard[8];
    } out;
    std::memset(out.guard, 'g', sizeof out.guard);
    FormatFilterLine("Sink Filter ", block.field, sizeof block.field, out.line);

    EXPECT_EQ(std::strlen(out.line), ABOUT_LINE_SIZE - 1);
    EXPECT_EQ(std::string(out.line), "Sink Filter " + std::string(27, 'v'));
    EXPECT_EQ(std::string(out.guard, sizeof out.guard), std::string(8, 'g'));
}

TEST(MicrocodeLine, ShowsAllBitsInLowerCaseWithFourDigitsAtLeast) {
    const struct {
        DWORD value;
        const char* expected;
    } cases[] = {
        {0, "Microcode Version 0000"},
        {0xAB, "Microcode Version 00ab"},
        {0xBEEF, "Microcode Version beef"},
        {0x1ABCD, "Microcode Version 1abcd"},
        {0xDEADBEEF, "Microcode Version deadbeef"},
    };
    for (const auto& c : cases) {
        AboutLine line;
        FormatMicrocodeLine(c.value, line);
        EXPECT_EQ(std::string(line), c.expected) << std::hex << c.value;
    }
}

} // namespace
