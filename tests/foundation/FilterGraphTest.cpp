// The filter graph manager of the platform takes in a filter whose class object is
// registered in-process, finds it by name and gives it up again; the COM objects those
// filters are built on are destroyed once.
#include <gtest/gtest.h>

#include <windows.h>
#include <strmif.h>
#include <uuids.h>
#include <wrl/client.h>

#include "ClassFactory.h"
#include "ComObject.h"
#include "PinlessFilter.h"

using Microsoft::WRL::ComPtr;

namespace {

// {6F1C2B8E-3D4A-4E5F-9A1B-2C3D4E5F6A7B}
const CLSID CLSID_ChainTestFilter = {
    0x6f1c2b8e, 0x3d4a, 0x4e5f, {0x9a, 0x1b, 0x2c, 0x3d, 0x4e, 0x5f, 0x6a, 0x7b}};

HRESULT CreateChainTestFilter(REFIID riid, void** ppv) {
    return HandOut(new PinlessFilter(CLSID_ChainTestFilter), riid, ppv);
}

class FilterGraphTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr)));
        m_factory = new ClassFactory(CreateChainTestFilter);
        ASSERT_EQ(S_OK, CoRegisterClassObject(CLSID_ChainTestFilter, m_factory,
                                              CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE, &m_cookie));
    }
    void TearDown() override {
        CoRevokeClassObject(m_cookie);
        m_factory->Release();
        CoUninitialize();
    }

    ClassFactory* m_factory = nullptr;
    DWORD m_cookie = 0;
};

TEST_F(FilterGraphTest, AddsFindsAndRemovesAnInProcessFilter) {
    ComPtr<IGraphBuilder> graph;
    ASSERT_EQ(S_OK, CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER,
                                     IID_PPV_ARGS(graph.GetAddressOf())));
    ComPtr<IBaseFilter> filter;
    ASSERT_EQ(S_OK, CoCreateInstance(CLSID_ChainTestFilter, nullptr, CLSCTX_INPROC_SERVER,
                                     IID_PPV_ARGS(filter.GetAddressOf())));

    ASSERT_EQ(S_OK, graph->AddFilter(filter.Get(), L"Chain Test Filter"));

    ComPtr<IBaseFilter> found;
    ASSERT_EQ(S_OK, graph->FindFilterByName(L"Chain Test Filter", found.GetAddressOf()));
    EXPECT_EQ(filter.Get(), found.Get());
    CLSID clsid{};
    ASSERT_EQ(S_OK, found->GetClassID(&clsid));
    EXPECT_TRUE(IsEqualCLSID(CLSID_ChainTestFilter, clsid));

    ASSERT_EQ(S_OK, graph->RemoveFilter(filter.Get()));
    ComPtr<IBaseFilter> gone;
    EXPECT_NE(S_OK, graph->FindFilterByName(L"Chain Test Filter", gone.GetAddressOf()));
    // Only this test's two pointers are left once the graph has let go.
    found.Reset();
    EXPECT_EQ(1u, filter->AddRef() - 1);
    filter->Release();
}

// Its teardown takes and drops a reference to itself, as code called while an object
// is destroyed may do (a graph removing a filter does).
class SelfReferencingTeardown : public ComObject<IUnknown> {
public:
    int m_destroyed = 0;

protected:
    void* FindInterface(REFIID) override { return nullptr; }
    void Destroy() override {
        if (++m_destroyed == 1) {
            AddRef();
            Release();
        }
    }
};

TEST(ComObjectTest, AReleaseDuringTheTeardownDoesNotDestroyAgain) {
    SelfReferencingTeardown object;
    object.Release();
    EXPECT_EQ(1, object.m_destroyed);
}

} // namespace
