#include "sim/SourceFilter.h"

#include "sim/SimDevice.h"

#include <cstdio>

namespace {

// Source filters of this process that hold the device: from creation until the end of
// their release time.
LONG g_liveSources = 0;

} // namespace

SourceFilter::SourceFilter(DWORD releaseMs)
    : PinlessFilter(VendorFilterOf(FilterRole::Source).classId), m_private{MethodTable(), this},
      m_releaseMs(releaseMs), m_sharesDevice(InterlockedIncrement(&g_liveSources) > 1) {}

SourceFilter::~SourceFilter() {
    Sleep(m_releaseMs);
    InterlockedDecrement(&g_liveSources);
}

HRESULT SourceFilter::Create(REFIID riid, void** ppv) {
    return NoThrow([&] {
        SimDevice device;
        HRESULT status = device.CreationStatus(FilterRole::Source);
        if (FAILED(status))
            return status;
        auto* filter = new (std::nothrow) SourceFilter(device.ReleaseMs());
        if (filter && filter->m_sharesDevice)
            device.RecordSourceOverlap();
        return HandOut(filter, riid, ppv);
    });
}

void* SourceFilter::FindInterface(REFIID riid) {
    if (riid == VendorFilterOf(FilterRole::Source).privateId)
        return &m_private;
    return PinlessFilter::FindInterface(riid);
}

const ISourcePrivateVtbl* SourceFilter::MethodTable() {
    static const ISourcePrivateVtbl table = [] {
        ISourcePrivateVtbl t = {};
        decltype(m_private)::ForwardUnknown<ISourcePrivate>(t);
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

HRESULT SourceFilter::QuerySourceWord(ISourcePrivate*, DWORD* value) {
    if (!value)
        return E_POINTER;
    return NoThrow([&] {
        *value = SimDevice().SourceWord();
        return S_OK;
    });
}

HRESULT SourceFilter::ReadyProbe1(ISourcePrivate*) {
    return NoThrow([] { return SimDevice().Probe(1); });
}

HRESULT SourceFilter::ReadyProbe2(ISourcePrivate*) {
    return NoThrow([] { return SimDevice().Probe(2); });
}

HRESULT SourceFilter::ReadyProbe3(ISourcePrivate*) {
    return NoThrow([] { return SimDevice().Probe(3); });
}

HRESULT SourceFilter::GetMicrocodeVersion(ISourcePrivate*, DWORD* version) {
    if (!version)
        return E_POINTER;
    return NoThrow([&] {
        *version = SimDevice().MicrocodeVersion();
        return S_OK;
    });
}

HRESULT SourceFilter::QuerySourceFlag(ISourcePrivate*) {
    return NoThrow([] { return SimDevice().QueryFlag(); });
}

HRESULT SourceFilter::SetSourceByte(ISourcePrivate*, BYTE value) {
    return NoThrow([&] { return SimDevice().SetByte(value); });
}

HRESULT SourceFilter::GetVersionString(ISourcePrivate* self, char** text) {
    if (!text)
        return E_POINTER;
    SourceFilter* filter = decltype(m_private)::OwnerOf(self);
    return NoThrow([&] {
        std::snprintf(filter->m_versionText, sizeof(filter->m_versionText), "%s",
                      SimDevice().VersionString(FilterRole::Source).c_str());
        *text = filter->m_versionText;
        return S_OK;
    });
}

HRESULT SourceFilter::FlashUpdate(ISourcePrivate*, UpdateThreadArgs* updateArgs) {
    return NoThrow([&] { return SimDevice().FlashUpdate(updateArgs); });
}

HRESULT SourceFilter::ReadFlashWord(ISourcePrivate*, DWORD address, DWORD* value) {
    return NoThrow([&] { return SimDevice().ReadFlashWord(address, value); });
}
