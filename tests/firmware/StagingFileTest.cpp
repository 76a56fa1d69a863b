#include "StagingFile.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>

#include "FirmwareFiles.h"
#include "ScratchFolder.h"

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
        return BuildStagingFile(m_image, m_stagingPath);
    }

    ScratchFolder m_folder;
    CFile m_image;
    char m_stagingPath[260];
};

} // namespace

TEST_F(StagingFileTest, RecordsFollowTheWordRule) {
    const Bytes image = MakeTestImage();
    ASSERT_TRUE(Build(image));
    EXPECT_STREQ(kStaging, m_stagingPath);
    const Bytes staging = ReadBytes(kStaging);
    ASSERT_EQ(0x400000u, staging.size());
    // 0x0000, 0xFFFF, the mask and its complement keep their bytes.
    const Bytes passThrough = {0x00, 0xFF, 0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF,
                               0x2D, 0xFF, 0x4C, 0xFF, 0xD2, 0xFF, 0xB3, 0xFF};
    EXPECT_TRUE(std::equal(passThrough.begin(), passThrough.end(), staging.begin()));
    EXPECT_TRUE(ExpectedStaging(image) == staging);
}

TEST_F(StagingFileTest, ErasedImageGivesErasedStagingFile) {
    ASSERT_TRUE(Build(Bytes(0x200000, 0xFF)));
    EXPECT_TRUE(ReadBytes(kStaging) == Bytes(0x400000, 0xFF));
}

TEST_F(StagingFileTest, ImageOfOtherLengthStillGivesFullStagingFile) {
    for (std::size_t size : {0x200001u, 0x280000u, 0x1FFFFFu, 0x1234u, 3u, 0u}) {
        const Bytes image = MakeTestImage(0x0214, size);
        ASSERT_TRUE(Build(image)) << size;
        m_image.Close();
        EXPECT_TRUE(ExpectedStaging(image) == ReadBytes(kStaging)) << size;
    }
}

TEST_F(StagingFileTest, LongerStagingFileIsTruncated) {
    WriteBytes(kStaging, Bytes(0x500000, 'z'));
    ASSERT_TRUE(Build(MakeTestImage()));
    EXPECT_EQ(0x400000, FileSize(kStaging));
}

TEST_F(StagingFileTest, ImageIsLeftAtPositionZero) {
    const Bytes image = MakeTestImage();
    ASSERT_TRUE(Build(image));
    EXPECT_EQ(0, m_image.Seek(0, CFile::current));
    Bytes start(8);
    ASSERT_EQ(8u, m_image.Read(start.data(), 8));
    EXPECT_TRUE(std::equal(start.begin(), start.end(), image.begin()));
}

TEST_F(StagingFileTest, UnwritableStagingFileIsLeftUntouched) {
    const Bytes old = {'s', 't', 'a', 'l', 'e'};
    WriteBytes(kStaging, old);
    {
        CFile holder;
        ASSERT_TRUE(holder.Open(kStaging, CFile::modeRead | CFile::shareExclusive));
        EXPECT_FALSE(Build(MakeTestImage()));
        EXPECT_STREQ(kStaging, m_stagingPath);
    }
    EXPECT_TRUE(ReadBytes(kStaging) == old);

    m_image.Close();
    ASSERT_TRUE(fs::remove(kStaging));
    ASSERT_TRUE(fs::create_directory(kStaging));
    EXPECT_FALSE(Build(MakeTestImage()));
    EXPECT_TRUE(fs::is_directory(kStaging));
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
        EXPECT_FALSE(BuildStagingFile(image, m_stagingPath)) << c.name;
        EXPECT_FALSE(fs::exists(kStaging)) << c.name;
    }
}
