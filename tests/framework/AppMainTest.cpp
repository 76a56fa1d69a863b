// The framework's entry point, run in a program of its own.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

namespace {

TEST(AppMainTest, RunsInitInstanceThenEndsWithExitInstancesResult) {
    char path[MAX_PATH] = {};
    DWORD length = GetModuleFileNameA(nullptr, path, sizeof path);
    ASSERT_GT(length, 0u);
    ASSERT_LT(length, sizeof path);
    std::string probe(path);
    probe.replace(probe.find_last_of("\\/") + 1, std::string::npos, "framework_app_probe.exe");

    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    ASSERT_TRUE(CreateProcessA(probe.c_str(), nullptr, nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                               &startup, &process))
        << probe;
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(process.hProcess, 30000));
    DWORD exitCode = 0;
    EXPECT_TRUE(GetExitCodeProcess(process.hProcess, &exitCode));
    EXPECT_EQ(42u, exitCode);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
}

} // namespace
