// The About box's lines at their limits; what the box shows of a device's usual texts is
// the end-to-end tests'.
#include "app/AboutLines.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

struct FilterLineCase {
    const char* name;
    const char* prefix;
    std::string field; // the version field's bytes, SPILLED after them in memory
    const char* shown;
};

class FilterLineTest : public testing::TestWithParam<FilterLineCase> {};

// A field is read to its NUL or its end and no further, and a long text is cut at the
// line's 39th character, with nothing written past the line.
TEST_P(FilterLineTest, KeepsToTheFieldAndTheLine) {
    const FilterLineCase& c = GetParam();
    const std::string memory = c.field + "SPILLED";
    struct {
        AboutLine line;
        char guard[8];
    } out;
    std::memset(&out, 'g', sizeof out);
    FormatFilterLine(c.prefix, memory.c_str(), c.field.size(), out.line);
    EXPECT_EQ(std::string(out.line), c.shown);
    EXPECT_EQ(std::string(out.guard, sizeof out.guard), std::string(8, 'g'));
}

INSTANTIATE_TEST_SUITE_P(
    Limits, FilterLineTest,
    testing::Values(FilterLineCase{"FieldWithoutItsEnd", "Sink Filter ", std::string(10, 'v'),
                                   "Sink Filter vvv"},
                    FilterLineCase{"TextLongerThanTheLine", "Splitter Filter ",
                                   std::string("1234567ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789\0", 44),
                                   "Splitter Filter ABCDEFGHIJKLMNOPQRSTUVW"},
                    FilterLineCase{"EmptyText", "Source Filter ", std::string(4, '\0'),
                                   "Source Filter  N/A"}),
    [](const testing::TestParamInfo<FilterLineCase>& info) {
        return std::string(info.param.name);
    });

// The microcode's padding shows only here (lower case and every bit are seen in the About box).
TEST(MicrocodeLineTest, PadsToFourDigits) {
    AboutLine line;
    FormatMicrocodeLine(0xAB, line);
    EXPECT_EQ(std::string(line), "Microcode Version 00ab");
}

} // namespace
