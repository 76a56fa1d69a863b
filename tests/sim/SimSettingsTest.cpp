// The numbers in the simulated device's settings.
#include <gtest/gtest.h>

#include "sim/SimSettings.h"

namespace {

TEST(SimSettingsTest, NumbersAreDecimalOrHexadecimal) {
    struct Case {
        const char* text;
        bool valid;
        DWORD value;
    };
    const Case cases[] = {
        {"30000", true, 30000},
        {"0x1F", true, 31},
        {" 0XffFFffFF ", true, 0xFFFFFFFF},
        {"0211", true, 211}, // a leading zero is not octal
        {"4294967295", true, 0xFFFFFFFF},
        {"4294967296", false, 0},
        {"", false, 0},
        {"0x", false, 0},
        {"12a", false, 0},
        {"-1", false, 0},
    };
    for (const Case& c : cases) {
        DWORD value = 0;
        EXPECT_EQ(c.valid, ParseSimNumber(c.text, &value)) << c.text;
        if (c.valid) {
            EXPECT_EQ(c.value, value) << c.text;
        }
    }
}

} // namespace
