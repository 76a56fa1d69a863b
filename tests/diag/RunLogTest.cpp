// The run log keeps its file small, dropping whole records, oldest first, and writes only
// into a file it made: whatever lies at its name is replaced, never written through.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <string>

#include "diag/RunLog.h"
#include "tests/support/FileNames.h"
#include "tests/support/FirmwareFiles.h"
#include "tests/support/ScratchFolder.h"

namespace {

std::string ReadText(const std::string& path) {
    const Bytes bytes = ReadBytes(path);
    return std::string(bytes.begin(), bytes.end());
}

// One run's record, begun at `path`.
void RunOnce(const std::string& path) {
    CRunLog log;
    log.Begin(path.c_str(), "ZrcUpdater 9.8.7");
    log.Note("command %d: %d", 22, 1);
}

TEST(RunLogTest, DropsTheOldestRecordsAndAppendsThisRun) {
    ScratchFolder folder;
    const std::string path = folder.File(files::kRunLog);
    {
        // 100 records of 1 KiB, numbered from the oldest.
        std::ofstream old(path, std::ios::binary);
        for (int record = 0; record < 100; ++record)
            old << "=== record " << record << "\r\n" << std::string(1000, 'x') << "\r\n";
    }

    RunOnce(path);

    const std::string content = ReadText(path);
    EXPECT_LT(content.size(), 64u * 1024);
    EXPECT_GT(content.size(), 48u * 1024);
    EXPECT_EQ(0u, content.find("=== record ")) << "a whole record first";
    EXPECT_EQ(std::string::npos, content.find("=== record 0\r\n"));
    EXPECT_NE(std::string::npos, content.find("=== record 99\r\n"));
    const std::size_t header = content.find("ZrcUpdater 9.8.7, Windows ");
    ASSERT_NE(std::string::npos, header);
    EXPECT_EQ("=== ", content.substr(content.rfind("\n", header) + 1, 4));
    EXPECT_EQ("command 22: 1\r\n", content.substr(content.size() - 15));
}

// What a careless folder holds at the log's name: a hard link to a file of the user's that
// reads like a log, a symbolic link to the staging file (made on the Linux side by the
// tests' set-up: Wine makes none), a log of garbage far larger than any log of ours. Each
// run leaves its record alone in a file of its own, and the other file as it was. (The
// update tests link the log to the firmware image.)
TEST(RunLogTest, ReplacesLinksAndGarbageWithThisRunAlone) {
    ScratchFolder folder;
    const std::string notes = folder.File("notes.txt");
    const Bytes notesBytes = {'=', '=', '=', ' ', 'm', 'y', '\r', '\n'};
    WriteBytes(notes, notesBytes);
    ASSERT_TRUE(CreateHardLinkA(folder.File(files::kRunLog).c_str(), notes.c_str(), nullptr));
    const char* linked = std::getenv("ZRC_LINKED_LOG_FOLDER");
    ASSERT_NE(nullptr, linked) << "the symbolic links come from the ctest set-up";
    const std::string symbolic = std::string("Z:") + linked;
    ASSERT_EQ("target\n", ReadText(symbolic + "\\" + files::kRunLog)) << "no link: run by ctest";
    ScratchFolder garbage;
    WriteBytes(garbage.File(files::kRunLog), Bytes(3 << 20, '\n'));

    for (const std::string& dir : {folder.Path(), symbolic, garbage.Path()}) {
        const std::string log = dir + "\\" + files::kRunLog;
        RunOnce(log);
        const std::string content = ReadText(log);
        EXPECT_EQ(0u, content.find("=== ")) << dir;
        EXPECT_EQ(2, std::count(content.begin(), content.end(), '\n')) << dir;
        EXPECT_EQ(content.size(), content.find("command 22: 1\r\n") + 15) << dir;
        EXPECT_EQ(-1, FileSize(dir + "\\" + files::kNewRunLog)) << dir;
    }
    EXPECT_TRUE(ReadBytes(notes) == notesBytes);
    EXPECT_EQ("target\n", ReadText(symbolic + "\\" + files::kStaging));
}

// A log that cannot be replaced (a folder has its name) or whose new file's name is taken
// (a hard link to the image) is not written, and nothing of the attempt stays.
TEST(RunLogTest, ALogThatCannotBeMadeSafelyIsNotWritten) {
    ScratchFolder folder;
    const std::string log = folder.File(files::kRunLog);
    ASSERT_TRUE(CreateDirectoryA(log.c_str(), nullptr));
    RunOnce(log);
    EXPECT_EQ(FILE_ATTRIBUTE_DIRECTORY, GetFileAttributesA(log.c_str()) & FILE_ATTRIBUTE_DIRECTORY);
    EXPECT_EQ(-1, FileSize(folder.File(files::kNewRunLog)));

    ASSERT_TRUE(RemoveDirectoryA(log.c_str()));
    WriteBytes(log, {'=', '=', '=', ' ', '\r', '\n'});
    const Bytes image = WriteTestImage(folder.File(files::kImage));
    ASSERT_TRUE(CreateHardLinkA(folder.File(files::kNewRunLog).c_str(),
                                folder.File(files::kImage).c_str(), nullptr));
    RunOnce(log);
    EXPECT_TRUE(ReadBytes(log) == Bytes({'=', '=', '=', ' ', '\r', '\n'}));
    EXPECT_TRUE(ReadBytes(folder.File(files::kImage)) == image);
}

} // namespace
