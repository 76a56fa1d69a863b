// The numbers in the simulated device's settings.
#include <gtest/gtest.h>

#include <utility>

#include "sim/SimSettings.h"

namespace {

TEST(SimSettingsTest, NumbersAreDecimalOrHexadecimal) {
    // "0211": a leading zero is not octal.
    const std::pair<const char*, DWORD> valid[] = {{"30000", 30000},
                                                   {"0x1F", 31},
                                                   {"0211", 211},
                                                   {" 0XffFFffFF ", 0xFFFFFFFF},
                                                   {"4294967295", 0xFFFFFFFF}};
    DWORD value = 0;
    for (const auto& [text, expected] : valid) {
        EXPECT_TRUE(ParseSimNumber(text, &value)) << text;
        EXPECT_EQ(expected, value) << text;
    }
    for (const char* bad : {"4294967296", "", "0x", "12a", "-1"})
        EXPECT_FALSE(ParseSimNumber(bad, &value)) << bad;
}

} // namespace
