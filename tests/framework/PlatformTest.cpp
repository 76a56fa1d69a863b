// The platform layer against real files and threads: CFile's sharing, creation, positions,
// short reads and writes, and removal in a scratch folder; AfxBeginThread's function runs
// at once with its parameter on another thread, its result is the thread's exit code, and
// the thread object is gone when the thread has ended. The framework's entry point, run in
// a program of its own.
#include <gtest/gtest.h>

#include "framework/platform/File.h"
#include "framework/platform/Thread.h"
#include "tests/support/FirmwareFiles.h"
#include "tests/support/Programs.h"
#include "tests/support/ScratchFolder.h"
#include "tests/support/Timeouts.h"

#include <string>

namespace {

constexpr UINT kReadExclusive = CFile::modeRead | CFile::shareExclusive; // 0x0010
constexpr UINT kCreateWriteExclusive =
    CFile::modeCreate | CFile::modeWrite | CFile::shareExclusive; // 0x1011
constexpr UINT kReadShared = CFile::modeRead | CFile::shareDenyNone;

class FileTest : public ::testing::Test {
protected:
    void SetUp() override { Write(""); }
    void Write(const std::string& bytes) { WriteBytes(m_path, Bytes(bytes.begin(), bytes.end())); }

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

    Write("");
    ASSERT_TRUE(file.Open(m_path.c_str(), kReadShared));
    EXPECT_FALSE(file.Open(m_path.c_str(), kReadShared));
    EXPECT_TRUE(file.IsOpen());
}

TEST_F(FileTest, CreateTruncatesAnExistingFileWhichCreateNewKeeps) {
    constexpr UINT kCreateNew = CFile::modeCreateNew | CFile::modeWrite | CFile::shareExclusive;
    Write(std::string(1000, 'x'));
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
    Write("0123456789");
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

struct Work {
    HANDLE release = CreateEventA(nullptr, TRUE, FALSE, nullptr); // lets the worker end
    DWORD workerThread = 0;
};

UINT DoWork(LPVOID param) {
    auto* work = static_cast<Work*>(param);
    work->workerThread = GetCurrentThreadId();
    WaitForSingleObject(work->release, kWaitMs);
    return 0x1234;
}

TEST(ThreadTest, RunsTheFunctionAtOnceAndEndsWithItsResult) {
    Work work;
    CWinThread* thread = AfxBeginThread(DoWork, &work);
    ASSERT_NE(nullptr, thread);
    const HANDLE objectHandle = thread->m_hThread;
    HANDLE ours = nullptr;
    ASSERT_TRUE(DuplicateHandle(GetCurrentProcess(), objectHandle, GetCurrentProcess(), &ours, 0,
                                FALSE, DUPLICATE_SAME_ACCESS));
    const DWORD threadId = thread->m_nThreadID;
    SetEvent(work.release);

    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(ours, kWaitMs));
    DWORD exitCode = 0;
    EXPECT_TRUE(GetExitCodeThread(ours, &exitCode));
    EXPECT_EQ(0x1234u, exitCode);
    EXPECT_EQ(threadId, work.workerThread);
    EXPECT_NE(GetCurrentThreadId(), work.workerThread);
    DWORD flags = 0;
    EXPECT_FALSE(GetHandleInformation(objectHandle, &flags)) << "closed with the object";
    CloseHandle(ours);
    CloseHandle(work.release);
}

TEST(AppMainTest, RunsInitInstanceThenEndsWithExitInstancesResult) {
    EXPECT_EQ(42, RunBeside("framework_app_probe.exe"));
}

} // namespace
