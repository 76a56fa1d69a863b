// The console tools as a user runs them: zrcsim changes the device that the filters
// then show, mkfirmware writes images.
#include <gtest/gtest.h>

#include <windows.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "SimFlash.h"
#include "SimSettings.h"

namespace {

// Runs a tool that lies beside this test program; its exit code, or -1.
int RunTool(const std::wstring& commandLine) {
    wchar_t self[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring folder(self);
    folder.resize(folder.find_last_of(L'\\') + 1);
    std::wstring command = L"\"" + folder + commandLine;
    command.insert(command.find(L".exe") + 4, L"\"");
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    if (!CreateProcessW(nullptr, &command[0], nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr,
                        nullptr, &startup, &process))
        return -1;
    WaitForSingleObject(process.hProcess, 30000);
    DWORD exitCode = static_cast<DWORD>(-1);
    GetExitCodeProcess(process.hProcess, &exitCode);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return static_cast<int>(exitCode);
}

class ToolsTest : public ::testing::Test {
protected:
    void SetUp() override {
        wchar_t temp[MAX_PATH] = {};
        GetTempPathW(MAX_PATH, temp);
        folder_ = std::wstring(temp) + L"zrcsim-tools-" + std::to_wstring(GetCurrentProcessId());
        ASSERT_TRUE(CreateDirectoryW(folder_.c_str(), nullptr));
        SetEnvironmentVariableW(L"ZRCSIM_STATE", folder_.c_str());
    }
    void TearDown() override {
        SetEnvironmentVariableW(L"ZRCSIM_STATE", nullptr);
        for (const wchar_t* name : {L"\\flash.bin", L"\\settings.txt", L"\\image.bin"})
            DeleteFileW((folder_ + name).c_str());
        RemoveDirectoryW(folder_.c_str());
    }

    std::string Setting(const char* key) {
        SimSettings settings(folder_);
        settings.Load();
        return settings.Get(key);
    }
    DWORD FlashVersionWord() {
        DWORD word = 0;
        EXPECT_TRUE(SimFlash(folder_).ReadBigEndian(SimFlash::kVersionAddress, &word));
        return word;
    }

    std::wstring folder_;
};

TEST_F(ToolsTest, ZrcsimSetsFaultsSettingsAndTheFlashVersion) {
    ASSERT_EQ(0, RunTool(L"zrcsim.exe fault not-ready-2 power-loss"));
    EXPECT_EQ("1", Setting("probe2"));
    EXPECT_EQ("1", Setting("fault_power_loss"));
    ASSERT_EQ(0, RunTool(L"zrcsim.exe set flash_ms=100 \"source_version=Src 1 2\""));
    EXPECT_EQ("Src 1 2", Setting("source_version"));
    ASSERT_EQ(0, RunTool(L"zrcsim.exe version 0214"));
    EXPECT_EQ(0x0214u, FlashVersionWord() & 0xFFFF);

    // A bad request changes nothing.
    EXPECT_NE(0, RunTool(L"zrcsim.exe set read_ms=5 nonsense=1"));
    EXPECT_EQ("3000", Setting("read_ms"));
    EXPECT_NE(0, RunTool(L"zrcsim.exe fault unplugged"));
    EXPECT_NE(0, RunTool(L"zrcsim.exe version 21"));

    ASSERT_EQ(0, RunTool(L"zrcsim.exe erase"));
    EXPECT_EQ(0xFFFFFFFFu, FlashVersionWord());
    ASSERT_EQ(0, RunTool(L"zrcsim.exe fault none"));
    EXPECT_EQ("0", Setting("probe2"));
    ASSERT_EQ(0, RunTool(L"zrcsim.exe reset"));
    EXPECT_EQ(0x0211u, FlashVersionWord() & 0xFFFF);
    EXPECT_EQ("30000", Setting("flash_ms"));
}

TEST_F(ToolsTest, MkfirmwareWritesValidAndDeliberatelyWrongImages) {
    std::wstring image = folder_ + L"\\image.bin";
    auto readImage = [&image] {
        std::ifstream file(image.c_str(), std::ios::binary);
        return std::vector<unsigned char>(std::istreambuf_iterator<char>(file),
                                          std::istreambuf_iterator<char>());
    };
    ASSERT_EQ(0, RunTool(L"mkfirmware.exe -o \"" + image + L"\""));
    std::vector<unsigned char> bytes = readImage();
    ASSERT_EQ(0x200000u, bytes.size());
    EXPECT_EQ(0x02 ^ 0x2D, bytes[0x1FFFFE]);
    EXPECT_EQ(0x14 ^ 0x4C, bytes[0x1FFFFF]);

    ASSERT_EQ(0, RunTool(L"mkfirmware.exe --version 0213 --length 0x1000 -o \"" + image + L"\""));
    bytes = readImage();
    ASSERT_EQ(0x1000u, bytes.size());
    EXPECT_EQ(0x13 ^ 0x4C, bytes[0xFFF]);

    EXPECT_NE(0, RunTool(L"mkfirmware.exe --version 02X4 -o \"" + image + L"\""));
    EXPECT_NE(0, RunTool(L"mkfirmware.exe --length 3 -o \"" + image + L"\""));
}

} // namespace
