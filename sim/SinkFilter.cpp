#include "SinkFilter.h"

#include "SimDevice.h"

#include <cstdio>

SinkFilter::SinkFilter() : PinlessFilter(CLSID_ZrcSink), m_private{{MethodTable()}, this} {}

HRESULT SinkFilter::Create(REFIID riid, void** ppv) {
    HRESULT status = SimDevice().CreationStatus(SimFilterRole::Sink);
    if (FAILED(status))
        return status;
    SinkFilter* filter = new SinkFilter;
    HRESULT hr = filter->QueryInterface(riid, ppv);
    filter->Release();
    return hr;
}

void* SinkFilter::FindInterface(REFIID riid) {
    if (riid == IID_ISinkPrivate)
        return &m_private.iface;
    return PinlessFilter::FindInterface(riid);
}

const ISinkPrivateVtbl* SinkFilter::MethodTable() {
    static const ISinkPrivateVtbl table = [] {
        ISinkPrivateVtbl t = {};
        t.QueryInterface = QueryInterfaceThunk;
        t.AddRef = AddRefThunk;
        t.Release = ReleaseThunk;
        FillUnusedSlot(t.unusedSlot3);
        t.GetVersionString = GetVersionString;
        return t;
    }();
    return &table;
}

HRESULT SinkFilter::QueryInterfaceThunk(ISinkPrivate* self, REFIID riid, void** ppv) {
    return decltype(m_private)::OwnerOf(self)->QueryInterface(riid, ppv);
}

ULONG SinkFilter::AddRefThunk(ISinkPrivate* self) {
    return decltype(m_private)::OwnerOf(self)->AddRef();
}

ULONG SinkFilter::ReleaseThunk(ISinkPrivate* self) {
    return decltype(m_private)::OwnerOf(self)->Release();
}

HRESULT SinkFilter::GetVersionString(ISinkPrivate* self, char** text) {
    if (!text)
        return E_POINTER;
    SinkFilter* filter = decltype(m_private)::OwnerOf(self);
    std::snprintf(filter->m_versionText, sizeof(filter->m_versionText), "%s",
                  SimDevice().VersionString(SimFilterRole::Sink).c_str());
    *text = filter->m_versionText;
    return S_OK;
}
