// The About box's lines at their limits; what the box shows of a device's usual texts is
// the end-to-end tests'.
#include "app/AboutLines.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

// A version field without its NUL is read to the field's end and no further, and a long
// one is cut at the line's 39th character, with nothing written past the line. The
// microcode's padding shows only here (lower case and every bit are seen in the About box).
TEST(AboutLinesTest, LinesKeepToTheirLimits) {
    struct {
        char field[10];
        char after[8];
    } block;
    std::memset(block.field, 'v', sizeof block.field);
    std::memcpy(block.after, "SPILLED", 8);
    struct {
        AboutLine line;
        char guard[8];
    } out;
    std::memset(&out, 'g', sizeof out);
    FormatFilterLine("Sink Filter ", block.field, sizeof block.field, out.line);
    EXPECT_EQ(std::string(out.line), "Sink Filter vvv");

    FormatFilterLine("Splitter Filter ", "1234567ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789", 50,
                     out.line);
    EXPECT_EQ(std::string(out.line), "Splitter Filter ABCDEFGHIJKLMNOPQRSTUVW");
    EXPECT_EQ(std::string(out.guard, sizeof out.guard), std::string(8, 'g'));

    FormatMicrocodeLine(0xAB, out.line);
    EXPECT_EQ(std::string(out.line), "Microcode Version 00ab");
}

} // namespace
