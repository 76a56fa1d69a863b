#include "StagingFile.h"

#include "FirmwareFiles.h"

#include <cstring>

namespace {

constexpr char kImage[] = "image.bin";
constexpr char kStaging[] = ".\\update_temp.bin";

class StagingFileTest : public FirmwareFolderTest {
protected:
    // Writes the image, builds the staging file from it, and returns the result.
    bool Build(const std::string& image) {
        Put(kImage, image);
        EXPECT_TRUE(m_image.Open(kImage, CFile::modeRead | CFile::shareDenyNone));
        std::memset(m_stagingPath, 'x', sizeof m_stagingPath);
        return BuildStagingFile(m_image, m_stagingPath);
    }

    CFile m_image;
    char m_stagingPath[260];
};

} // namespace

TEST_F(StagingFileTest, RecordsFollowTheWordRule) {
    const std::string image = MakeImage(0x200000);
    ASSERT_TRUE(Build(image));
    EXPECT_STREQ(kStaging, m_stagingPath);
    const std::string staging = Contents(kStaging);
    ASSERT_EQ(0x400000u, staging.size());
    // 0x0000, 0xFFFF, the mask and its complement keep their bytes.
    EXPECT_EQ(std::string("\x00\xFF\x00\xFF"
                          "\xFF\xFF\xFF\xFF"
                          "\x2D\xFF\x4C\xFF"
                          "\xD2\xFF\xB3\xFF",
                          16),
              staging.substr(0, 16));
    EXPECT_TRUE(ExpectedStaging(image) == staging);
}

TEST_F(StagingFileTest, ErasedImageGivesErasedStagingFile) {
    ASSERT_TRUE(Build(std::string(0x200000, '\xFF')));
    EXPECT_TRUE(Contents(kStaging) == std::string(0x400000, '\xFF'));
}

TEST_F(StagingFileTest, ImageOfOtherLengthStillGivesFullStagingFile) {
    for (std::size_t size : {0x200001u, 0x280000u, 0x1FFFFFu, 0x1234u, 3u, 0u}) {
        const std::string image = MakeImage(size);
        ASSERT_TRUE(Build(image)) << size;
        m_image.Close();
        EXPECT_TRUE(ExpectedStaging(image) == Contents(kStaging)) << size;
    }
}

TEST_F(StagingFileTest, LongerStagingFileIsTruncated) {
    Put(kStaging, std::string(0x500000, 'z'));
    ASSERT_TRUE(Build(MakeImage(0x200000)));
    EXPECT_EQ(0x400000u, fs::file_size(kStaging));
}

TEST_F(StagingFileTest, ImageIsLeftAtPositionZero) {
    const std::string image = MakeImage(0x200000);
    ASSERT_TRUE(Build(image));
    EXPECT_EQ(0, m_image.Seek(0, CFile::current));
    char start[8];
    ASSERT_EQ(8u, m_image.Read(start, sizeof start));
    EXPECT_EQ(image.substr(0, 8), std::string(start, sizeof start));
}

TEST_F(StagingFileTest, UnwritableStagingFileIsLeftUntouched) {
    const std::string old = "stale staging file";
    Put(kStaging, old);
    {
        CFile holder;
        ASSERT_TRUE(holder.Open(kStaging, CFile::modeRead | CFile::shareExclusive));
        EXPECT_FALSE(Build(MakeImage(0x200000)));
        EXPECT_STREQ(kStaging, m_stagingPath);
    }
    EXPECT_TRUE(Contents(kStaging) == old);

    m_image.Close();
    ASSERT_TRUE(fs::remove(kStaging));
    ASSERT_TRUE(fs::create_directory(kStaging));
    EXPECT_FALSE(Build(MakeImage(0x200000)));
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
    Put(kImage, MakeImage(0x200000));
    for (const Case& c : cases) {
        Put(kStaging, "stale staging file");
        CFile image;
        if (c.imageFlags != 0) {
            ASSERT_TRUE(image.Open(kImage, c.imageFlags)) << c.name;
        }
        EXPECT_FALSE(BuildStagingFile(image, m_stagingPath)) << c.name;
        EXPECT_FALSE(fs::exists(kStaging)) << c.name;
    }
}
