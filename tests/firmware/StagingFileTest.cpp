#include "firmware/StagingFile.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <functional>
#include <string>

#include "tests/support/FileNames.h"
#include "tests/support/FirmwareFiles.h"
#include "tests/support/Programs.h"
#include "tests/support/ScratchFolder.h"

namespace fs = std::filesystem;

namespace {

constexpr char kImage[] = "image.bin";

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

} // namespace

// A longer file at the staging file's name, a hard link to another file, and another link
// to it at the old name that an earlier run left: the conversion replaces the first, removes
// the second and writes through neither.
TEST_F(StagingFileTest, ReplacesALinkedLongerFileWithTheRecordsAndRewindsTheImage) {
    const Bytes other(0x500000, 'z');
    WriteBytes("other.bin", other);
    ASSERT_TRUE(CreateHardLinkA(files::kStagingPath, "other.bin", nullptr)) << GetLastError();
    ASSERT_TRUE(CreateHardLinkA(files::kOldStaging, "other.bin", nullptr)) << GetLastError();
    const Bytes image = MakeTestImage();
    ASSERT_TRUE(Build(image));
    EXPECT_STREQ(files::kStagingPath, m_stagingPath);
    EXPECT_TRUE(ExpectedStaging(image) == ReadBytes(files::kStagingPath));
    EXPECT_TRUE(ReadBytes("other.bin") == other);
    EXPECT_FALSE(fs::exists(files::kOldStaging));
    EXPECT_EQ(0, m_image.Seek(0, CFile::current));
}

TEST_F(StagingFileTest, ImageOfOtherLengthStillGivesFullStagingFile) {
    for (std::size_t size : {0x200001u, 0x1FFFFFu, 0x1234u, 3u, 0u}) {
        const Bytes image = MakeTestImage(0x0214, size);
        ASSERT_TRUE(Build(image)) << size;
        m_image.Close();
        EXPECT_TRUE(ExpectedStaging(image) == ReadBytes(files::kStagingPath)) << size;
    }
}

// Whether the image is open, for writing only.
class FailureAfterOpeningTest : public StagingFileTest, public testing::WithParamInterface<bool> {};

// An image open for writing only cannot be read; one not open at all cannot be moved.
TEST_P(FailureAfterOpeningTest, RemovesStagingFile) {
    const bool open = GetParam();
    WriteTestImage(kImage);
    WriteBytes(files::kStagingPath, {'s', 't', 'a', 'l', 'e'});
    CFile image;
    if (open) {
        ASSERT_TRUE(image.Open(kImage, CFile::modeWrite | CFile::shareDenyNone));
    }
    EXPECT_FALSE(BuildStagingFile(image, m_stagingPath, m_written));
    EXPECT_FALSE(fs::exists(files::kStagingPath));
}

INSTANTIATE_TEST_SUITE_P(StagingFile, FailureAfterOpeningTest, testing::Bool(),
                         [](const testing::TestParamInfo<bool>& info) {
                             return info.param ? "WriteOnlyImage" : "ClosedImage";
                         });

TEST_F(StagingFileTest, CheckRefusesAFileChangedAfterWriting) {
    ASSERT_TRUE(Build(MakeTestImage()));
    m_image.Close();
    EXPECT_TRUE(StagingFileMatches(files::kStagingPath, m_written));
    const Bytes written = ReadBytes(files::kStagingPath);
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
        // The same records, those after one of them a place earlier and that one last: only
        // their order tells.
        {"one record dropped, the file padded back with it",
         [](Bytes& bytes) {
             std::rotate(&bytes[0x1234], &bytes[0x1238], bytes.data() + bytes.size());
         }},
    };
    for (const Case& c : cases) {
        Bytes changed = written;
        c.change(changed);
        WriteBytes(files::kStagingPath, changed);
        EXPECT_FALSE(StagingFileMatches(files::kStagingPath, m_written)) << c.name;
    }
    ASSERT_TRUE(DeleteFileA(files::kStagingPath));
    EXPECT_FALSE(StagingFileMatches(files::kStagingPath, m_written)) << "no file";
}

// Another process holds the new file, as a virus scanner may, for the parameter's
// milliseconds.
class StagingFileHeldTest : public StagingFileTest, public testing::WithParamInterface<int> {};

TEST_P(StagingFileHeldTest, CheckWaitsAboutTwoSecondsForAFileHeldElsewhere) {
    const int holdMs = GetParam();
    const bool matches = holdMs < 2000;
    ASSERT_TRUE(Build(MakeTestImage()));
    m_image.Close();
    StartedPrograms programs;
    ASSERT_TRUE(programs.StartHolding(files::kStagingPath, std::to_string(holdMs)));
    const DWORD start = GetTickCount();
    EXPECT_EQ(matches, StagingFileMatches(files::kStagingPath, m_written));
    if (!matches) {
        EXPECT_GE(GetTickCount() - start, 1900u);
    }
}

INSTANTIATE_TEST_SUITE_P(Holds, StagingFileHeldTest, testing::Values(1000, 8000),
                         [](const testing::TestParamInfo<int>& info) {
                             return std::string(info.param < 2000 ? "HeldForASecond"
                                                                  : "HeldThroughout");
                         });
