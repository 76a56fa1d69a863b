#include "SplitterFilter.h"

#include "SimDevice.h"

#include <cstdio>

SplitterFilter::SplitterFilter()
    : PinlessFilter(CLSID_ZrcSplitter), m_private{{MethodTable()}, this} {}

HRESULT SplitterFilter::Create(REFIID riid, void** ppv) {
    HRESULT status = SimDevice().CreationStatus(SimFilterRole::Splitter);
    if (FAILED(status))
        return status;
    SplitterFilter* filter = new SplitterFilter;
    HRESULT hr = filter->QueryInterface(riid, ppv);
    filter->Release();
    return hr;
}

void* SplitterFilter::FindInterface(REFIID riid) {
    if (riid == IID_ISplitterPrivate)
        return &m_private.iface;
    return PinlessFilter::FindInterface(riid);
}

const ISplitterPrivateVtbl* SplitterFilter::MethodTable() {
    static const ISplitterPrivateVtbl table = [] {
        ISplitterPrivateVtbl t = {};
        t.QueryInterface = QueryInterfaceThunk;
        t.AddRef = AddRefThunk;
        t.Release = ReleaseThunk;
        FillUnusedSlots(t.unusedSlots3To24);
        t.GetVersionString = GetVersionString;
        return t;
    }();
    return &table;
}

HRESULT SplitterFilter::QueryInterfaceThunk(ISplitterPrivate* self, REFIID riid, void** ppv) {
    return decltype(m_private)::OwnerOf(self)->QueryInterface(riid, ppv);
}

ULONG SplitterFilter::AddRefThunk(ISplitterPrivate* self) {
    return decltype(m_private)::OwnerOf(self)->AddRef();
}

ULONG SplitterFilter::ReleaseThunk(ISplitterPrivate* self) {
    return decltype(m_private)::OwnerOf(self)->Release();
}

HRESULT SplitterFilter::GetVersionString(ISplitterPrivate* self, char** text) {
    if (!text)
        return E_POINTER;
    SplitterFilter* filter = decltype(m_private)::OwnerOf(self);
    std::snprintf(filter->m_versionText, sizeof(filter->m_versionText), "%s",
                  SimDevice().VersionString(SimFilterRole::Splitter).c_str());
    *text = filter->m_versionText;
    return S_OK;
}
