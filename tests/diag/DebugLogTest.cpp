#include "diag/DebugLog.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "tests/support/FileNames.h"
#include "tests/support/ScratchFolder.h"

namespace fs = std::filesystem;

namespace {

class DebugLogTest : public testing::Test {
protected:
    // The file as another reader sees it: only what the log has flushed so far.
    std::string OnDisk() const {
        std::ifstream in(m_path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }

    ScratchFolder m_folder;
    std::string m_path = m_folder.File(files::kDebugLog); // the default log's name
};

// One dump row: leading LF, offset, 16 hex values, five blanks, 16 characters.
std::string Row(const char* offset, const std::string& hex, const std::string& chars) {
    return std::string("\n") + offset + ": " + hex + "     " + chars;
}

// A row's hex values and characters where no bytes are.
const std::string kNoHex = "00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00";
const std::string kNoChars = ". . . . . . . . . . . . . . . .";

} // namespace

TEST_F(DebugLogTest, HexDumpRows) {
    const unsigned char boundary[] = {0x20, 0x21, 0x7E, 0x7F, 0x80, 0xFF};
    unsigned char sixteen[17];
    for (int i = 0; i < 17; ++i)
        sixteen[i] = static_cast<unsigned char>(0x41 + i);
    const std::string rowAtoP = Row("00000000", "41 42 43 44 45 46 47 48 49 4A 4B 4C 4D 4E 4F 50",
                                    "A B C D E F G H I J K L M N O P");
    struct Case {
        const char* name;
        const void* data;
        std::uint32_t count;
        std::string expected;
    };
    const Case cases[] = {
        {"nothing, null data", nullptr, 0, Row("00000000", kNoHex, kNoChars)},
        {"16 bytes, one row", sixteen, 16, rowAtoP},
        {"17 bytes, two rows", sixteen, 17,
         rowAtoP + Row("00000010", "51" + kNoHex.substr(2), "Q" + kNoChars.substr(1))},
        {"printable boundaries", boundary, 6,
         Row("00000000", "20 21 7E 7F 80 FF 00 00 00 00 00 00 00 00 00 00",
             ". ! ~ . . . . . . . . . . . . .")},
    };
    for (const Case& c : cases) {
        CDebugLog log(m_path.c_str(), DEBUGLOG_CREATE, 0xFFFFFFFF);
        ASSERT_TRUE(log.IsOpen());
        EXPECT_EQ(1, log.HexDump(c.data, c.count));
        EXPECT_EQ(0, log.CloseLog());
        EXPECT_EQ(c.expected, OnDisk()) << c.name;
    }
}

// A text that ends in LF is written as a line (WriteLine of the rest); onDisk is what the
// file holds right after it.
struct Write {
    std::string text;
    const char* onDisk;
};
struct FlushCase {
    const char* name;
    std::uint32_t flags;
    std::uint32_t threshold;
    std::vector<Write> writes;
};

class FlushTest : public DebugLogTest, public testing::WithParamInterface<FlushCase> {};

TEST_P(FlushTest, FlushesOnceTheCountedTextReachesTheThreshold) {
    const FlushCase& c = GetParam();
    CDebugLog log(m_path.c_str(), DEBUGLOG_CREATE | c.flags, c.threshold);
    std::string all;
    for (const Write& w : c.writes) {
        if (!w.text.empty() && w.text.back() == '\n')
            log.WriteLine(w.text.substr(0, w.text.size() - 1).c_str());
        else
            log.WriteText(w.text.c_str());
        all += w.text;
        EXPECT_EQ(w.onDisk, OnDisk()) << "after " << w.text;
    }
    EXPECT_EQ(0, log.CloseLog());
    EXPECT_EQ(all, OnDisk());
}

INSTANTIATE_TEST_SUITE_P(
    DebugLog, FlushTest,
    testing::Values(
        // The counter starts over at 0: nine more bytes stay buffered, the tenth flushes.
        FlushCase{"ThresholdReached",
                  DEBUGLOG_FLUSH,
                  10,
                  {{"abcd", ""},
                   {"efghij", "abcdefghij"},
                   {"123456789", "abcdefghij"},
                   {"0", "abcdefghij1234567890"}}},
        // A counter reduced by the threshold (to 1) would flush at the second text.
        FlushCase{"OverlongText",
                  DEBUGLOG_FLUSH,
                  10,
                  {{"abcdefghijk", "abcdefghijk"}, {"123456789", "abcdefghijk"}}},
        FlushCase{"LineEndNotCounted", DEBUGLOG_FLUSH, 6, {{"abcde\n", ""}, {"x", "abcde\nx"}}},
        FlushCase{"ThresholdZeroEvenEmptyText", DEBUGLOG_FLUSH, 0, {{"ab\n", "ab"}, {"", "ab\n"}}},
        FlushCase{"WithoutTheFlushOption", 0, 0, {{"abc", ""}}}),
    [](const testing::TestParamInfo<FlushCase>& info) { return info.param.name; });

// Destroyed while open, the log closes its file and so writes what it buffered. The
// default log, in the current folder, is emptied first.
TEST_F(DebugLogTest, AppendsWithoutCreateOptionAndDefaultLogEmptiesTheFile) {
    std::ofstream(m_path, std::ios::binary) << "old\n";
    {
        CDebugLog log(m_path.c_str(), 0, 0xFFFFFFFF);
        log.WriteLine("new");
    }
    EXPECT_EQ("old\nnew\n", OnDisk());
    {
        CurrentFolder current(m_folder.Path());
        CDebugLog log;
        EXPECT_EQ(1, log.IsOpen());
        log.WriteText("fresh");
    }
    EXPECT_EQ("fresh", OnDisk());
    EXPECT_TRUE(fs::remove(m_path));
}

TEST_F(DebugLogTest, LogWithoutFileOrClosedAcceptsWritesWithoutEffect) {
    const std::string path = m_folder.File("missing\\test.log");
    CDebugLog missing(path.c_str(), DEBUGLOG_CREATE | DEBUGLOG_FLUSH, 0);
    EXPECT_EQ(0, missing.IsOpen());
    CDebugLog closed(m_path.c_str(), DEBUGLOG_CREATE, 0);
    closed.WriteText("kept");
    EXPECT_EQ(0, closed.CloseLog());
    EXPECT_EQ(0, closed.IsOpen());
    for (CDebugLog* log : {&missing, &closed}) {
        EXPECT_EQ(1, log->WriteText("abc"));
        EXPECT_EQ(1, log->WriteLine("abc"));
        EXPECT_EQ(1, log->HexDump(nullptr, 0));
        EXPECT_EQ(0, log->CloseLog());
    }
    EXPECT_FALSE(fs::exists(path));
    EXPECT_EQ("kept", OnDisk());
}
