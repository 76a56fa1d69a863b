// CFile against real files in a scratch folder: sharing, creation, positions, short reads
// and writes, and removal.
#include <gtest/gtest.h>

#include "framework/platform/File.h"
#include "tests/support/ScratchFolder.h"

#include <string>

namespace {

constexpr UINT kReadExclusive = CFile::modeRead | CFile::shareExclusive; // 0x0010
constexpr UINT kCreateWriteExclusive =
    CFile::modeCreate | CFile::modeWrite | CFile::shareExclusive; // 0x1011
constexpr UINT kReadShared = CFile::modeRead | CFile::shareDenyNone;

class FileTest : public ::testing::Test {
protected:
    void SetUp() override { WriteBytes(""); }

    void WriteBytes(const std::string& bytes) {
        CFile file;
        ASSERT_TRUE(file.Open(m_path.c_str(), kCreateWriteExclusive));
        ASSERT_EQ(bytes.size(), file.Write(bytes.data(), static_cast<UINT>(bytes.size())));
    }

    ScratchFolder m_folder;
    std::string m_path = m_folder.File("file.bin");
};

class ExclusiveOpenTest : public FileTest, public testing::WithParamInterface<UINT> {};

TEST_P(ExclusiveOpenTest, RefusesEveryOtherOpenUntilClosed) {
    const UINT flags = GetParam();
    CFile first;
    ASSERT_TRUE(first.Open(m_path.c_str(), flags));

    // Even an open that shares everything is refused.
    CFile second;
    CFileException error;
    EXPECT_FALSE(second.Open(m_path.c_str(), kReadShared, &error));
    EXPECT_EQ(static_cast<DWORD>(ERROR_SHARING_VIOLATION), error.m_lOsError);
    EXPECT_EQ(m_path, error.m_strFileName);

    first.Close();
    EXPECT_TRUE(second.Open(m_path.c_str(), kReadExclusive));
}

INSTANTIATE_TEST_SUITE_P(File, ExclusiveOpenTest,
                         testing::Values(kReadExclusive, kCreateWriteExclusive),
                         [](const testing::TestParamInfo<UINT>& info) {
                             return info.param == kReadExclusive ? "Read" : "CreateWrite";
                         });

TEST_F(FileTest, AMissingFileIsNeitherOpenedNorRemovedAndAnOpenObjectNotReopened) {
    CFile::Remove(m_path.c_str());
    CFile file;
    CFileException error;
    EXPECT_FALSE(file.Open(m_path.c_str(), kReadExclusive, &error));
    EXPECT_EQ(static_cast<DWORD>(ERROR_FILE_NOT_FOUND), error.m_lOsError);
    EXPECT_FALSE(file.IsOpen());
    EXPECT_EQ(0u, file.Read(&error, 1));
    EXPECT_EQ(0u, file.GetLength());
    EXPECT_EQ(-1, file.Seek(0, CFile::begin));
    try {
        CFile::Remove(m_path.c_str());
        FAIL() << "removing a missing file did not raise";
    } catch (const CFileException& raised) {
        EXPECT_EQ(static_cast<DWORD>(ERROR_FILE_NOT_FOUND), raised.m_lOsError);
        EXPECT_EQ(m_path, raised.m_strFileName);
    }

    WriteBytes("");
    ASSERT_TRUE(file.Open(m_path.c_str(), kReadShared));
    EXPECT_FALSE(file.Open(m_path.c_str(), kReadShared));
    EXPECT_TRUE(file.IsOpen());
}

TEST_F(FileTest, CreateTruncatesAnExistingFileWhichCreateNewKeeps) {
    constexpr UINT kCreateNew = CFile::modeCreateNew | CFile::modeWrite | CFile::shareExclusive;
    WriteBytes(std::string(1000, 'x'));
    CFile file;
    CFileException error;
    EXPECT_FALSE(file.Open(m_path.c_str(), kCreateNew, &error));
    EXPECT_EQ(static_cast<DWORD>(ERROR_FILE_EXISTS), error.m_lOsError);

    ASSERT_TRUE(file.Open(m_path.c_str(), kCreateWriteExclusive));
    EXPECT_EQ(0u, file.GetLength());
    EXPECT_EQ(4u, file.Write("abcd", 4));
    EXPECT_EQ(4u, file.GetLength());
    file.Close();

    CFile::Remove(m_path.c_str());
    ASSERT_TRUE(file.Open(m_path.c_str(), kCreateNew));
    EXPECT_EQ(0u, file.GetLength());
}

TEST_F(FileTest, SeekReadAndWriteReportWhereTheyGotAndWhatTheyMoved) {
    WriteBytes("0123456789");
    CFile file;
    ASSERT_TRUE(file.Open(m_path.c_str(), kReadExclusive));
    EXPECT_EQ(10u, file.GetLength());

    char tail[8] = {};
    EXPECT_EQ(6, file.Seek(-4, CFile::end));
    EXPECT_EQ(4u, file.Read(tail, 7)) << "short read at the end of the file";
    EXPECT_STREQ("6789", tail);
    EXPECT_EQ(0u, file.Read(tail, 7));
    EXPECT_EQ(0u, file.Write("zz", 2)) << "a file opened for reading takes no writes";

    EXPECT_EQ(2, file.Seek(2, CFile::begin));
    EXPECT_EQ(5, file.Seek(3, CFile::current));
    EXPECT_EQ(-1, file.Seek(-11, CFile::end));
    SetLastError(ERROR_SUCCESS);
    EXPECT_EQ(-1, file.Seek(0, 3)) << "unknown origin";
    EXPECT_EQ(static_cast<DWORD>(ERROR_SUCCESS), GetLastError()) << "refused without a system call";
    EXPECT_EQ(5, file.Seek(0, CFile::current)) << "a refused seek leaves the position";
}

} // namespace
