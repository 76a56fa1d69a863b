// The image's check and its conversion into the staging file, against real files in a
// scratch folder made the current one: the program names both relative to it.
#include "firmware/ImageCheck.h"
#include "firmware/StagingFile.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <thread>

#include "tests/support/FileNames.h"
#include "tests/support/FirmwareFiles.h"
#include "tests/support/ScratchFolder.h"

namespace {

// Holds a file open for reading and denies every other open (but a delete or rename with
// FILE_SHARE_DELETE in `share`) for `ms` milliseconds or until the object goes, as a virus
// scanner may hold a file. Windows decides sharing by handle: another program's hold is
// the same.
class FileHold {
public:
    FileHold(const char* path, DWORD ms, DWORD share)
        : m_file(CreateFileA(path, GENERIC_READ, share, nullptr, OPEN_EXISTING,
                             FILE_ATTRIBUTE_NORMAL, nullptr)),
          m_release([this, ms] {
              WaitForSingleObject(m_stop, ms);
              CloseHandle(m_file);
          }) {}
    ~FileHold() {
        SetEvent(m_stop);
        m_release.join();
        CloseHandle(m_stop);
    }
    bool Holds() const { return m_file != INVALID_HANDLE_VALUE; }

private:
    HANDLE m_stop = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    HANDLE m_file;
    std::thread m_release;
};

// A hold of `path` for `ms` milliseconds with `share`.
struct HeldFileCase {
    const char* name;
    const char* path;
    DWORD ms;
    DWORD share;
};

const auto RowName = [](const auto& info) { return info.param.name; };

class InScratchFolder : public testing::Test {
protected:
    ScratchFolder m_folder;
    CurrentFolder m_current{m_folder.Path()};
    char m_stagingPath[260] = {};
};

// Set once ChangeStagingFileAtGuard has changed the staging file.
bool g_stagingChanged = false;

// The first touch of a guarded page: another program changes a byte of the staging file.
LONG CALLBACK ChangeStagingFileAtGuard(EXCEPTION_POINTERS* info) {
    if (info->ExceptionRecord->ExceptionCode != STATUS_GUARD_PAGE_VIOLATION)
        return EXCEPTION_CONTINUE_SEARCH;
    HANDLE file =
        CreateFileA(files::kStagingPath, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    const char zero = 0; // where every record holds 0xFF
    DWORD written = 0;
    g_stagingChanged = file != INVALID_HANDLE_VALUE &&
                       SetFilePointer(file, 1, nullptr, FILE_BEGIN) == 1 &&
                       WriteFile(file, &zero, 1, &written, nullptr) && written == 1;
    if (file != INVALID_HANDLE_VALUE)
        CloseHandle(file);
    return EXCEPTION_CONTINUE_EXECUTION;
}

class ImageCheckTest : public InScratchFolder {
protected:
    void TearDown() override {
        delete g_pImageFile;
        g_pImageFile = nullptr;
    }

    // One use of a fresh image file object, as at the start of a program run.
    ImageVerdict Prepare(const char* expectedVersion = "0214") {
        delete g_pImageFile;
        g_pImageFile = new CFile;
        const ImageVerdict verdict =
            PrepareFirmwareImage(m_firmwarePath, m_stagingPath, expectedVersion);
        EXPECT_EQ(nullptr, g_pImageFile) << "the image's file object is destroyed by its use";
        EXPECT_STREQ(files::kImagePath, m_firmwarePath);
        return verdict;
    }

    char m_firmwarePath[260] = {};
};

constexpr char kImage[] = "image.bin";

class StagingFileTest : public InScratchFolder {
protected:
    // Writes the image, builds the staging file from it, and returns the result.
    bool Build(const Bytes& image) {
        WriteBytes(kImage, image);
        EXPECT_TRUE(m_image.Open(kImage, CFile::modeRead | CFile::shareDenyNone));
        std::memset(m_stagingPath, 'x', sizeof m_stagingPath);
        return BuildStagingFile(m_image, m_stagingPath, m_written);
    }

    CFile m_image;
    StagingDigest m_written;
};

TEST_F(ImageCheckTest, AcceptsImageOfRightLengthAndVersionOncePerRun) {
    const Bytes image = WriteTestImage(files::kImagePath);
    EXPECT_EQ(ImageVerdict::Accepted, Prepare());
    EXPECT_STREQ(files::kStagingPath, m_stagingPath);
    EXPECT_TRUE(ReadBytes(files::kStagingPath) == ExpectedStaging(image));
    {
        // The image is closed again: it can be opened exclusively.
        CFile reopened;
        EXPECT_TRUE(reopened.Open(files::kImagePath, CFile::modeRead | CFile::shareExclusive));
    }
    ASSERT_TRUE(DeleteFileA(files::kStagingPath));
    EXPECT_EQ(ImageVerdict::NotOpened, PrepareFirmwareImage(m_firmwarePath, m_stagingPath, "0214"));
    EXPECT_EQ(-1, FileSize(files::kStagingPath));
}

struct RefusedCase {
    const char* name;
    std::size_t size;
    std::uint16_t version;
    const char* expected;
};

class ImageCheckRefusedTest : public ImageCheckTest,
                              public testing::WithParamInterface<RefusedCase> {};

// The staging file of a refused image stays, converted in full however long the image.
TEST_P(ImageCheckRefusedTest, RefusesWrongLengthOrVersionAndKeepsStagingFile) {
    const Bytes image = WriteTestImage(files::kImagePath, GetParam().version, GetParam().size);
    EXPECT_EQ(ImageVerdict::Refused, Prepare(GetParam().expected));
    EXPECT_STREQ(files::kStagingPath, m_stagingPath);
    EXPECT_TRUE(ReadBytes(files::kStagingPath) == ExpectedStaging(image));
    ASSERT_TRUE(DeleteFileA(files::kStagingPath));
}

const RefusedCase kRefused[] = {
    {"OneByteShort", 0x1FFFFF, 0x0214, "0214"},
    {"OneByteLong", 0x200001, 0x0214, "0214"},
    {"TwiceAsLong", 0x400000, 0x0214, "0214"},
    {"AFewKilobytes", 0x1234, 0x0214, "0214"},
    {"OtherVersion", 0x200000, 0x0213, "0214"},
    {"VersionDiffersInLetterCase", 0x200000, 0x0ABC, "0abc"},
    {"ThreeBytes", 3, 0, "0214"},
    {"Empty", 0, 0, "0214"},
};
INSTANTIATE_TEST_SUITE_P(Images, ImageCheckRefusedTest, testing::ValuesIn(kRefused), RowName);

// A missing or held image writes no staging file; a held staging file, or a folder at its
// name, stops the run.
TEST_F(ImageCheckTest, ImageOrStagingFileThatCannotBeOpenedStopsTheRun) {
    EXPECT_EQ(ImageVerdict::NotOpened, Prepare());
    WriteTestImage(files::kImagePath);
    {
        CFile holder;
        ASSERT_TRUE(holder.Open(files::kImagePath, CFile::modeRead | CFile::shareDenyNone));
        EXPECT_EQ(ImageVerdict::NotOpened, Prepare());
    }
    EXPECT_EQ(-1, FileSize(files::kStagingPath));

    WriteBytes(files::kStagingPath, {'s', 't', 'a', 'l', 'e'});
    {
        CFile holder;
        ASSERT_TRUE(holder.Open(files::kStagingPath, CFile::modeRead | CFile::shareExclusive));
        EXPECT_EQ(ImageVerdict::StagingFailed, Prepare());
    }
    // A folder at the staging file's name is the user's, and stays where it is.
    ASSERT_TRUE(DeleteFileA(files::kStagingPath));
    ASSERT_TRUE(CreateDirectoryA(files::kStagingPath, nullptr));
    EXPECT_EQ(ImageVerdict::StagingFailed, Prepare());
    EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(files::kStagingPath));
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(files::kOldStagingPath));
    CFile reopened;
    EXPECT_TRUE(reopened.Open(files::kImagePath, CFile::modeRead | CFile::shareExclusive));
}

// Another program changes the staging file after it was written and closed, before it is
// handed over: here while the image's version is compared, which reads the expected text
// from a guarded page. The change is found, and the file goes.
TEST_F(ImageCheckTest, StagingFileChangedAfterWritingStopsTheRun) {
    WriteTestImage(files::kImagePath);
    const DWORD page = 4096;
    char* expected =
        static_cast<char*>(VirtualAlloc(nullptr, page, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
    ASSERT_NE(nullptr, expected);
    std::memcpy(expected, "0214", 5);
    DWORD previous = 0;
    ASSERT_TRUE(VirtualProtect(expected, page, PAGE_READWRITE | PAGE_GUARD, &previous));
    void* handler = AddVectoredExceptionHandler(1, ChangeStagingFileAtGuard);
    const ImageVerdict verdict = Prepare(expected);
    RemoveVectoredExceptionHandler(handler);
    VirtualFree(expected, 0, MEM_RELEASE);
    ASSERT_TRUE(g_stagingChanged) << "the staging file was not there to change";
    EXPECT_EQ(ImageVerdict::StagingFailed, verdict);
    EXPECT_EQ(-1, FileSize(files::kStagingPath));
}

// The image or an old staging file held for a second, which is waited for, or the old
// staging file held with delete sharing for longer than any wait, which is moved aside.
// The old file goes once the holder lets it go.
class ImageCheckHeldTest : public ImageCheckTest,
                           public testing::WithParamInterface<HeldFileCase> {};

TEST_P(ImageCheckHeldTest, RunGoesOnPastTheHold) {
    const Bytes image = WriteTestImage(files::kImagePath);
    WriteBytes(files::kStagingPath, {'s', 't', 'a', 'l', 'e'});
    {
        FileHold hold(GetParam().path, GetParam().ms, GetParam().share);
        ASSERT_TRUE(hold.Holds());
        EXPECT_EQ(ImageVerdict::Accepted, Prepare());
        EXPECT_TRUE(ReadBytes(files::kStagingPath) == ExpectedStaging(image));
    }
    EXPECT_EQ(-1, FileSize(files::kOldStagingPath));
}

INSTANTIATE_TEST_SUITE_P(
    Holds, ImageCheckHeldTest,
    testing::Values(HeldFileCase{"ImageForASecond", files::kImagePath, 1000, 0},
                    HeldFileCase{"OldStagingFileForASecond", files::kStagingPath, 1000, 0},
                    HeldFileCase{"OldStagingFileWithDeleteSharing", files::kStagingPath, 60000,
                                 FILE_SHARE_DELETE}),
    RowName);

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
    EXPECT_EQ(-1, FileSize(files::kOldStaging));
    EXPECT_EQ(0, m_image.Seek(0, CFile::current));
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
    EXPECT_EQ(-1, FileSize(files::kStagingPath));
}

INSTANTIATE_TEST_SUITE_P(StagingFile, FailureAfterOpeningTest, testing::Bool(),
                         [](const testing::TestParamInfo<bool>& info) {
                             return info.param ? "WriteOnlyImage" : "ClosedImage";
                         });

struct ChangeCase {
    const char* name;
    void (*change)(Bytes&);
};

class StagingFileChangedTest : public StagingFileTest,
                               public testing::WithParamInterface<ChangeCase> {};

TEST_P(StagingFileChangedTest, CheckRefusesAFileChangedAfterWriting) {
    ASSERT_TRUE(Build(MakeTestImage()));
    m_image.Close();
    EXPECT_TRUE(StagingFileMatches(files::kStagingPath, m_written));
    Bytes changed = ReadBytes(files::kStagingPath);
    GetParam().change(changed);
    WriteBytes(files::kStagingPath, changed);
    EXPECT_FALSE(StagingFileMatches(files::kStagingPath, m_written));
}

const ChangeCase kChanges[] = {
    {"OneBitChanged", [](Bytes& bytes) { bytes[0x234567] ^= 0x01; }},
    {"TwoRecordsSwapped",
     [](Bytes& bytes) {
         ASSERT_FALSE(std::equal(&bytes[16], &bytes[20], &bytes[0x300000]));
         std::swap_ranges(&bytes[16], &bytes[20], &bytes[0x300000]);
     }},
    {"OneByteMore", [](Bytes& bytes) { bytes.push_back(0xFF); }},
    // The same records, those after one of them a place earlier and that one last: only
    // their order tells.
    {"OneRecordDroppedTheFilePaddedBackWithIt",
     [](Bytes& bytes) {
         std::rotate(&bytes[0x1234], &bytes[0x1238], bytes.data() + bytes.size());
     }},
};
INSTANTIATE_TEST_SUITE_P(Changes, StagingFileChangedTest, testing::ValuesIn(kChanges), RowName);

TEST_F(StagingFileTest, CheckRefusesAMissingFile) {
    ASSERT_TRUE(Build(MakeTestImage()));
    m_image.Close();
    ASSERT_TRUE(DeleteFileA(files::kStagingPath));
    EXPECT_FALSE(StagingFileMatches(files::kStagingPath, m_written));
}

// The new file held while it is checked.
class StagingFileHeldTest : public StagingFileTest,
                            public testing::WithParamInterface<HeldFileCase> {};

TEST_P(StagingFileHeldTest, CheckWaitsAboutTwoSecondsForAFileHeldElsewhere) {
    const bool matches = GetParam().ms < 2000;
    ASSERT_TRUE(Build(MakeTestImage()));
    m_image.Close();
    FileHold hold(GetParam().path, GetParam().ms, GetParam().share);
    ASSERT_TRUE(hold.Holds());
    const DWORD start = GetTickCount();
    EXPECT_EQ(matches, StagingFileMatches(files::kStagingPath, m_written));
    if (!matches) {
        EXPECT_GE(GetTickCount() - start, 1900u);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Holds, StagingFileHeldTest,
    testing::Values(HeldFileCase{"HeldForASecond", files::kStagingPath, 1000, 0},
                    HeldFileCase{"HeldThroughout", files::kStagingPath, 8000, 0}),
    RowName);

} // namespace
