// The console tools as a user runs them: zrcsim changes the device that the filters
// then show, mkfirmware writes images.
#include <gtest/gtest.h>

#include <windows.h>

#include "sim/SimFlash.h"
#include "tests/support/FirmwareFiles.h"
#include "tests/support/Programs.h"
#include "tests/support/ScratchFolder.h"
#include "tests/support/SimDeviceState.h"

namespace {

class ToolsTest : public ::testing::Test {
protected:
    DWORD FlashVersionWord() {
        DWORD word = 0;
        EXPECT_TRUE(SimFlash(m_device.Folder()).ReadBigEndian(SimFlash::kVersionAddress, &word));
        return word;
    }

    ScratchFolder m_folder;
    CurrentFolder m_current{m_folder.Path()};
    SimDeviceState m_device{m_folder.Path()};
};

TEST_F(ToolsTest, ZrcsimSetsFaultsSettingsAndTheFlashVersion) {
    ASSERT_EQ(0, RunBeside("zrcsim.exe", "fault not-ready-2 power-loss"));
    EXPECT_EQ("1", m_device.Get("probe2"));
    EXPECT_EQ("1", m_device.Get("fault_power_loss"));
    ASSERT_EQ(0, RunBeside("zrcsim.exe", "set flash_ms=100 \"source_version=Src = 1 2\""));
    EXPECT_EQ("Src = 1 2", m_device.Get("source_version")) << "saved and read back whole";
    ASSERT_EQ(0, RunBeside("zrcsim.exe", "version 0214"));
    EXPECT_EQ(0x0214u, FlashVersionWord() & 0xFFFF);
    ASSERT_EQ(0, RunBeside("zrcsim.exe", "erase"));
    EXPECT_EQ(0xFFFFFFFFu, FlashVersionWord());
    ASSERT_EQ(0, RunBeside("zrcsim.exe", "fault none"));
    EXPECT_EQ("0", m_device.Get("probe2"));
    ASSERT_EQ(0, RunBeside("zrcsim.exe", "reset"));
    EXPECT_EQ(0x0211u, FlashVersionWord() & 0xFFFF);
    EXPECT_EQ("30000", m_device.Get("flash_ms"));
}

TEST_F(ToolsTest, MkfirmwareWritesValidAndDeliberatelyWrongImages) {
    ASSERT_EQ(0, RunBeside("mkfirmware.exe", "-o image.bin"));
    Bytes bytes = ReadBytes("image.bin");
    ASSERT_EQ(0x200000u, bytes.size());
    EXPECT_EQ(0x02 ^ 0x2D, bytes[0x1FFFFE]);
    EXPECT_EQ(0x14 ^ 0x4C, bytes[0x1FFFFF]);
    ASSERT_EQ(0, RunBeside("mkfirmware.exe", "--version 0213 --length 0x1000 -o image.bin"));
    bytes = ReadBytes("image.bin");
    ASSERT_EQ(0x1000u, bytes.size());
    EXPECT_EQ(0x13 ^ 0x4C, bytes[0xFFF]);
}

// A request a tool refuses: it ends with an error, changes no setting of the new device
// and makes no flash for it.
struct BadRequest {
    const char* name;
    const char* program;
    const char* arguments;
};

class ToolRefusalTest : public ToolsTest, public testing::WithParamInterface<BadRequest> {};

TEST_P(ToolRefusalTest, EndsWithAnErrorAndChangesNothing) {
    EXPECT_NE(0, RunBeside(GetParam().program, GetParam().arguments));
    EXPECT_EQ("3000", m_device.Get("read_ms"));
    EXPECT_EQ("0", m_device.Get("probe2"));
    EXPECT_EQ(-1, FileSize(m_folder.File("flash.bin")));
}

INSTANTIATE_TEST_SUITE_P(
    Requests, ToolRefusalTest,
    testing::Values(
        BadRequest{"UnknownSettingAmongGoodOnes", "zrcsim.exe", "set read_ms=5 nonsense=1"},
        BadRequest{"UnknownFault", "zrcsim.exe", "fault unplugged"},
        BadRequest{"ShortVersion", "zrcsim.exe", "version 21"},
        BadRequest{"ImageVersionNotHex", "mkfirmware.exe", "--version 02X4 -o image.bin"},
        BadRequest{"ImageShorterThanItsTrailer", "mkfirmware.exe", "--length 3 -o image.bin"}),
    [](const auto& info) { return info.param.name; });

} // namespace
