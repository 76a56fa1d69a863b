// The framework's entry point, run in a program of its own.
#include <gtest/gtest.h>

#include "Programs.h"

namespace {

TEST(AppMainTest, RunsInitInstanceThenEndsWithExitInstancesResult) {
    EXPECT_EQ(42, RunBeside("framework_app_probe.exe"));
}

} // namespace
