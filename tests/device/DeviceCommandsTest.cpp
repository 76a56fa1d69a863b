// The numbered commands and their result rules, on a link over fake vendor filters.
#include "tests/device/DeviceTest.h"

#include <cstring>
#include <string>
#include <tuple>

#include "device/DeviceCommands.h"

namespace {

using Calls = std::vector<std::string>;

constexpr DWORD kUntouched = 0xA5A5A5A5;

class DeviceCommandsTest : public DeviceTest {
protected:
    void SetUp() override {
        ASSERT_NO_FATAL_FAILURE(DeviceTest::SetUp());
        ASSERT_EQ(1, m_link->Open(CONFIG_SOURCE_SPLITTER, 0));
        std::memset(&m_block, 'x', sizeof m_block);
    }
    FakeFilterScript& Source() { return Script(FilterRole::Source); }
    Calls& SourceCalls() { return Record(FilterRole::Source).calls; }
    std::string Field(const char (&field)[VERSION_TEXT_SIZE]) {
        return std::string(field, strnlen(field, VERSION_TEXT_SIZE));
    }
    bool Untouched(const char (&field)[VERSION_TEXT_SIZE]) {
        return std::string(field, VERSION_TEXT_SIZE) == std::string(VERSION_TEXT_SIZE, 'x');
    }

    FilterVersionBlock m_block;
};

struct StatusCase {
    const char* name;
    HRESULT status;
};
const StatusCase kStatuses[] = {{"Ok", S_OK}, {"False", S_FALSE}, {"Fail", E_FAIL}, {"Two", 2}};

struct CommandCase {
    const char* name;
    int code;
    HRESULT FakeFilterScript::*status;
    int results[std::size(kStatuses)]; // by status, as above
};
const CommandCase kCommands[] = {
    {"QuerySourceFlag", CMD_QUERY_SOURCE_FLAG, &FakeFilterScript::flagStatus, {1, 0, 1, 1}},
    {"SetSourceByte", CMD_SET_SOURCE_BYTE, &FakeFilterScript::byteStatus, {1, 0, 1, 1}},
    {"FlashUpdate", CMD_FLASH_UPDATE, &FakeFilterScript::flashUpdateStatus, {1, 1, 0, 1}},
    {"ReadFlashVersion", CMD_READ_FLASH_VERSION, &FakeFilterScript::readFlashStatus, {1, 1, 0, 1}},
    {"QuerySourceWord", CMD_QUERY_SOURCE_WORD, &FakeFilterScript::queryWordStatus, {1, 1, 1, 1}},
    {"GetMicrocodeVersion",
     CMD_GET_MICROCODE_VERSION,
     &FakeFilterScript::microcodeStatus,
     {1, 1, 1, 1}},
};

// A command, and the index of the status its vendor method returns.
class StatusRuleTest : public DeviceCommandsTest,
                       public testing::WithParamInterface<std::tuple<CommandCase, int>> {};

// Only S_FALSE refuses where the vendor's methods report "not ready"; a failed read or
// flash fails; an out value is left alone when the command fails.
TEST_P(StatusRuleTest, OfEachSourceCommand) {
    const auto& [c, i] = GetParam();
    Source().*c.status = kStatuses[i].status;
    DWORD arg = kUntouched; // a byte for 28, an out value for the others
    EXPECT_EQ(c.results[i], m_link->Command(c.code, &arg));
    if (c.results[i] == 0) {
        EXPECT_EQ(kUntouched, arg);
    }
}

INSTANTIATE_TEST_SUITE_P(Commands, StatusRuleTest,
                         testing::Combine(testing::ValuesIn(kCommands),
                                          testing::Range(0, int(std::size(kStatuses)))),
                         [](const testing::TestParamInfo<StatusRuleTest::ParamType>& info) {
                             return std::string(std::get<0>(info.param).name) +
                                    kStatuses[std::get<1>(info.param)].name;
                         });

TEST_F(DeviceCommandsTest, ArgumentsReachTheFilterAndOutValuesComeBack) {
    Source().sourceWord = 0x1111;
    Source().microcodeVersion = 0x2222;
    Source().flashWord = 0x0214;
    DWORD sourceWord = 0, microcode = 0, flashWord = 0;
    EXPECT_EQ(1, m_link->Command(CMD_QUERY_SOURCE_WORD, &sourceWord));
    EXPECT_EQ(1, m_link->Command(CMD_GET_MICROCODE_VERSION, &microcode));
    EXPECT_EQ(1, m_link->Command(CMD_READ_FLASH_VERSION, &flashWord));
    EXPECT_EQ(0x1111u, sourceWord);
    EXPECT_EQ(0x2222u, microcode);
    EXPECT_EQ(0x0214u, flashWord);
    EXPECT_EQ(0x1FFFFCu, Record(FilterRole::Source).flashAddress);

    BYTE byte = 0x5A;
    m_link->Command(CMD_SET_SOURCE_BYTE, &byte);
    EXPECT_EQ(0x5A, Record(FilterRole::Source).sourceByte);
    char updateArgs[264] = "staging";
    m_link->Command(CMD_FLASH_UPDATE, updateArgs);
    EXPECT_EQ(static_cast<void*>(updateArgs), Record(FilterRole::Source).updateArgs);

    EXPECT_EQ(0, m_link->Command(CMD_SET_SOURCE_BYTE, nullptr)) << "no byte to pass";
    EXPECT_EQ(0, m_link->Command(CMD_GET_FILTER_VERSIONS, nullptr)) << "no block to fill";
}

TEST_F(DeviceCommandsTest, ReadyProbesStopAtTheFirstThatRefuses) {
    struct Case {
        HRESULT probes[3];
        int result;
        Calls calls;
    };
    const Case cases[] = {
        {{S_FALSE, S_OK, S_OK}, 0, {"ReadyProbe1"}},
        {{S_OK, S_FALSE, S_OK}, 0, {"ReadyProbe1", "ReadyProbe2"}},
        {{S_OK, S_OK, S_FALSE}, 0, {"ReadyProbe1", "ReadyProbe2", "ReadyProbe3"}},
        {{E_FAIL, E_FAIL, E_FAIL}, 1, {"ReadyProbe1", "ReadyProbe2", "ReadyProbe3"}},
        {{S_OK, 2, S_OK}, 1, {"ReadyProbe1", "ReadyProbe2", "ReadyProbe3"}},
    };
    for (const Case& c : cases) {
        std::memcpy(Source().probeStatus, c.probes, sizeof c.probes);
        SourceCalls().clear();
        EXPECT_EQ(c.result, m_link->Command(CMD_CHECK_READY, nullptr));
        EXPECT_EQ(c.calls, SourceCalls());
    }
}

// Unknown codes, and the Source's commands without its filter or its private interface,
// fail and touch nothing.
TEST_F(DeviceCommandsTest, CommandsThatCannotRunFailAndTouchNothing) {
    DWORD value = kUntouched;
    for (int code : {0, 24, 27, 51, -1, 33, 35})
        EXPECT_EQ(0, m_link->Command(code, &value)) << code;
    EXPECT_TRUE(SourceCalls().empty());

    Source().answersPrivate = false;
    for (int code : {21, 22, 23, 26, 28, 49, 50})
        EXPECT_EQ(0, m_link->Command(code, &value)) << code;
    ASSERT_EQ(1, m_link->Open(CONFIG_SPLITTER, 0));
    Source().answersPrivate = true;
    for (int code : {21, 22, 23, 26, 28, 49, 50})
        EXPECT_EQ(0, m_link->Command(code, &value)) << code;
    EXPECT_EQ(kUntouched, value);
}

TEST_F(DeviceCommandsTest, FilterVersionsFillTheHeldFiltersFieldsCutToFitUntilAFailure) {
    const std::string sixty(60, 'L');
    const std::string fortyNine(49, 'n');
    Script(FilterRole::Source).versionText = sixty.c_str();
    Script(FilterRole::Splitter).versionText = fortyNine.c_str();
    Script(FilterRole::Sink).versionText = "snk";

    EXPECT_EQ(1, m_link->Command(CMD_GET_FILTER_VERSIONS, &m_block));

    EXPECT_EQ(sixty.substr(0, 49), Field(m_block.szSourceVersion));
    EXPECT_EQ(fortyNine, Field(m_block.szSplitterVersion));
    EXPECT_TRUE(Untouched(m_block.szSinkVersion));

    ASSERT_EQ(1, m_link->Open(CONFIG_SINK, 0));
    EXPECT_EQ(1, m_link->Command(CMD_GET_FILTER_VERSIONS, &m_block));
    EXPECT_EQ("snk", Field(m_block.szSinkVersion));

    m_link->Close();
    std::memset(&m_block, 'x', sizeof m_block);
    EXPECT_EQ(1, m_link->Command(CMD_GET_FILTER_VERSIONS, &m_block)) << "a link without filters";
    EXPECT_TRUE(Untouched(m_block.szSourceVersion));
    EXPECT_TRUE(Untouched(m_block.szSinkVersion));

    ASSERT_EQ(1, m_link->Open(CONFIG_SOURCE_SPLITTER, 0));
    Script(FilterRole::Splitter).versionText = nullptr; // a success without a text fails

    EXPECT_EQ(0, m_link->Command(CMD_GET_FILTER_VERSIONS, &m_block));
    EXPECT_EQ(sixty.substr(0, 49), Field(m_block.szSourceVersion));
    EXPECT_TRUE(Untouched(m_block.szSplitterVersion));

    std::memset(&m_block, 'x', sizeof m_block);
    Script(FilterRole::Source).versionStatus = E_FAIL;
    Record(FilterRole::Splitter).calls.clear();

    EXPECT_EQ(0, m_link->Command(CMD_GET_FILTER_VERSIONS, &m_block));
    EXPECT_TRUE(Untouched(m_block.szSourceVersion));
    EXPECT_TRUE(Record(FilterRole::Splitter).calls.empty());
}

} // namespace
