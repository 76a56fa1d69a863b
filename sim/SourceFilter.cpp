#include "SourceFilter.h"

#include "SimDevice.h"

#include <cstdio>

SourceFilter::SourceFilter() : PinlessFilter(CLSID_ZrcSource), m_private{{MethodTable()}, this} {}

HRESULT SourceFilter::Create(REFIID riid, void** ppv) {
    HRESULT status = SimDevice().CreationStatus(SimFilterRole::Source);
    if (FAILED(status))
        return status;
    SourceFilter* filter = new SourceFilter;
    HRESULT hr = filter->QueryInterface(riid, ppv);
    filter->Release();
    return hr;
}

void* SourceFilter::FindInterface(REFIID riid) {
    if (riid == IID_ISourcePrivate)
        return &m_private.iface;
    return PinlessFilter::FindInterface(riid);
}

const ISourcePrivateVtbl* SourceFilter::MethodTable() {
    static const ISourcePrivateVtbl table = [] {
        ISourcePrivateVtbl t = {};
        t.QueryInterface = QueryInterfaceThunk;
        t.AddRef = AddRefThunk;
        t.Release = ReleaseThunk;
        FillUnusedSlots(t.unusedSlots3To33);
        t.QuerySourceWord = QuerySourceWord;
        t.ReadyProbe1 = ReadyProbe1;
        FillUnusedSlot(t.unusedSlot36);
        t.ReadyProbe2 = ReadyProbe2;
        t.ReadyProbe3 = ReadyProbe3;
        FillUnusedSlots(t.unusedSlots39To40);
        t.GetMicrocodeVersion = GetMicrocodeVersion;
        FillUnusedSlots(t.unusedSlots42To53);
        t.QuerySourceFlag = QuerySourceFlag;
        FillUnusedSlots(t.unusedSlots55To56);
        t.SetSourceByte = SetSourceByte;
        FillUnusedSlots(t.unusedSlots58To65);
        t.GetVersionString = GetVersionString;
        FillUnusedSlots(t.unusedSlots67To89);
        t.FlashUpdate = FlashUpdate;
        FillUnusedSlots(t.unusedSlots91To93);
        t.ReadFlashWord = ReadFlashWord;
        return t;
    }();
    return &table;
}

HRESULT SourceFilter::QueryInterfaceThunk(ISourcePrivate* self, REFIID riid, void** ppv) {
    return decltype(m_private)::OwnerOf(self)->QueryInterface(riid, ppv);
}

ULONG SourceFilter::AddRefThunk(ISourcePrivate* self) {
    return decltype(m_private)::OwnerOf(self)->AddRef();
}

ULONG SourceFilter::ReleaseThunk(ISourcePrivate* self) {
    return decltype(m_private)::OwnerOf(self)->Release();
}

HRESULT SourceFilter::QuerySourceWord(ISourcePrivate*, DWORD* value) {
    if (!value)
        return E_POINTER;
    *value = SimDevice().SourceWord();
    return S_OK;
}

HRESULT SourceFilter::ReadyProbe1(ISourcePrivate*) {
    return SimDevice().Probe(1);
}

HRESULT SourceFilter::ReadyProbe2(ISourcePrivate*) {
    return SimDevice().Probe(2);
}

HRESULT SourceFilter::ReadyProbe3(ISourcePrivate*) {
    return SimDevice().Probe(3);
}

HRESULT SourceFilter::GetMicrocodeVersion(ISourcePrivate*, DWORD* version) {
    if (!version)
        return E_POINTER;
    *version = SimDevice().MicrocodeVersion();
    return S_OK;
}

HRESULT SourceFilter::QuerySourceFlag(ISourcePrivate*) {
    return SimDevice().QueryFlag();
}

HRESULT SourceFilter::SetSourceByte(ISourcePrivate*, BYTE value) {
    return SimDevice().SetByte(value);
}

HRESULT SourceFilter::GetVersionString(ISourcePrivate* self, char** text) {
    if (!text)
        return E_POINTER;
    SourceFilter* filter = decltype(m_private)::OwnerOf(self);
    std::snprintf(filter->m_versionText, sizeof(filter->m_versionText), "%s",
                  SimDevice().VersionString(SimFilterRole::Source).c_str());
    *text = filter->m_versionText;
    return S_OK;
}

HRESULT SourceFilter::FlashUpdate(ISourcePrivate*, void* updateArgs) {
    return SimDevice().FlashUpdate(updateArgs);
}

HRESULT SourceFilter::ReadFlashWord(ISourcePrivate*, DWORD address, DWORD* value) {
    return SimDevice().ReadFlashWord(address, value);
}
