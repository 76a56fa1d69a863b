// The simulated device as the updater meets it: filters created by class identifier
// from the registered DLL, driven through a device link and its numbered commands.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "DeviceCommands.h"
#include "FirmwareImage.h"
#include "GraphDeviceLink.h"
#include "SimSettings.h"

namespace {

constexpr DWORD kStagingSize = 0x400000;
constexpr int kFailure = 0;
constexpr int kSuccess = 1;

// The update worker's block: the staging path, then the window handle at offset 260.
#pragma pack(push, 4)
struct FlashBlock {
    char path[260];
    HWND window;
};
#pragma pack(pop)

std::vector<BYTE> ReadAll(const std::wstring& path) {
    std::ifstream file(path.c_str(), std::ios::binary);
    return std::vector<BYTE>(std::istreambuf_iterator<char>(file),
                             std::istreambuf_iterator<char>());
}

void WriteAll(const char* path, const std::vector<BYTE>& bytes) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
}

// The staging file for an image: each descrambled word as low, 0xFF, high, 0xFF.
std::vector<BYTE> StagingFor(const std::vector<std::uint8_t>& image) {
    std::vector<BYTE> staging;
    staging.reserve(kStagingSize);
    for (std::size_t offset = 0; offset + 1 < image.size(); offset += 2) {
        WORD word = static_cast<WORD>(image[offset] | image[offset + 1] << 8);
        if (word != 0x0000 && word != 0xFFFF && word != 0x4C2D && word != 0xB3D2)
            word ^= 0x4C2D;
        staging.insert(staging.end(),
                       {static_cast<BYTE>(word & 0xFF), 0xFF, static_cast<BYTE>(word >> 8), 0xFF});
    }
    return staging;
}

// Each test gets a new device: an empty state folder of its own, which is also the
// current folder, so that relative staging paths land there.
class SimDeviceTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr)));
        wchar_t temp[MAX_PATH] = {};
        GetTempPathW(MAX_PATH, temp);
        static int counter = 0;
        folder_ = std::wstring(temp) + L"zrcsim-test-" + std::to_wstring(GetCurrentProcessId()) +
                  L"-" + std::to_wstring(++counter);
        ASSERT_TRUE(CreateDirectoryW(folder_.c_str(), nullptr));
        SetEnvironmentVariableW(L"ZRCSIM_STATE", folder_.c_str());
        GetCurrentDirectoryW(MAX_PATH, previousFolder_);
        SetCurrentDirectoryW(folder_.c_str());
        Configure({{"flash_ms", "64"}, {"read_ms", "0"}});
    }
    void TearDown() override {
        SetCurrentDirectoryW(previousFolder_);
        SetEnvironmentVariableW(L"ZRCSIM_STATE", nullptr);
        for (const wchar_t* name : {L"\\flash.bin", L"\\settings.txt", L"\\update_temp.bin"})
            DeleteFileW((folder_ + name).c_str());
        RemoveDirectoryW(folder_.c_str());
        CoUninitialize();
    }

    void Configure(std::initializer_list<std::pair<const char*, const char*>> values) {
        SimSettings settings(folder_);
        settings.Load();
        for (const auto& value : values)
            settings.Set(value.first, value.second);
        ASSERT_TRUE(settings.Save());
    }
    std::string Setting(const char* key) {
        SimSettings settings(folder_);
        settings.Load();
        return settings.Get(key);
    }
    std::vector<BYTE> Flash() { return ReadAll(folder_ + L"\\flash.bin"); }
    // The new device's flash, made by its first command.
    std::vector<BYTE> FactoryFlash() {
        EXPECT_EQ(kSuccess, Command(CMD_CHECK_READY, nullptr));
        std::vector<BYTE> flash = Flash();
        EXPECT_EQ(0x200000u, flash.size());
        return flash;
    }

    // Runs one command on a new configuration-12 link, as the dialog's one-shot calls do.
    int Command(int code, void* arg) {
        CGraphDeviceLink link;
        link.Open(CONFIG_SOURCE_SPLITTER, 0);
        return link.Command(code, arg);
    }
    int ReadVersion(DWORD* word) { return Command(CMD_READ_FLASH_VERSION, word); }
    int FlashStaging(const char* path, HWND window = nullptr) {
        FlashBlock block = {};
        std::strncpy(block.path, path, sizeof(block.path) - 1);
        block.window = window;
        return Command(CMD_FLASH_UPDATE, &block);
    }
    void WriteStaging(std::uint16_t version) {
        WriteAll("update_temp.bin", StagingFor(MakeImage(PayloadFromSeed(7), version)));
    }

    std::wstring folder_;
    wchar_t previousFolder_[MAX_PATH] = {};
};

TEST_F(SimDeviceTest, ReadinessFollowsTheProbes) {
    struct Case {
        const char* key;
        const char* status;
        int expected;
    };
    const Case cases[] =
        {
            {"probe1", "0", kSuccess},          {"probe1", "1", kFailure},
            {"probe2", "1", kFailure},          {"probe3", "1", kFailure},
            {"probe1", "0x80004005", kSuccess}, // only S_FALSE means not ready
        };
    for (const Case& c : cases) {
        Configure({{"probe1", "0"}, {"probe2", "0"}, {"probe3", "0"}, {c.key, c.status}});
        EXPECT_EQ(c.expected, Command(CMD_CHECK_READY, nullptr)) << c.key << "=" << c.status;
    }
}

TEST_F(SimDeviceTest, AnswersMicrocodeSourceWordAndVersionStrings) {
    DWORD microcode = 0, sourceWord = 0;
    FilterVersionBlock versions = {};
    CGraphDeviceLink link;
    ASSERT_EQ(1, link.Open(CONFIG_SOURCE_SPLITTER, 0));
    EXPECT_EQ(kSuccess, link.Command(CMD_GET_MICROCODE_VERSION, &microcode));
    EXPECT_EQ(kSuccess, link.Command(CMD_QUERY_SOURCE_WORD, &sourceWord));
    EXPECT_EQ(kSuccess, link.Command(CMD_GET_FILTER_VERSIONS, &versions));
    EXPECT_EQ(0xA31Cu, microcode);
    EXPECT_EQ(1u, sourceWord);
    // The About box shows each text without its first seven characters.
    EXPECT_STREQ("ZrcSrc 2.10.0.31", versions.szSourceVersion);
    EXPECT_STREQ("QmSplt 1.04.0.07", versions.szSplitterVersion);
    EXPECT_STREQ("", versions.szSinkVersion);

    Configure({{"microcode", "0x12345678"}, {"sink_version", "Sink   9.9"}});
    EXPECT_EQ(kSuccess, link.Command(CMD_GET_MICROCODE_VERSION, &microcode));
    EXPECT_EQ(0x12345678u, microcode);
    CGraphDeviceLink sinkLink;
    ASSERT_EQ(1, sinkLink.Open(CONFIG_SINK, 0));
    EXPECT_EQ(kSuccess, sinkLink.Command(CMD_GET_FILTER_VERSIONS, &versions));
    EXPECT_STREQ("Sink   9.9", versions.szSinkVersion);
}

TEST_F(SimDeviceTest, FlagAndByteReportTheirConfiguredStatus) {
    BYTE value = 0x5A;
    EXPECT_EQ(kSuccess, Command(CMD_QUERY_SOURCE_FLAG, nullptr));
    EXPECT_EQ(kSuccess, Command(CMD_SET_SOURCE_BYTE, &value));
    EXPECT_EQ("0x0000005a", Setting("last_byte"));
    Configure({{"flag_status", "1"}, {"byte_status", "1"}});
    EXPECT_EQ(kFailure, Command(CMD_QUERY_SOURCE_FLAG, nullptr));
    EXPECT_EQ(kFailure, Command(CMD_SET_SOURCE_BYTE, &value));
}

TEST_F(SimDeviceTest, NewDeviceHoldsVersion0211) {
    DWORD word = 0;
    ASSERT_EQ(kSuccess, ReadVersion(&word));
    EXPECT_EQ(0x0211u, word & 0xFFFF);
}

TEST_F(SimDeviceTest, FlashOfAMadeImageShowsItsTrailerVersion) {
    HWND window =
        CreateWindowW(L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    ASSERT_NE(nullptr, window);
    std::vector<std::uint8_t> payload = PayloadFromSeed(7);
    WriteAll("update_temp.bin", StagingFor(MakeImage(payload, 0x0214)));

    ASSERT_EQ(kSuccess, FlashStaging(".\\update_temp.bin", window));

    DWORD word = 0;
    ASSERT_EQ(kSuccess, ReadVersion(&word));
    EXPECT_EQ(0x0214u, word & 0xFFFF);
    // The flash holds the plain firmware: the payload, then erased padding.
    std::vector<BYTE> flash = Flash();
    ASSERT_EQ(0x200000u, flash.size());
    EXPECT_TRUE(std::equal(payload.begin(), payload.end(), flash.begin()));
    EXPECT_EQ(0xFF, flash[0x1FFFFB]);
    EXPECT_EQ(".\\update_temp.bin", Setting("last_flash_path"));
    EXPECT_EQ("1", Setting("last_flash_window_valid"));
    EXPECT_EQ("1", Setting("flash_count"));
    DestroyWindow(window);

    ASSERT_EQ(kSuccess, FlashStaging("update_temp.bin", reinterpret_cast<HWND>(0x1234)));
    EXPECT_EQ("0x00001234", Setting("last_flash_window"));
    EXPECT_EQ("0", Setting("last_flash_window_valid"));
}

TEST_F(SimDeviceTest, InvalidStagingFileIsRefusedAndTheFlashKept) {
    std::vector<BYTE> valid = StagingFor(MakeImage(PayloadFromSeed(3), 0x0214));
    std::vector<BYTE> shortFile(valid.begin(), valid.end() - 4);
    std::vector<BYTE> longFile = valid;
    longFile.insert(longFile.end(), 4, 0xFF);
    std::vector<BYTE> badFiller = valid;
    badFiller[0x3FFFFD] = 0x00; // byte 1 of the last record
    std::vector<BYTE> badHighFiller = valid;
    badHighFiller[3] = 0xFE; // byte 3 of the first record
    const std::vector<BYTE>* files[] = {&shortFile, &longFile, &badFiller, &badHighFiller};

    std::vector<BYTE> before = FactoryFlash();
    EXPECT_EQ(kFailure, FlashStaging(".\\missing.bin"));
    for (const std::vector<BYTE>* file : files) {
        WriteAll("update_temp.bin", *file);
        EXPECT_EQ(kFailure, FlashStaging(".\\update_temp.bin")) << file->size();
    }
    EXPECT_EQ(before, Flash());
}

TEST_F(SimDeviceTest, StateSurvivesUnloadingTheDll) {
    WriteStaging(0x0214);
    ASSERT_EQ(kSuccess, FlashStaging(".\\update_temp.bin"));
    Configure({{"microcode", "0xBEEF"}});
    ASSERT_NE(nullptr, GetModuleHandleW(L"zrcsim.dll"));
    CoUninitialize();
    ASSERT_EQ(nullptr, GetModuleHandleW(L"zrcsim.dll")) << "the DLL stayed loaded";
    ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr)));

    DWORD word = 0, microcode = 0;
    ASSERT_EQ(kSuccess, ReadVersion(&word));
    EXPECT_EQ(0x0214u, word & 0xFFFF);
    ASSERT_EQ(kSuccess, Command(CMD_GET_MICROCODE_VERSION, &microcode));
    EXPECT_EQ(0xBEEFu, microcode);
}

TEST_F(SimDeviceTest, PowerLossLeavesABlankVersionUntilTheNextFlash) {
    WriteStaging(0x0214);
    Configure({{"fault_power_loss", "1"}});
    EXPECT_EQ(kFailure, FlashStaging(".\\update_temp.bin"));
    DWORD word = 0;
    ASSERT_EQ(kSuccess, ReadVersion(&word));
    EXPECT_EQ(0xFFFFu, word & 0xFFFF);
    std::vector<BYTE> flash = Flash();
    EXPECT_NE(0xFF, flash[0]) << "the leading part is programmed";

    // The power is back: a second flash recovers the device.
    EXPECT_EQ("0", Setting("fault_power_loss"));
    EXPECT_EQ(kSuccess, FlashStaging(".\\update_temp.bin"));
    ASSERT_EQ(kSuccess, ReadVersion(&word));
    EXPECT_EQ(0x0214u, word & 0xFFFF);
}

TEST_F(SimDeviceTest, FailingFlashAndReadLeaveFlashAndValueAlone) {
    WriteStaging(0x0214);
    Configure({{"fault_flash_fails", "1"}});
    std::vector<BYTE> before = FactoryFlash();
    EXPECT_EQ(kFailure, FlashStaging(".\\update_temp.bin"));
    EXPECT_EQ(before, Flash());

    Configure({{"fault_read_fails", "1"}});
    DWORD word = 0xCAFE;
    EXPECT_EQ(kFailure, ReadVersion(&word));
    EXPECT_EQ(0xCAFEu, word);
}

TEST_F(SimDeviceTest, FiltersThatCannotBeCreatedFailTheOpen) {
    struct Case {
        const char* fault;
        int config;
        int openResult;
    };
    const Case cases[] = {
        {"fault_no_source", CONFIG_SOURCE_SPLITTER, OPEN_NO_SOURCE},
        {"fault_no_splitter", CONFIG_SOURCE_SPLITTER, OPEN_NO_SPLITTER},
        {"fault_no_sink", CONFIG_SINK, OPEN_NO_SINK},
    };
    for (const Case& c : cases) {
        Configure({{"fault_no_source", "0"},
                   {"fault_no_splitter", "0"},
                   {"fault_no_sink", "0"},
                   {c.fault, "1"}});
        CGraphDeviceLink link;
        EXPECT_EQ(c.openResult, link.Open(c.config, 0)) << c.fault;
    }
    // Without its Splitter the link still reaches the Source filter.
    Configure({{"fault_no_sink", "0"}, {"fault_no_splitter", "1"}});
    EXPECT_EQ(kSuccess, Command(CMD_CHECK_READY, nullptr));
}

TEST_F(SimDeviceTest, FlashAndReadTakeTheirConfiguredTime) {
    WriteStaging(0x0214);
    Configure({{"flash_ms", "640"}, {"read_ms", "300"}});
    CGraphDeviceLink link;
    ASSERT_EQ(1, link.Open(CONFIG_SOURCE_SPLITTER, 0));
    FlashBlock block = {".\\update_temp.bin", nullptr};
    DWORD word = 0;
    DWORD start = GetTickCount();
    ASSERT_EQ(kSuccess, link.Command(CMD_FLASH_UPDATE, &block));
    DWORD flashed = GetTickCount();
    ASSERT_EQ(kSuccess, link.Command(CMD_READ_FLASH_VERSION, &word));
    DWORD read = GetTickCount();
    EXPECT_GE(flashed - start, 600u);
    EXPECT_GE(read - flashed, 280u);
}

} // namespace
