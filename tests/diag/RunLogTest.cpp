// The run log keeps its file small, dropping whole records, oldest first.
#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "FirmwareFiles.h"
#include "RunLog.h"
#include "ScratchFolder.h"

namespace {

TEST(RunLogTest, DropsTheOldestRecordsAndAppendsThisRun) {
    ScratchFolder folder;
    const std::string path = folder.File("ZrcUpdater.log");
    {
        // 100 records of 1 KiB, numbered from the oldest.
        std::ofstream old(path, std::ios::binary);
        for (int record = 0; record < 100; ++record)
            old << "=== record " << record << "\r\n" << std::string(1000, 'x') << "\r\n";
    }

    CRunLog log;
    log.Begin(path.c_str(), "ZrcUpdater 9.8.7");
    log.Note("command %d: %d", 22, 1);

    const Bytes bytes = ReadBytes(path);
    const std::string content(bytes.begin(), bytes.end());
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

} // namespace
