#pragma once
// A device link in a real filter graph, over fake vendor filters registered in this
// apartment. Every test ends by checking that the link gave back every reference.
#include <gtest/gtest.h>

#include <iterator>
#include <memory>

#include "device/GraphDeviceLink.h"
#include "tests/support/FakeFilters.h"

// Each role's identifiers and graph name as the maker writes them, by role. The program,
// the fakes and the simulator all share the product's table, so only this text catches
// a one-digit slip that would leave the real filters out of reach.
struct MakersText {
    const wchar_t* classId;
    const wchar_t* privateId;
    const wchar_t* graphName;
};
inline const MakersText kMakersText[] = {
    {L"{93AB6DE5-D9D3-48F1-9420-AD59FE222141}", L"{41BE36E1-A949-11D6-99BC-00A0CCDA34F4}",
     L"Tavo ZRC Source"},
    {L"{A85D2024-0EDF-4C77-A840-CABBA74DC621}", L"{97C187A1-A957-11D6-99BC-00A0CCDA34F4}",
     L"Quillon Micro USB-DVR Splitter"},
    {L"{276CDFA2-A951-11D6-99BC-00A0CCDA34F4}", L"{276CDFA1-A951-11D6-99BC-00A0CCDA34F4}",
     L"Tavo ZRC Sink"},
};
static_assert(std::size(kMakersText) == kFilterRoleCount);

// Opens the link's protected state to the tests.
class InspectableLink : public CGraphDeviceLink {
public:
    using CGraphDeviceLink::m_nConfig;
    using CGraphDeviceLink::m_pGraph;

    IBaseFilter*& Slot(FilterRole role) { return m_pFilters[RoleIndex(role)]; }
};

class DeviceTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr)));
        m_fakes = std::make_unique<FakeVendorFilters>();
        ASSERT_TRUE(m_fakes->Register());
        m_link = std::make_unique<InspectableLink>();
    }
    void TearDown() override {
        m_link.reset();
        for (int i = 0; i < kFilterRoleCount; ++i) {
            EXPECT_EQ(0, Record(FilterRole(i)).releasesPastZero);
            EXPECT_EQ(0, Record(FilterRole(i)).privateRefs);
        }
        EXPECT_EQ(0, m_fakes->LiveFilters());
        m_fakes.reset();
        CoUninitialize();
    }

    FakeFilterScript& Script(FilterRole role) { return m_fakes->Script(role); }
    FakeFilterRecord& Record(FilterRole role) { return m_fakes->Record(role); }

    std::unique_ptr<FakeVendorFilters> m_fakes;
    std::unique_ptr<InspectableLink> m_link;
};
