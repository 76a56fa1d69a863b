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
    }
    FakeFilterScript& Source() { return Script(FilterRole::Source); }
    Calls& SourceCalls() { return Record(FilterRole::Source).calls; }
    std::string Field(const char (&field)[VERSION_TEXT_SIZE]) {
        return std::string(field, strnlen(field, VERSION_TEXT_SIZE));
    }
    bool Untouched(const char (&field)[VERSION_TEXT_SIZE]) {
        return std::string(field, VERSION_TEXT_SIZE) == std::string(VERSION_TEXT_SIZE, 'x');
    }
    // The filter versions, into a block of 'x' bytes.
    int GetVersions() {
        std::memset(&m_block, 'x', sizeof m_block);
        return m_link->Command(CMD_GET_FILTER_VERSIONS, &m_block);
    }

    FilterVersionBlock m_block;
};

struct StatusCase {
    const char* name;
    HRESULT status;
};
const StatusCase kStatuses[] = {{"Ok", S_OK}, {"False", S_FALSE}, {"Fail", E_FAIL}, {"Two", 2}};

using S = FakeFilterScript;
struct CommandCase {
    const char* name;
    int code;
    HRESULT S::*status;
    int results[std::size(kStatuses)]; // by status, as above
    DWORD S::*out;                     // the value the filter fills in, if any
};
const CommandCase kCommands[] = {
    {"QuerySourceFlag", CMD_QUERY_SOURCE_FLAG, &S::flagStatus, {1, 0, 1, 1}, nullptr},
    {"SetSourceByte", CMD_SET_SOURCE_BYTE, &S::byteStatus, {1, 0, 1, 1}, nullptr},
    {"FlashUpdate", CMD_FLASH_UPDATE, &S::flashUpdateStatus, {1, 1, 0, 1}, nullptr},
    {"ReadFlashVersion", CMD_READ_FLASH_VERSION, &S::readFlashStatus, {1, 1, 0, 1}, &S::flashWord},
    {"QuerySourceWord", CMD_QUERY_SOURCE_WORD, &S::queryWordStatus, {1, 1, 1, 1}, &S::sourceWord},
    {"GetMicrocodeVersion",
     CMD_GET_MICROCODE_VERSION,
     &S::microcodeStatus,
     {1, 1, 1, 1},
     &S::microcodeVersion},
};

// A command, and the index of the status its vendor method returns.
class StatusRuleTest : public DeviceCommandsTest,
                       public testing::WithParamInterface<std::tuple<CommandCase, int>> {};

// Only S_FALSE refuses where the vendor's methods report "not ready"; a failed read or
// flash fails. An out value comes back when the filter gives one, and is left alone
// otherwise.
TEST_P(StatusRuleTest, OfEachSourceCommand) {
    const auto& [c, i] = GetParam();
    Source().*c.status = kStatuses[i].status;
    if (c.out)
        Source().*c.out = 0x0214;
    DWORD arg = kUntouched; // a byte for 28, an out value for the others
    EXPECT_EQ(c.results[i], m_link->Command(c.code, &arg));
    EXPECT_EQ(c.out && SUCCEEDED(kStatuses[i].status) ? 0x0214u : kUntouched, arg);
}

INSTANTIATE_TEST_SUITE_P(Commands, StatusRuleTest,
                         testing::Combine(testing::ValuesIn(kCommands),
                                          testing::Range(0, int(std::size(kStatuses)))),
                         [](const auto& info) {
                             return std::string(std::get<0>(info.param).name) +
                                    kStatuses[std::get<1>(info.param)].name;
                         });

TEST_F(DeviceCommandsTest, ArgumentsReachTheFilter) {
    DWORD flashWord = 0;
    m_link->Command(CMD_READ_FLASH_VERSION, &flashWord);
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

struct ProbeCase {
    const char* name;
    HRESULT probes[3];
    int result;
    Calls calls;
};

class ReadyProbesTest : public DeviceCommandsTest, public testing::WithParamInterface<ProbeCase> {};

TEST_P(ReadyProbesTest, StopAtTheFirstThatRefuses) {
    std::memcpy(Source().probeStatus, GetParam().probes, sizeof GetParam().probes);
    SourceCalls().clear();
    EXPECT_EQ(GetParam().result, m_link->Command(CMD_CHECK_READY, nullptr));
    EXPECT_EQ(GetParam().calls, SourceCalls());
}

const ProbeCase kProbes[] = {
    {"FirstRefuses", {S_FALSE, S_OK, S_OK}, 0, {"ReadyProbe1"}},
    {"SecondRefuses", {S_OK, S_FALSE, S_OK}, 0, {"ReadyProbe1", "ReadyProbe2"}},
    {"ThirdRefuses", {S_OK, S_OK, S_FALSE}, 0, {"ReadyProbe1", "ReadyProbe2", "ReadyProbe3"}},
    {"FailuresPass", {E_FAIL, E_FAIL, E_FAIL}, 1, {"ReadyProbe1", "ReadyProbe2", "ReadyProbe3"}},
    {"OtherSuccessPasses", {S_OK, 2, S_OK}, 1, {"ReadyProbe1", "ReadyProbe2", "ReadyProbe3"}},
};
INSTANTIATE_TEST_SUITE_P(Probes, ReadyProbesTest, testing::ValuesIn(kProbes),
                         [](const auto& info) { return info.param.name; });

// Unknown codes, and the Source's commands without its filter or its private interface,
// fail and touch nothing.
TEST_F(DeviceCommandsTest, CommandsThatCannotRunFailAndTouchNothing) {
    DWORD value = kUntouched;
    for (int code : {0, 24, 27, 51, -1, 33, 35})
        EXPECT_EQ(0, m_link->Command(code, &value)) << code;
    EXPECT_TRUE(SourceCalls().empty());

    for (bool sourceHeld : {true, false}) {
        Source().answersPrivate = !sourceHeld;
        ASSERT_EQ(1, m_link->Open(sourceHeld ? CONFIG_SOURCE_SPLITTER : CONFIG_SPLITTER, 0));
        for (int code : {21, 22, 23, 26, 28, 49, 50})
            EXPECT_EQ(0, m_link->Command(code, &value)) << code << sourceHeld;
    }
    EXPECT_EQ(kUntouched, value);
}

TEST_F(DeviceCommandsTest, FilterVersionsFillTheHeldFiltersFieldsCutToFitUntilAFailure) {
    const std::string sixty(60, 'L'), fortyNine(49, 'n');
    Script(FilterRole::Source).versionText = sixty.c_str();
    Script(FilterRole::Splitter).versionText = fortyNine.c_str();
    Script(FilterRole::Sink).versionText = "snk";
    EXPECT_EQ(1, GetVersions());
    EXPECT_EQ(sixty.substr(0, 49), Field(m_block.szSourceVersion));
    EXPECT_EQ(fortyNine, Field(m_block.szSplitterVersion));
    EXPECT_TRUE(Untouched(m_block.szSinkVersion));
    ASSERT_EQ(1, m_link->Open(CONFIG_SINK, 0));
    EXPECT_EQ(1, GetVersions());
    EXPECT_EQ("snk", Field(m_block.szSinkVersion));
    EXPECT_TRUE(Untouched(m_block.szSourceVersion));
    m_link->Close();
    EXPECT_EQ(1, GetVersions()) << "a link without filters";
    EXPECT_TRUE(Untouched(m_block.szSinkVersion));

    ASSERT_EQ(1, m_link->Open(CONFIG_SOURCE_SPLITTER, 0));
    Script(FilterRole::Splitter).versionText = nullptr; // a success without a text fails
    EXPECT_EQ(0, GetVersions());
    EXPECT_EQ(sixty.substr(0, 49), Field(m_block.szSourceVersion));
    EXPECT_TRUE(Untouched(m_block.szSplitterVersion));
    Script(FilterRole::Source).versionStatus = E_FAIL;
    Record(FilterRole::Splitter).calls.clear();
    EXPECT_EQ(0, GetVersions());
    EXPECT_TRUE(Untouched(m_block.szSourceVersion));
    EXPECT_TRUE(Record(FilterRole::Splitter).calls.empty());
}

} // namespace
