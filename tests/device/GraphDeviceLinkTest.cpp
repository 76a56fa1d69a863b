// Opening, closing and reopening a link over fake vendor filters in a real graph, the
// maker's graph names it adds them under, and the dialog thread's one-shot convention: a
// held link is used and kept, otherwise a link lives for the one command.
#include "tests/device/DeviceTest.h"

#include "device/DeviceCommands.h"
#include "device/OneShotCommand.h"

namespace {

// The graph holds the role's filter under its name, and the filter reports its class.
bool GraphHolds(IGraphBuilder* graph, FilterRole role) {
    IBaseFilter* filter = nullptr;
    if (FAILED(graph->FindFilterByName(kMakersText[RoleIndex(role)].graphName, &filter)))
        return false;
    CLSID reported = {}, expected = {};
    filter->GetClassID(&reported);
    filter->Release();
    CLSIDFromString(kMakersText[RoleIndex(role)].classId, &expected);
    return IsEqualCLSID(reported, expected);
}

using GraphDeviceLinkTest = DeviceTest;

// How the failing role's filter fails, if at all.
enum class Fails { kNothing, kCreate, kJoin };
// The filters a link holds, a bit per role.
constexpr unsigned kSource = 1, kSplitter = 2, kSink = 4;

struct OpenCase {
    const char* name;
    int config;
    FilterRole failing;
    Fails how;
    int result;
    int configAfter;
    unsigned held;
};

class OpenTest : public DeviceTest, public testing::WithParamInterface<OpenCase> {};

// A partly open link keeps the filters it added and still runs the Source's commands.
TEST_P(OpenTest, GivesEachResultAndState) {
    const OpenCase& c = GetParam();
    if (c.how != Fails::kNothing)
        (c.how == Fails::kCreate ? Script(c.failing).createStatus : Script(c.failing).joinStatus) =
            E_FAIL;
    InspectableLink link;
    EXPECT_EQ(c.result, link.Open(c.config, 0));
    ASSERT_NE(nullptr, link.GetGraph());
    EXPECT_EQ(c.configAfter, link.m_nConfig);
    for (int i = 0; i < kFilterRoleCount; ++i) {
        const bool held = c.held & (1u << i);
        EXPECT_EQ(held, link.Slot(FilterRole(i)) != nullptr) << i;
        EXPECT_EQ(held, GraphHolds(link.m_pGraph, FilterRole(i))) << i;
    }
    EXPECT_EQ(c.held & kSource ? 1 : 0, link.Command(CMD_CHECK_READY, nullptr));
}

constexpr FilterRole kSourceRole = FilterRole::Source, kSplitterRole = FilterRole::Splitter;
const OpenCase kOpenCases[] = {
    {"SourceAndSplitter", 12, kSourceRole, Fails::kNothing, 1, 12, kSource | kSplitter},
    {"Splitter", 11, kSourceRole, Fails::kNothing, 1, 11, kSplitter},
    {"Sink", 10, kSourceRole, Fails::kNothing, 1, 10, kSink},
    {"NoSourceFilter", 12, kSourceRole, Fails::kCreate, 2, -1, 0},
    {"SourceNotAddable", 12, kSourceRole, Fails::kJoin, 2, -1, 0},
    {"NoSplitterPartlyOpen", 12, kSplitterRole, Fails::kCreate, 3, -1, kSource},
    {"SplitterNotAddable", 12, kSplitterRole, Fails::kJoin, 3, -1, kSource},
    {"NoSplitterAlone", 11, kSplitterRole, Fails::kCreate, 3, -1, 0},
    {"NoSinkFilter", 10, FilterRole::Sink, Fails::kCreate, 10, -1, 0},
};
INSTANTIATE_TEST_SUITE_P(Link, OpenTest, testing::ValuesIn(kOpenCases),
                         [](const auto& info) { return info.param.name; });

TEST_F(GraphDeviceLinkTest, UnknownConfigurationChangesNothing) {
    InspectableLink unopened;
    ASSERT_EQ(1, m_link->Open(CONFIG_SOURCE_SPLITTER, 0));
    IGraphBuilder* graph = m_link->m_pGraph;
    for (int config : {8, 0, -1, 9, 13}) {
        EXPECT_EQ(0, unopened.Open(config, 0)) << config;
        EXPECT_EQ(0, m_link->Open(config, 0)) << config;
    }
    EXPECT_EQ(nullptr, unopened.m_pGraph);
    EXPECT_EQ(CONFIG_NONE, unopened.m_nConfig);
    EXPECT_EQ(graph, m_link->m_pGraph);
    EXPECT_EQ(CONFIG_SOURCE_SPLITTER, m_link->m_nConfig);
    EXPECT_EQ(1, Record(FilterRole::Source).created);
    EXPECT_EQ(0, Record(FilterRole::Source).destroyed);
    EXPECT_EQ(1, m_link->Command(CMD_CHECK_READY, nullptr));
}

TEST_F(GraphDeviceLinkTest, ReopenAndCloseDropEveryFilterOfTheOldConfiguration) {
    Script(FilterRole::Splitter).createStatus = E_FAIL;
    ASSERT_EQ(3, m_link->Open(CONFIG_SOURCE_SPLITTER, 0));
    Script(FilterRole::Splitter).createStatus = S_OK;
    ASSERT_EQ(1, m_link->Open(CONFIG_SOURCE_SPLITTER, 0));
    EXPECT_EQ(1, Record(FilterRole::Source).destroyed) << "the partly open link's Source";
    ASSERT_EQ(1, m_link->Open(CONFIG_SINK, 0));
    EXPECT_EQ(2, Record(FilterRole::Source).destroyed);
    EXPECT_EQ(1, Record(FilterRole::Splitter).destroyed);
    EXPECT_EQ(nullptr, m_link->Slot(FilterRole::Source));
    EXPECT_EQ(nullptr, m_link->Slot(FilterRole::Splitter));
    EXPECT_NE(nullptr, m_link->Slot(FilterRole::Sink));
    EXPECT_FALSE(GraphHolds(m_link->m_pGraph, FilterRole::Source));
    EXPECT_EQ(CONFIG_SINK, m_link->m_nConfig);

    m_link->Close();
    m_link->Close();
    EXPECT_EQ(nullptr, m_link->m_pGraph);
    EXPECT_EQ(nullptr, m_link->Slot(FilterRole::Sink));
    EXPECT_EQ(CONFIG_NONE, m_link->m_nConfig);
    EXPECT_EQ(0, m_fakes->LiveFilters());
    EXPECT_EQ(0, m_link->Command(CMD_CHECK_READY, nullptr));
}

// Close releases the configuration's last filter until its count is 0, so that it lets
// go of the device, and stops when a release no longer lowers the count.
TEST_F(GraphDeviceLinkTest, CloseReleasesTheLastFilterUntilItIsGone) {
    ASSERT_EQ(1, m_link->Open(CONFIG_SPLITTER, 0));
    m_link->Slot(FilterRole::Splitter)->AddRef();
    m_link->Slot(FilterRole::Splitter)->AddRef();
    m_link->Close();
    EXPECT_EQ(1, Record(FilterRole::Splitter).destroyed);

    Script(FilterRole::Splitter).releaseReportsOne = true;
    ASSERT_EQ(1, m_link->Open(CONFIG_SOURCE_SPLITTER, 0));
    m_link->Close();
    EXPECT_EQ(2, Record(FilterRole::Splitter).destroyed);
    // One release past the end is the least a filter that always reports 1 can cost.
    EXPECT_EQ(1, Record(FilterRole::Splitter).releasesPastZero);
    Record(FilterRole::Splitter).releasesPastZero = 0;
}

TEST_F(GraphDeviceLinkTest, PropertyPagesNeedCodeTwoAndShowNothingWithoutPages) {
    EXPECT_EQ(1, m_link->ShowPropertyPages(2, nullptr)) << "no Source filter";
    ASSERT_EQ(1, m_link->Open(CONFIG_SOURCE_SPLITTER, 0));
    EXPECT_EQ(0, m_link->ShowPropertyPages(1, nullptr));
    EXPECT_EQ(1, m_link->ShowPropertyPages(2, nullptr)) << "Source without pages";
    Script(FilterRole::Source).hasPropertyPages = true;
    Script(FilterRole::Source).getPagesStatus = E_FAIL;
    EXPECT_EQ(1, m_link->ShowPropertyPages(2, nullptr));
    EXPECT_EQ(std::vector<std::string>{"GetPages"}, Record(FilterRole::Source).calls);
}

using OneShotCommandTest = DeviceTest;

TEST_F(OneShotCommandTest, AHeldLinkIsUsedAndKept) {
    // Held without a Source filter, so a link of the caller's configuration would answer.
    ASSERT_EQ(1, m_link->Open(CONFIG_SINK, 0));
    CDeviceLink* link = m_link.get();
    EXPECT_EQ(0, OneShotCommand(link, CONFIG_SOURCE_SPLITTER, CMD_CHECK_READY, nullptr));
    EXPECT_EQ(m_link.get(), link);
    EXPECT_EQ(CONFIG_SINK, m_link->m_nConfig);
    EXPECT_EQ(0, Record(FilterRole::Source).created);
}

// Without a held link, a link of the caller's configuration lives for the one command;
// a configuration that does not open fails it, and no other is tried.
TEST_F(OneShotCommandTest, WithoutAHeldLinkALinkOfTheCallersConfigurationLivesForTheCommand) {
    Script(FilterRole::Source).flashWord = 0x0214;
    CDeviceLink* link = nullptr;
    DWORD word = 0;
    EXPECT_EQ(1, OneShotCommand(link, CONFIG_SOURCE_SPLITTER, CMD_READ_FLASH_VERSION, &word));
    EXPECT_EQ(0x0214u, word);
    word = 0xDEAD;
    EXPECT_EQ(0, OneShotCommand(link, 8, CMD_READ_FLASH_VERSION, &word));
    EXPECT_EQ(nullptr, link);
    EXPECT_EQ(0xDEADu, word);
    EXPECT_EQ(1, Record(FilterRole::Source).created);
}

} // namespace
