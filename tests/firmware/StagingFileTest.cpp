#include "StagingFile.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <functional>
#include <string>

#include "FirmwareFiles.h"
#include "Programs.h"
#include "ScratchFolder.h"
#include "WaitUntil.h"

namespace fs = std::filesystem;

namespace {

constexpr char kImage[] = "image.bin";
constexpr char kStaging[] = ".\\update_temp.bin";

class StagingFileTest : public testing::Test {
protected:
    // Writes the image, builds the staging file from it, and returns the result.
    bool Build(const Bytes& image) {
        WriteBytes(kImage, image);
        EXPECT_TRUE(m_image.Open(kImage, CFile::modeRead | CFile::shareDenyNone));
        std::memset(m_stagingPath, 'x', sizeof m_stagingPath);
        return BuildStagingFile(m_image, m_stagingPath, m_written);
    }

    ScratchFolder m_folder;
    CurrentFolder m_current{m_folder.Path()}; // the staging file is named relative to it
    CFile m_image;
    char m_stagingPath[260];
    StagingDigest m_written;
};

// True while another process holds the file and lets nobody else open it.
bool HeldElsewhere(const char* path) {
    HANDLE file =
        CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
        CloseHandle(file);
        return false;
    }
    return GetLastError() == ERROR_SHARING_VIOLATION;
}

} // namespace

TEST_F(StagingFileTest, ReplacesALongerFileWithTheRecordsAndRewindsTheImage) {
    WriteBytes(kStaging, Bytes(0x500000, 'z'));
    const Bytes image = MakeTestImage();
    ASSERT_TRUE(Build(image));
    EXPECT_STREQ(kStaging, m_stagingPath);
    EXPECT_TRUE(ExpectedStaging(image) == ReadBytes(kStaging));
    EXPECT_EQ(0, m_image.Seek(0, CFile::current));
}

TEST_F(StagingFileTest, ImageOfOtherLengthStillGivesFullStagingFile) {
    for (std::size_t size : {0x200001u, 0x1FFFFFu, 0x1234u, 3u, 0u}) {
        const Bytes image = MakeTestImage(0x0214, size);
        ASSERT_TRUE(Build(image)) << size;
        m_image.Close();
        EXPECT_TRUE(ExpectedStaging(image) == ReadBytes(kStaging)) << size;
    }
}

TEST_F(StagingFileTest, FailureAfterOpeningRemovesStagingFile) {
    struct Case {
        const char* name;
        UINT imageFlags; // 0: the image is not open at all
    };
    const Case cases[] = {
        {"image cannot be read", CFile::modeWrite | CFile::shareDenyNone},
        {"image cannot be moved", 0},
    };
    WriteTestImage(kImage);
    for (const Case& c : cases) {
        WriteBytes(kStaging, {'s', 't', 'a', 'l', 'e'});
        CFile image;
        if (c.imageFlags != 0) {
            ASSERT_TRUE(image.Open(kImage, c.imageFlags)) << c.name;
        }
        EXPECT_FALSE(BuildStagingFile(image, m_stagingPath, m_written)) << c.name;
        EXPECT_FALSE(fs::exists(kStaging)) << c.name;
    }
}

// A hard link named like the staging file, to another file: the conversion must not write
// through it.
TEST_F(StagingFileTest, HardLinkNamedLikeTheStagingFileLeavesItsTargetUnchanged) {
    const Bytes other = {'o', 't', 'h', 'e', 'r'};
    WriteBytes("other.bin", other);
    ASSERT_TRUE(CreateHardLinkA(kStaging, "other.bin", nullptr)) << GetLastError();
    const Bytes image = MakeTestImage();
    ASSERT_TRUE(Build(image));
    EXPECT_TRUE(ReadBytes("other.bin") == other);
    EXPECT_TRUE(ReadBytes(kStaging) == ExpectedStaging(image));
}

TEST_F(StagingFileTest, CheckRefusesAFileChangedAfterWriting) {
    ASSERT_TRUE(Build(MakeTestImage()));
    m_image.Close();
    EXPECT_TRUE(StagingFileMatches(kStaging, m_written));
    const Bytes written = ReadBytes(kStaging);
    struct Case {
        const char* name;
        std::function<void(Bytes&)> change;
    };
    const Case cases[] = {
        {"one bit changed", [](Bytes& bytes) { bytes[0x234567] ^= 0x01; }},
        {"two records swapped",
         [](Bytes& bytes) {
             ASSERT_FALSE(std::equal(&bytes[16], &bytes[20], &bytes[0x300000]));
             std::swap_ranges(&bytes[16], &bytes[20], &bytes[0x300000]);
         }},
        {"one byte more", [](Bytes& bytes) { bytes.push_back(0xFF); }},
    };
    for (const Case& c : cases) {
        Bytes changed = written;
        c.change(changed);
        WriteBytes(kStaging, changed);
        EXPECT_FALSE(StagingFileMatches(kStaging, m_written)) << c.name;
    }
    ASSERT_TRUE(DeleteFileA(kStaging));
    EXPECT_FALSE(StagingFileMatches(kStaging, m_written)) << "no file";
}

// Another process holds the new file, as a virus scanner may, for holdMs.
struct HoldCase {
    const char* name;
    int holdMs;
    bool matches;
};

class StagingFileHeldTest : public StagingFileTest, public testing::WithParamInterface<HoldCase> {};

TEST_P(StagingFileHeldTest, CheckWaitsAboutTwoSecondsForAFileHeldElsewhere) {
    const HoldCase& c = GetParam();
    ASSERT_TRUE(Build(MakeTestImage()));
    m_image.Close();
    StartedPrograms programs;
    programs.Start("file_holder.exe", std::string(kStaging) + " " + std::to_string(c.holdMs));
    // A process start takes long on a busy machine.
    ASSERT_TRUE(WaitUntil([] { return HeldElsewhere(kStaging); }, 30000));
    const DWORD start = GetTickCount();
    EXPECT_EQ(c.matches, StagingFileMatches(kStaging, m_written));
    if (!c.matches) {
        EXPECT_GE(GetTickCount() - start, 1900u);
    }
}

INSTANTIATE_TEST_SUITE_P(Holds, StagingFileHeldTest,
                         testing::Values(HoldCase{"HeldForASecond", 1000, true},
                                         HoldCase{"HeldThroughout", 8000, false}),
                         [](const testing::TestParamInfo<HoldCase>& info) {
                             return std::string(info.param.name);
                         });
