#pragma once
// A helper's last parameter, defaulted: while the helper runs, each of its failures on the
// test's thread names the line that called it, not only the helper's own.
#include <gtest/gtest.h>

class CallerLine : public testing::ScopedTrace {
public:
    CallerLine(const char* file = __builtin_FILE(), int line = __builtin_LINE())
        : ScopedTrace(file, line, "called from here") {}
};
