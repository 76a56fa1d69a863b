// The numbered commands and their result rules, on a link over fake vendor filters.
#include "DeviceTest.h"

#include <cstring>
#include <string>

#include "DeviceCommands.h"

namespace {

using Calls = std::vector<std::string>;

constexpr DWORD kUntouched = 0xA5A5A5A5;

class DeviceCommandsTest : public DeviceTest {
protected:
    void SetUp() override {
        DeviceTest::SetUp();
        ASSERT_EQ(1, m_link->Open(CONFIG_SOURCE_SPLITTER, 0));
    }
    FakeFilterScript& Source() { return Script(FakeRole::Source); }
    const Calls& SourceCalls() { return Record(FakeRole::Source).calls; }
};

TEST_F(DeviceCommandsTest, StatusRulesOfEachSourceCommand) {
    struct Case {
        int code;
        HRESULT FakeFilterScript::*status;
        HRESULT value;
        int result;
    };
    const Case cases[] = {
        {CMD_QUERY_SOURCE_FLAG, &FakeFilterScript::flagStatus, S_OK, 1},
        {CMD_QUERY_SOURCE_FLAG, &FakeFilterScript::flagStatus, S_FALSE, 0},
        {CMD_QUERY_SOURCE_FLAG, &FakeFilterScript::flagStatus, E_FAIL, 1},
        {CMD_QUERY_SOURCE_FLAG, &FakeFilterScript::flagStatus, 2, 1},
        {CMD_SET_SOURCE_BYTE, &FakeFilterScript::byteStatus, S_OK, 1},
        {CMD_SET_SOURCE_BYTE, &FakeFilterScript::byteStatus, S_FALSE, 0},
        {CMD_SET_SOURCE_BYTE, &FakeFilterScript::byteStatus, E_FAIL, 1},
        {CMD_FLASH_UPDATE, &FakeFilterScript::flashUpdateStatus, S_OK, 1},
        {CMD_FLASH_UPDATE, &FakeFilterScript::flashUpdateStatus, S_FALSE, 1},
        {CMD_FLASH_UPDATE, &FakeFilterScript::flashUpdateStatus, E_FAIL, 0},
        {CMD_READ_FLASH_VERSION, &FakeFilterScript::readFlashStatus, S_FALSE, 1},
        {CMD_READ_FLASH_VERSION, &FakeFilterScript::readFlashStatus, E_ACCESSDENIED, 0},
        {CMD_QUERY_SOURCE_WORD, &FakeFilterScript::queryWordStatus, E_FAIL, 1},
        {CMD_GET_MICROCODE_VERSION, &FakeFilterScript::microcodeStatus, E_FAIL, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "code " << c.code << " status " << c.value);
        Source().*c.status = c.value;
        DWORD arg = 0x12; // a byte for 28, an out value for the others
        EXPECT_EQ(c.result, m_link->Command(c.code, &arg));
        Source().*c.status = S_OK;
    }
}

TEST_F(DeviceCommandsTest, OutValuesAreFilledOnlyByASucceedingFilter) {
    Source().sourceWord = 0x1111;
    Source().microcodeVersion = 0x2222;
    Source().flashWord = 0x0214;
    struct Case {
        int code;
        HRESULT FakeFilterScript::*status;
        DWORD filled;
    };
    const Case cases[] = {
        {CMD_QUERY_SOURCE_WORD, &FakeFilterScript::queryWordStatus, 0x1111},
        {CMD_GET_MICROCODE_VERSION, &FakeFilterScript::microcodeStatus, 0x2222},
        {CMD_READ_FLASH_VERSION, &FakeFilterScript::readFlashStatus, 0x0214},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.code);
        DWORD value = kUntouched;
        EXPECT_EQ(1, m_link->Command(c.code, &value));
        EXPECT_EQ(c.filled, value);

        Source().*c.status = E_FAIL;
        value = kUntouched;
        m_link->Command(c.code, &value);
        EXPECT_EQ(kUntouched, value);
    }
}

TEST_F(DeviceCommandsTest, ArgumentsReachTheFilter) {
    DWORD value = 0;
    m_link->Command(CMD_READ_FLASH_VERSION, &value);
    EXPECT_EQ(0x1FFFFCu, Record(FakeRole::Source).flashAddress);

    BYTE byte = 0x5A;
    m_link->Command(CMD_SET_SOURCE_BYTE, &byte);
    EXPECT_EQ(0x5A, Record(FakeRole::Source).sourceByte);

    char updateArgs[264] = "staging";
    m_link->Command(CMD_FLASH_UPDATE, updateArgs);
    EXPECT_EQ(static_cast<void*>(updateArgs), Record(FakeRole::Source).updateArgs);

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
        Record(FakeRole::Source).calls.clear();
        EXPECT_EQ(c.result, m_link->Command(CMD_CHECK_READY, nullptr));
        EXPECT_EQ(c.calls, SourceCalls());
    }
}

TEST_F(DeviceCommandsTest, UnknownCodesTouchNothing) {
    for (int code : {0, 24, 27, 51, -1, 33, 35}) {
        DWORD value = kUntouched;
        EXPECT_EQ(0, m_link->Command(code, &value)) << code;
        EXPECT_EQ(kUntouched, value);
    }
    EXPECT_TRUE(SourceCalls().empty());
}

TEST_F(DeviceCommandsTest, SourceCommandsFailWithoutTheSourcePrivateInterface) {
    Source().answersPrivate = false;
    DWORD value = kUntouched;
    for (int code : {21, 22, 23, 26, 28, 49, 50})
        EXPECT_EQ(0, m_link->Command(code, &value)) << code;
    EXPECT_EQ(kUntouched, value);
}

TEST_F(DeviceCommandsTest, SourceCommandsFailWithoutASourceFilter) {
    ASSERT_EQ(1, m_link->Open(CONFIG_SPLITTER, 0));
    DWORD value = kUntouched;
    for (int code : {21, 22, 23, 26, 28, 49, 50})
        EXPECT_EQ(0, m_link->Command(code, &value)) << code;
    EXPECT_EQ(kUntouched, value);
}

class FilterVersionsTest : public DeviceCommandsTest {
protected:
    FilterVersionsTest() { std::memset(&m_block, 'x', sizeof m_block); }
    std::string Field(const char (&field)[VERSION_TEXT_SIZE]) {
        return std::string(field, strnlen(field, VERSION_TEXT_SIZE));
    }
    bool Untouched(const char (&field)[VERSION_TEXT_SIZE]) {
        return std::string(field, VERSION_TEXT_SIZE) == std::string(VERSION_TEXT_SIZE, 'x');
    }
    FilterVersionBlock m_block;
};

TEST_F(FilterVersionsTest, FillsTheFieldsOfTheFiltersTheLinkHolds) {
    Script(FakeRole::Source).versionText = "src 1.2";
    Script(FakeRole::Splitter).versionText = "spl 3.4";

    EXPECT_EQ(1, m_link->Command(CMD_GET_FILTER_VERSIONS, &m_block));

    EXPECT_EQ("src 1.2", Field(m_block.szSourceVersion));
    EXPECT_EQ("spl 3.4", Field(m_block.szSplitterVersion));
    EXPECT_TRUE(Untouched(m_block.szSinkVersion));

    Script(FakeRole::Sink).versionText = "snk";
    ASSERT_EQ(1, m_link->Open(CONFIG_SINK, 0));
    EXPECT_EQ(1, m_link->Command(CMD_GET_FILTER_VERSIONS, &m_block));
    EXPECT_EQ("snk", Field(m_block.szSinkVersion));
}

TEST_F(FilterVersionsTest, ALinkWithoutFiltersSucceedsAndWritesNothing) {
    m_link->Close();
    EXPECT_EQ(1, m_link->Command(CMD_GET_FILTER_VERSIONS, &m_block));
    EXPECT_TRUE(Untouched(m_block.szSourceVersion));
    EXPECT_TRUE(Untouched(m_block.szSplitterVersion));
}

TEST_F(FilterVersionsTest, StopsAtTheFirstFailureKeepingEarlierFields) {
    struct Case {
        const char* what;
        FakeRole failing;
        HRESULT status;
        const char* text;
        bool sourceFilled;
        bool splitterAsked;
    };
    const Case cases[] = {
        {"splitter fails", FakeRole::Splitter, E_FAIL, "v", true, true},
        {"splitter gives no text", FakeRole::Splitter, S_OK, nullptr, true, true},
        {"source fails", FakeRole::Source, E_FAIL, "v", false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::memset(&m_block, 'x', sizeof m_block);
        Script(FakeRole::Source) = FakeFilterScript();
        Script(FakeRole::Splitter) = FakeFilterScript();
        Script(c.failing).versionStatus = c.status;
        Script(c.failing).versionText = c.text;
        Record(FakeRole::Splitter).calls.clear();

        EXPECT_EQ(0, m_link->Command(CMD_GET_FILTER_VERSIONS, &m_block));

        EXPECT_EQ(c.sourceFilled, Field(m_block.szSourceVersion) == "1.0");
        EXPECT_EQ(c.splitterAsked, !Record(FakeRole::Splitter).calls.empty());
        EXPECT_TRUE(Untouched(m_block.szSplitterVersion));
    }
}

TEST_F(FilterVersionsTest, ALongTextIsCutToItsField) {
    const std::string sixty(60, 'L');
    const std::string fortyNine(49, 'n');
    Script(FakeRole::Source).versionText = sixty.c_str();
    Script(FakeRole::Splitter).versionText = fortyNine.c_str();

    EXPECT_EQ(1, m_link->Command(CMD_GET_FILTER_VERSIONS, &m_block));

    EXPECT_EQ(sixty.substr(0, 49), Field(m_block.szSourceVersion));
    EXPECT_EQ('\0', m_block.szSourceVersion[49]);
    EXPECT_EQ(fortyNine, Field(m_block.szSplitterVersion));
    EXPECT_TRUE(Untouched(m_block.szSinkVersion));
}

} // namespace
