#pragma once
// A device link in a real filter graph, over fake vendor filters registered in this
// apartment. Every test ends by checking that the link gave back every reference.
#include <gtest/gtest.h>

#include <memory>

#include "device/GraphDeviceLink.h"
#include "tests/support/FakeFilters.h"

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
