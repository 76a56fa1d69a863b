// CFile against real files in a scratch folder: sharing, truncation, positions,
// short reads and writes, and removal.
#include <gtest/gtest.h>

#include "File.h"
#include "ScratchFolder.h"

#include <string>

namespace {

constexpr UINT kReadExclusive = CFile::modeRead | CFile::shareExclusive; // 0x0010
constexpr UINT kCreateWriteExclusive =
    CFile::modeCreate | CFile::modeWrite | CFile::shareExclusive; // 0x1011

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

TEST_F(FileTest, ExclusiveOpenRefusesEveryOtherOpenUntilClosed) {
    for (UINT flags : {kReadExclusive, kCreateWriteExclusive}) {
        SCOPED_TRACE(flags);
        CFile first;
        ASSERT_TRUE(first.Open(m_path.c_str(), flags));

        CFile second;
        CFileException error;
        EXPECT_FALSE(second.Open(m_path.c_str(), kReadExclusive, &error));
        EXPECT_EQ(static_cast<DWORD>(ERROR_SHARING_VIOLATION), error.m_lOsError);
        EXPECT_EQ(m_path, error.m_strFileName);
        EXPECT_FALSE(second.IsOpen());

        HANDLE lenient = CreateFileA(m_path.c_str(), GENERIC_READ,
                                     FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                     nullptr, OPEN_EXISTING, 0, nullptr);
        EXPECT_EQ(INVALID_HANDLE_VALUE, lenient);
        if (lenient != INVALID_HANDLE_VALUE)
            CloseHandle(lenient);

        first.Close();
        EXPECT_TRUE(second.Open(m_path.c_str(), kReadExclusive));
    }
}

TEST_F(FileTest, ExclusiveOpenFailsWhileAnotherHandleIsOpen) {
    HANDLE other = CreateFileA(m_path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                               nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, other);
    CFile file;
    EXPECT_FALSE(file.Open(m_path.c_str(), kReadExclusive));
    EXPECT_FALSE(file.Open(m_path.c_str(), kCreateWriteExclusive));
    CloseHandle(other);
    EXPECT_TRUE(file.Open(m_path.c_str(), kReadExclusive));
}

TEST_F(FileTest, DestructorClosesTheFile) {
    {
        CFile file;
        ASSERT_TRUE(file.Open(m_path.c_str(), kReadExclusive));
    }
    CFile again;
    EXPECT_TRUE(again.Open(m_path.c_str(), kReadExclusive));
}

TEST_F(FileTest, OpenFailuresLeaveTheObjectClosed) {
    CFile file;
    CFileException error;
    std::string missing = m_path + ".missing";
    EXPECT_FALSE(file.Open(missing.c_str(), kReadExclusive, &error));
    EXPECT_EQ(static_cast<DWORD>(ERROR_FILE_NOT_FOUND), error.m_lOsError);
    EXPECT_FALSE(file.IsOpen());
    EXPECT_EQ(0u, file.Read(&error, 1));
    EXPECT_EQ(0u, file.GetLength());
    EXPECT_EQ(-1, file.Seek(0, CFile::begin));

    ASSERT_TRUE(file.Open(m_path.c_str(), kReadExclusive));
    EXPECT_FALSE(file.Open(m_path.c_str(), kReadExclusive)) << "an open object is not reopened";
    EXPECT_TRUE(file.IsOpen());
}

TEST_F(FileTest, CreateTruncatesALongerFileOrMakesAMissingOne) {
    WriteBytes(std::string(1000, 'x'));
    CFile file;
    ASSERT_TRUE(file.Open(m_path.c_str(), kCreateWriteExclusive));
    EXPECT_EQ(0u, file.GetLength());
    EXPECT_EQ(4u, file.Write("abcd", 4));
    EXPECT_EQ(4u, file.GetLength());
    file.Close();

    CFile::Remove(m_path.c_str());
    ASSERT_TRUE(file.Open(m_path.c_str(), kCreateWriteExclusive));
    EXPECT_EQ(0u, file.GetLength());
}

TEST_F(FileTest, CreateNewMakesOnlyAMissingFile) {
    constexpr UINT kCreateNew = CFile::modeCreateNew | CFile::modeWrite | CFile::shareExclusive;
    WriteBytes("keep");
    CFile file;
    CFileException error;
    EXPECT_FALSE(file.Open(m_path.c_str(), kCreateNew, &error));
    EXPECT_EQ(static_cast<DWORD>(ERROR_FILE_EXISTS), error.m_lOsError);
    ASSERT_TRUE(file.Open(m_path.c_str(), kReadExclusive));
    EXPECT_EQ(4u, file.GetLength()) << "the file that was there is kept";
    file.Close();

    CFile::Remove(m_path.c_str());
    ASSERT_TRUE(file.Open(m_path.c_str(), kCreateNew));
    EXPECT_EQ(0u, file.GetLength());
}

TEST_F(FileTest, SeekMovesFromEachOriginAndRefusesPositionsBeforeTheStart) {
    WriteBytes("0123456789");
    CFile file;
    ASSERT_TRUE(file.Open(m_path.c_str(), kReadExclusive));
    EXPECT_EQ(10u, file.GetLength());

    char tail[5] = {};
    EXPECT_EQ(6, file.Seek(-4, CFile::end));
    EXPECT_EQ(4u, file.Read(tail, 4));
    EXPECT_STREQ("6789", tail);

    EXPECT_EQ(2, file.Seek(2, CFile::begin));
    EXPECT_EQ(5, file.Seek(3, CFile::current));
    EXPECT_EQ(-1, file.Seek(-11, CFile::end));
    EXPECT_EQ(-1, file.Seek(0, 3)) << "unknown origin";
    EXPECT_EQ(5, file.Seek(0, CFile::current)) << "a refused seek leaves the position";
}

TEST_F(FileTest, ReadAndWriteReportTheBytesActuallyMoved) {
    WriteBytes("abc");
    CFile file;
    ASSERT_TRUE(file.Open(m_path.c_str(), kReadExclusive));
    char buffer[8] = {};
    EXPECT_EQ(3u, file.Read(buffer, sizeof buffer)) << "short read at the end of the file";
    EXPECT_EQ(0u, file.Read(buffer, sizeof buffer));
    EXPECT_EQ(0u, file.Write("zz", 2)) << "a file opened for reading takes no writes";
}

TEST_F(FileTest, RemoveDeletesTheFileAndRaisesWhenItCannot) {
    CFile::Remove(m_path.c_str());
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(m_path.c_str()));
    try {
        CFile::Remove(m_path.c_str());
        FAIL() << "removing a missing file did not raise";
    } catch (const CFileException& error) {
        EXPECT_EQ(static_cast<DWORD>(ERROR_FILE_NOT_FOUND), error.m_lOsError);
        EXPECT_EQ(m_path, error.m_strFileName);
    }
}

} // namespace
