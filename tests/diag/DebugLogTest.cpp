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

// One dump row: leading LF, offset, 16 hex values, five blanks, 16 characters; the values
// and characters not given are those of positions past the end, 00 and a dot.
std::string Row(const char* offset, std::string hex, std::string chars) {
    while (hex.size() < 47)
        hex += hex.empty() ? "00" : " 00";
    while (chars.size() < 31)
        chars += chars.empty() ? "." : " .";
    return std::string("\n") + offset + ": " + hex + "     " + chars;
}

// One call on the log: with `dumped`, a hex dump of the text's bytes (a null pointer for
// none) that writes `dumped`; else a text that ends in LF is written as a line (WriteLine
// of the rest), any other with WriteText. onDisk is what the file holds right after it.
struct Step {
    std::string text;
    const char* onDisk;
    std::string dumped = {};
};
struct WriteCase {
    const char* name;
    std::uint32_t flags;
    std::uint32_t threshold;
    std::vector<Step> steps;
    const char* before = nullptr; // what the file held: opened without the create option
};

class WriteTest : public DebugLogTest, public testing::WithParamInterface<WriteCase> {};

TEST_P(WriteTest, TheFileHoldsWhatWasWrittenOnceFlushedAtTheThreshold) {
    const WriteCase& c = GetParam();
    if (c.before)
        std::ofstream(m_path, std::ios::binary) << c.before;
    CDebugLog log(m_path.c_str(), (c.before ? 0 : DEBUGLOG_CREATE) | c.flags, c.threshold);
    ASSERT_TRUE(log.IsOpen());
    std::string all = c.before ? c.before : "";
    for (const Step& s : c.steps) {
        const std::size_t size = s.text.size();
        if (!s.dumped.empty())
            EXPECT_EQ(1, log.HexDump(size ? s.text.data() : nullptr, size));
        else if (size && s.text.back() == '\n')
            EXPECT_EQ(1, log.WriteLine(s.text.substr(0, size - 1).c_str()));
        else
            EXPECT_EQ(1, log.WriteText(s.text.c_str()));
        all += s.dumped.empty() ? s.text : s.dumped;
        EXPECT_EQ(s.onDisk, OnDisk()) << "after " << s.text;
    }
    EXPECT_EQ(0, log.CloseLog());
    EXPECT_EQ(all, OnDisk());
}

const std::string kAtoP = "ABCDEFGHIJKLMNOP";
const std::string kRowAtoP = Row("00000000", "41 42 43 44 45 46 47 48 49 4A 4B 4C 4D 4E 4F 50",
                                 "A B C D E F G H I J K L M N O P");

INSTANTIATE_TEST_SUITE_P(
    DebugLog, WriteTest,
    testing::Values(
        // The counter starts over at 0: nine more bytes stay buffered, the tenth flushes.
        WriteCase{"ThresholdReached",
                  DEBUGLOG_FLUSH,
                  10,
                  {{"abcd", ""},
                   {"efghij", "abcdefghij"},
                   {"123456789", "abcdefghij"},
                   {"0", "abcdefghij1234567890"}}},
        // A counter reduced by the threshold (to 1) would flush at the second text.
        WriteCase{"OverlongText",
                  DEBUGLOG_FLUSH,
                  10,
                  {{"abcdefghijk", "abcdefghijk"}, {"123456789", "abcdefghijk"}}},
        WriteCase{"LineEndNotCounted", DEBUGLOG_FLUSH, 6, {{"abcde\n", ""}, {"x", "abcde\nx"}}},
        WriteCase{"ThresholdZeroEvenEmptyText", DEBUGLOG_FLUSH, 0, {{"ab\n", "ab"}, {"", "ab\n"}}},
        WriteCase{"WithoutTheFlushOption", 0, 0, {{"abc", ""}}},
        WriteCase{"AppendsWithoutTheCreateOption", 0, 0, {{"new\n", "old\n"}}, "old\n"},
        WriteCase{"DumpOfNothing", 0, 0, {{"", "", Row("00000000", "", "")}}},
        WriteCase{"DumpOfOneRow", 0, 0, {{kAtoP, "", kRowAtoP}}},
        WriteCase{
            "DumpOfTwoRows", 0, 0, {{kAtoP + "Q", "", kRowAtoP + Row("00000010", "51", "Q")}}},
        WriteCase{"DumpOfPrintableBoundaries",
                  0,
                  0,
                  {{" !~\x7F\x80\xFF", "", Row("00000000", "20 21 7E 7F 80 FF", ". ! ~ . . .")}}}),
    [](const testing::TestParamInfo<WriteCase>& info) { return info.param.name; });

// The default log, in the current folder, is emptied first. Destroyed while open, a log
// closes its file and so writes what it buffered.
TEST_F(DebugLogTest, DefaultLogEmptiesTheFileAndWritesItWhenDestroyed) {
    std::ofstream(m_path, std::ios::binary) << "old\n";
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

} // namespace
