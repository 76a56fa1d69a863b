#pragma once
// A device link in a real filter graph, over fake vendor filters registered in this
// apartment. Every test ends by checking that the link gave back every reference.
#include <gtest/gtest.h>

#include <memory>

#include "FakeFilters.h"
#include "GraphDeviceLink.h"

// Opens the link's protected state to the tests.
class InspectableLink : public CGraphDeviceLink {
public:
    using CGraphDeviceLink::DropFilter;
    using CGraphDeviceLink::m_nConfig;
    using CGraphDeviceLink::m_pGraph;
    using CGraphDeviceLink::m_pSink;
    using CGraphDeviceLink::m_pSource;
    using CGraphDeviceLink::m_pSplitter;
};

class DeviceTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr)));
        fakes_ = std::make_unique<FakeVendorFilters>();
        ASSERT_TRUE(fakes_->Register());
        link_ = std::make_unique<InspectableLink>();
    }
    void TearDown() override {
        link_.reset();
        for (FakeRole role : {FakeRole::Source, FakeRole::Splitter, FakeRole::Sink}) {
            EXPECT_EQ(0, Record(role).releasesPastZero);
            EXPECT_EQ(0, Record(role).privateRefs);
        }
        EXPECT_EQ(0, fakes_->LiveFilters());
        fakes_.reset();
        CoUninitialize();
    }

    FakeFilterScript& Script(FakeRole role) { return fakes_->Script(role); }
    FakeFilterRecord& Record(FakeRole role) { return fakes_->Record(role); }

    std::unique_ptr<FakeVendorFilters> fakes_;
    std::unique_ptr<InspectableLink> link_;
};
