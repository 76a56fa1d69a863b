// The simulated device as the updater meets it: filters created by class identifier
// from the registered DLL, driven through a device link and its numbered commands.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>

#include "device/DeviceCommands.h"
#include "device/GraphDeviceLink.h"
#include "tests/support/FileNames.h"
#include "tests/support/FirmwareFiles.h"
#include "tests/support/ScratchFolder.h"
#include "tests/support/SimDeviceState.h"

namespace {

// The update worker's block: the staging path, then the window handle at offset 260.
#pragma pack(push, 4)
struct FlashBlock {
    char path[260];
    HWND window;
};
#pragma pack(pop)

// Each test gets a new device: an empty state folder of its own, which is also the
// current folder, so that relative staging paths land there.
class SimDeviceTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr)));
        m_device.Set({{"flash_ms", "64"}, {"read_ms", "0"}});
    }
    void TearDown() override { CoUninitialize(); }

    Bytes Flash() { return ReadBytes(m_folder.File("flash.bin")); }

    // Runs one command on a new configuration-12 link, as the dialog's one-shot calls do.
    int Command(int code, void* arg) {
        CGraphDeviceLink link;
        link.Open(CONFIG_SOURCE_SPLITTER, 0);
        return link.Command(code, arg);
    }
    DWORD Version() {
        DWORD word = 0;
        EXPECT_EQ(1, Command(CMD_READ_FLASH_VERSION, &word));
        return word & 0xFFFF;
    }
    int FlashStaging(const char* path, HWND window = nullptr) {
        FlashBlock block = {};
        std::strncpy(block.path, path, sizeof(block.path) - 1);
        block.window = window;
        return Command(CMD_FLASH_UPDATE, &block);
    }
    void WriteStaging(std::uint16_t version) {
        WriteBytes(files::kStaging, ExpectedStaging(MakeTestImage(version)));
    }

    ScratchFolder m_folder;
    CurrentFolder m_current{m_folder.Path()};
    SimDeviceState m_device{m_folder.Path()};
};

TEST_F(SimDeviceTest, AnswersEachQueryAsConfigured) {
    DWORD microcode = 0, sourceWord = 0;
    FilterVersionBlock versions = {};
    BYTE value = 0x5A;
    CGraphDeviceLink link;
    ASSERT_EQ(1, link.Open(CONFIG_SOURCE_SPLITTER, 0));
    EXPECT_EQ(1, link.Command(CMD_GET_MICROCODE_VERSION, &microcode));
    EXPECT_EQ(0xA31Cu, microcode);
    EXPECT_EQ(1, link.Command(CMD_QUERY_SOURCE_WORD, &sourceWord));
    EXPECT_EQ(1u, sourceWord);
    EXPECT_EQ(1, link.Command(CMD_GET_FILTER_VERSIONS, &versions));
    // The About box shows each text without its first seven characters.
    EXPECT_STREQ("ZrcSrc 2.10.0.31", versions.szSourceVersion);
    EXPECT_STREQ("QmSplt 1.04.0.07", versions.szSplitterVersion);
    EXPECT_EQ(1, link.Command(CMD_QUERY_SOURCE_FLAG, nullptr));
    EXPECT_EQ(1, link.Command(CMD_SET_SOURCE_BYTE, &value));
    EXPECT_EQ("0x0000005a", m_device.Get("last_byte"));
    EXPECT_EQ(1, link.Command(CMD_CHECK_READY, nullptr));

    m_device.Set({{"microcode", "0x12345678"}, {"flag_status", "1"}});
    EXPECT_EQ(1, link.Command(CMD_GET_MICROCODE_VERSION, &microcode));
    EXPECT_EQ(0x12345678u, microcode);
    EXPECT_EQ(0, link.Command(CMD_QUERY_SOURCE_FLAG, nullptr));
    EXPECT_EQ(1, link.Command(CMD_SET_SOURCE_BYTE, &value)) << "the byte has its own status";
    m_device.Set({{"byte_status", "1"}});
    EXPECT_EQ(0, link.Command(CMD_SET_SOURCE_BYTE, &value));
    for (const char* probe : {"probe1", "probe2", "probe3"}) {
        m_device.Set({{"probe1", "0"}, {"probe2", "0"}, {"probe3", "0"}, {probe, "1"}});
        EXPECT_EQ(0, link.Command(CMD_CHECK_READY, nullptr)) << probe;
    }
    m_device.Set({{"sink_version", "Sink   9.9"}});
    ASSERT_EQ(1, link.Open(CONFIG_SINK, 0));
    EXPECT_EQ(1, link.Command(CMD_GET_FILTER_VERSIONS, &versions));
    EXPECT_STREQ("Sink   9.9", versions.szSinkVersion);
}

TEST_F(SimDeviceTest, FlashOfAMadeImageTakesItsTimeAndShowsItsVersion) {
    EXPECT_EQ(0x0211u, Version()) << "a new device";
    const Bytes payload = TestPayload();
    WriteStaging(0x0214);
    m_device.Set({{"flash_ms", "320"}, {"read_ms", "160"}});
    DWORD start = GetTickCount();
    ASSERT_EQ(1, FlashStaging(files::kStagingPath, GetDesktopWindow()));
    DWORD flashed = GetTickCount();
    EXPECT_EQ(0x0214u, Version());
    EXPECT_GE(flashed - start, 300u);
    EXPECT_GE(GetTickCount() - flashed, 140u);
    // The flash holds the plain firmware: the payload, then erased padding.
    Bytes flash = Flash();
    ASSERT_EQ(0x200000u, flash.size());
    EXPECT_TRUE(std::equal(payload.begin(), payload.end(), flash.begin()));
    EXPECT_EQ(0xFF, flash[0x1FFFFB]);
    EXPECT_EQ(files::kStagingPath, m_device.Get("last_flash_path"));
    EXPECT_EQ("1", m_device.Get("last_flash_window_valid"));
    EXPECT_EQ("1", m_device.Get("flash_count"));
    m_device.Set({{"flash_ms", "64"}});
    ASSERT_EQ(1, FlashStaging(files::kStaging, reinterpret_cast<HWND>(0x1234)));
    EXPECT_EQ("0x00001234", m_device.Get("last_flash_window"));
    EXPECT_EQ("0", m_device.Get("last_flash_window_valid"));
}

// A refused or failed flash leaves the flash as it was; a failed read leaves the value.
TEST_F(SimDeviceTest, RefusedOrFailedFlashKeepsTheFlash) {
    const Bytes valid = ExpectedStaging(MakeTestImage());
    Bytes shortFile(valid.begin(), valid.end() - 4);
    Bytes longFile = valid, badFiller = valid, badHighFiller = valid;
    longFile.insert(longFile.end(), 4, 0xFF);
    badFiller[0x3FFFFD] = 0x00; // byte 1 of the last record
    badHighFiller[3] = 0xFE;    // byte 3 of the first record
    EXPECT_EQ(1, Command(CMD_CHECK_READY, nullptr)) << "makes the new device's flash";
    Bytes before = Flash();
    EXPECT_EQ(0, FlashStaging(".\\missing.bin"));
    for (const Bytes* file : {&shortFile, &longFile, &badFiller, &badHighFiller}) {
        WriteBytes(files::kStaging, *file);
        EXPECT_EQ(0, FlashStaging(files::kStagingPath)) << file->size();
    }
    m_device.Set({{"fault_flash_fails", "1"}});
    WriteBytes(files::kStaging, valid);
    EXPECT_EQ(0, FlashStaging(files::kStagingPath)) << "a failing flash";
    EXPECT_EQ(before, Flash());
    m_device.Set({{"fault_read_fails", "1"}});
    DWORD word = 0xCAFE;
    EXPECT_EQ(0, Command(CMD_READ_FLASH_VERSION, &word));
    EXPECT_EQ(0xCAFEu, word);
}

// The power comes back for the next flash, which recovers the device; what it flashed
// survives unloading the DLL.
TEST_F(SimDeviceTest, PowerLossLeavesABlankVersionUntilTheNextFlash) {
    WriteStaging(0x0214);
    m_device.Set({{"fault_power_loss", "1"}});
    EXPECT_EQ(0, FlashStaging(files::kStagingPath));
    EXPECT_EQ(0xFFFFu, Version());
    EXPECT_NE(0xFF, Flash()[0]) << "the leading part is programmed";
    EXPECT_EQ(1, FlashStaging(files::kStagingPath));

    ASSERT_NE(nullptr, GetModuleHandleW(L"zrcsim.dll"));
    CoUninitialize();
    ASSERT_EQ(nullptr, GetModuleHandleW(L"zrcsim.dll")) << "the DLL stayed loaded";
    ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr)));
    EXPECT_EQ(0x0214u, Version());
}

// Each role's fault fails the open at that role's filter, and no other.
TEST_F(SimDeviceTest, FiltersThatCannotBeCreatedFailTheOpen) {
    const char* const faults[] = {"fault_no_source", "fault_no_splitter", "fault_no_sink"};
    const int sourceSplitter[] = {2, 3, 1}, sink[] = {1, 1, 10}; // by fault
    for (int i = 0; i < 3; ++i) {
        m_device.Set({{faults[0], "0"}, {faults[1], "0"}, {faults[2], "0"}, {faults[i], "1"}});
        CGraphDeviceLink link;
        EXPECT_EQ(sourceSplitter[i], link.Open(CONFIG_SOURCE_SPLITTER, 0)) << faults[i];
        EXPECT_EQ(sink[i], link.Open(CONFIG_SINK, 0)) << faults[i];
    }
}

} // namespace
