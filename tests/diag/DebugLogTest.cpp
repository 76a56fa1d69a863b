#include "DebugLog.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "ScratchFolder.h"

namespace fs = std::filesystem;

namespace {

// Each test writes its log in a scratch folder, which is the current folder too.
class DebugLogTest : public testing::Test {
protected:
    // The file as another reader sees it: only what the log has flushed so far.
    std::string OnDisk() const {
        std::ifstream in(m_path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    void PutOnDisk(const std::string& content) const {
        std::ofstream(m_path, std::ios::binary) << content;
    }

    ScratchFolder m_folder;
    std::string m_path = m_folder.File("test.log");
};

// One dump row: leading LF, offset, 16 hex values, five blanks, 16 characters.
std::string Row(const char* offset, const char* hex, const char* chars) {
    return std::string("\n") + offset + ": " + hex + "     " + chars;
}

const char kZeros13[] = "00 00 00 00 00 00 00 00 00 00 00 00 00";
const char kDots13[] = ". . . . . . . . . . . . .";

} // namespace

TEST_F(DebugLogTest, HexDumpRows) {
    const unsigned char boundary[] = {0x20, 0x21, 0x7E, 0x7F, 0x80, 0xFF};
    unsigned char sixteen[17];
    for (int i = 0; i < 17; ++i) {
        sixteen[i] = static_cast<unsigned char>(0x41 + i);
    }
    const std::string rowAtoP = Row("00000000", "41 42 43 44 45 46 47 48 49 4A 4B 4C 4D 4E 4F 50",
                                    "A B C D E F G H I J K L M N O P");
    struct Case {
        const char* name;
        const void* data;
        std::uint32_t count;
        std::string expected;
    };
    const Case cases[] = {
        {"nothing, null data", nullptr, 0,
         Row("00000000", (std::string("00 00 00 ") + kZeros13).c_str(),
             (std::string(". . . ") + kDots13).c_str())},
        {"abc", "abc", 3,
         Row("00000000", (std::string("61 62 63 ") + kZeros13).c_str(),
             (std::string("a b c ") + kDots13).c_str())},
        {"16 bytes, one row", sixteen, 16, rowAtoP},
        {"17 bytes, two rows", sixteen, 17,
         rowAtoP + Row("00000010", "51 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00",
                       "Q . . . . . . . . . . . . . . .")},
        {"printable boundaries", boundary, 6,
         Row("00000000", "20 21 7E 7F 80 FF 00 00 00 00 00 00 00 00 00 00",
             ". ! ~ . . . . . . . . . . . . .")},
    };
    for (const Case& c : cases) {
        {
            CDebugLog log(m_path.c_str(), DEBUGLOG_CREATE, 0xFFFFFFFF);
            ASSERT_TRUE(log.IsOpen());
            EXPECT_EQ(1, log.HexDump(c.data, c.count));
            EXPECT_EQ(0, log.CloseLog());
        }
        const std::string written = OnDisk();
        EXPECT_EQ(c.expected, written) << c.name;
        EXPECT_EQ(0u, written.size() % 94) << c.name;
    }
}

TEST_F(DebugLogTest, FlushesWhenCountedTextReachesThreshold) {
    CDebugLog log(m_path.c_str(), DEBUGLOG_FLUSH, 10);
    log.WriteText("abcd");
    EXPECT_EQ("", OnDisk());
    log.WriteText("efghij");
    EXPECT_EQ("abcdefghij", OnDisk());
    // The counter starts over at 0: nine more bytes stay buffered, the tenth flushes.
    log.WriteText("123456789");
    EXPECT_EQ(10u, OnDisk().size());
    log.WriteText("0");
    EXPECT_EQ(20u, OnDisk().size());
    log.CloseLog();
}

TEST_F(DebugLogTest, OverlongTextResetsCounterToZero) {
    CDebugLog log(m_path.c_str(), DEBUGLOG_FLUSH, 10);
    log.WriteText("abcdefghijk");
    EXPECT_EQ("abcdefghijk", OnDisk());
    // A counter reduced by the threshold (to 1) would flush here.
    log.WriteText("123456789");
    EXPECT_EQ(11u, OnDisk().size());
    log.CloseLog();
}

TEST_F(DebugLogTest, LineEndIsNotCounted) {
    CDebugLog log(m_path.c_str(), DEBUGLOG_FLUSH, 6);
    log.WriteLine("abcde");
    EXPECT_EQ("", OnDisk());
    log.WriteText("x");
    EXPECT_EQ("abcde\nx", OnDisk());
    log.CloseLog();
}

TEST_F(DebugLogTest, ThresholdZeroFlushesEveryTextEvenEmpty) {
    CDebugLog log(m_path.c_str(), DEBUGLOG_FLUSH, 0);
    log.WriteLine("ab");
    EXPECT_EQ("ab", OnDisk());
    log.WriteText("");
    EXPECT_EQ("ab\n", OnDisk());
    log.CloseLog();
}

TEST_F(DebugLogTest, NoExplicitFlushWithoutFlushOption) {
    CDebugLog log(m_path.c_str(), DEBUGLOG_CREATE, 0);
    log.WriteText("abc");
    EXPECT_EQ("", OnDisk());
    EXPECT_EQ(0, log.CloseLog());
    EXPECT_EQ("abc", OnDisk());
}

TEST_F(DebugLogTest, AppendsWithoutCreateOptionAndEmptiesWithIt) {
    PutOnDisk("old\n");
    {
        CDebugLog log(m_path.c_str(), 0, 0xFFFFFFFF);
        log.WriteLine("new");
        log.CloseLog();
    }
    EXPECT_EQ("old\nnew\n", OnDisk());
    {
        CDebugLog log(m_path.c_str(), DEBUGLOG_CREATE, 0xFFFFFFFF);
        log.WriteText("fresh");
        log.CloseLog();
    }
    EXPECT_EQ("fresh", OnDisk());
}

TEST_F(DebugLogTest, LogWithoutFileAcceptsWritesWithoutEffect) {
    const std::string path = m_folder.File("missing\\test.log");
    CDebugLog log(path.c_str(), DEBUGLOG_CREATE | DEBUGLOG_FLUSH, 0);
    EXPECT_EQ(0, log.IsOpen());
    EXPECT_EQ(1, log.WriteText("abc"));
    EXPECT_EQ(1, log.WriteLine("abc"));
    EXPECT_EQ(1, log.HexDump(nullptr, 0));
    EXPECT_EQ(0, log.CloseLog());
    EXPECT_FALSE(fs::exists(path));
}

TEST_F(DebugLogTest, ClosedLogWritesNothing) {
    CDebugLog log(m_path.c_str(), DEBUGLOG_CREATE, 0);
    log.WriteText("kept");
    EXPECT_EQ(0, log.CloseLog());
    EXPECT_EQ(0, log.IsOpen());
    EXPECT_EQ(1, log.WriteLine("lost"));
    EXPECT_EQ(0, log.CloseLog());
    EXPECT_EQ("kept", OnDisk());
}

TEST_F(DebugLogTest, DestroyingAnOpenLogClosesItsFile) {
    {
        CDebugLog log(m_path.c_str(), DEBUGLOG_CREATE, 0xFFFFFFFF);
        log.WriteText("unflushed");
    }
    EXPECT_EQ("unflushed", OnDisk());
    EXPECT_TRUE(fs::remove(m_path));
}

TEST_F(DebugLogTest, DefaultLogIsCreatedEmptyInCurrentFolder) {
    CurrentFolder current(m_folder.Path());
    std::ofstream("DebugOut.LOG", std::ios::binary) << "old";
    {
        CDebugLog log;
        EXPECT_EQ(1, log.IsOpen());
        log.WriteText("new");
        EXPECT_EQ(0, log.CloseLog());
    }
    std::ifstream in(m_folder.File("DebugOut.LOG"), std::ios::binary);
    EXPECT_EQ("new", std::string(std::istreambuf_iterator<char>(in), {}));
}
