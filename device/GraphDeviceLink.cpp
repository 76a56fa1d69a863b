#include "device/GraphDeviceLink.h"

#include <ocidl.h>
#include <olectl.h>
#include <uuids.h>

#include "device/DeviceCommands.h"

namespace {

// Filter names fit this buffer, terminator included.
constexpr int kNameBufferSize = 128;

// Converts an ANSI name for the graph. False if it does not fit the buffer.
bool ConvertName(const char* szName, WCHAR (&wszName)[kNameBufferSize]) {
    if (MultiByteToWideChar(CP_ACP, 0, szName, -1, wszName, kNameBufferSize) == 0) {
        wszName[0] = L'\0';
        return false;
    }
    return true;
}

// The filters of each configuration, and the one that Close releases until its count
// is 0; the others get one release.
struct LinkConfig {
    int config;
    bool holds[kFilterRoleCount]; // by role
    FilterRole dropped;
};

constexpr LinkConfig kConfigs[] = {
    {CONFIG_SINK, {false, false, true}, FilterRole::Sink},
    {CONFIG_SPLITTER, {false, true, false}, FilterRole::Splitter},
    {CONFIG_SOURCE_SPLITTER, {true, true, false}, FilterRole::Splitter},
};

// The configuration nConfig, or null for an unknown one.
const LinkConfig* FindConfig(int nConfig) {
    for (const LinkConfig& config : kConfigs) {
        if (config.config == nConfig)
            return &config;
    }
    return nullptr;
}

} // namespace

CGraphDeviceLink::~CGraphDeviceLink() {
    Close();
}

int CGraphDeviceLink::Open(int nConfig, int /*nReserved*/) {
    const LinkConfig* config = FindConfig(nConfig);
    if (!config)
        return 0;
    if (m_pGraph)
        Close();

    if (FAILED(CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER, IID_IGraphBuilder,
                                reinterpret_cast<void**>(&m_pGraph)))) {
        m_pGraph = nullptr;
        return 0;
    }

    // In table order, which puts the Source filter before the Splitter.
    for (int i = 0; i < kFilterRoleCount; ++i) {
        if (!config->holds[i])
            continue;
        const VendorFilter& filter = kVendorFilters[i];
        if (FAILED(AddVendorFilter(filter.classId, filter.graphName)))
            return filter.openFailure;
        m_pFilters[i] = FindFilter(filter.graphName);
    }
    m_nConfig = nConfig;
    return 1;
}

void CGraphDeviceLink::Close() {
    // Only a link that opened completely has a configuration.
    const LinkConfig* config = FindConfig(m_nConfig);
    if (m_pGraph && config)
        DropFilter(m_pFilters[RoleIndex(config->dropped)]);
    // The other filters, and those of a partly opened link, are still referenced here; a
    // reopen would otherwise overwrite their slots and leak them.
    for (IBaseFilter*& pSlot : m_pFilters)
        ReleaseSlot(pSlot);
    if (m_pGraph) {
        m_pGraph->Release();
        m_pGraph = nullptr;
    }
    m_nConfig = CONFIG_NONE;
}

int CGraphDeviceLink::Command(int nCode, void* pArg) {
    return RunDeviceCommand(m_pFilters, nCode, pArg);
}

int CGraphDeviceLink::ShowPropertyPages(int nCode, void* pArg) {
    if (nCode != 2)
        return 0;
    IBaseFilter* pSource = m_pFilters[RoleIndex(FilterRole::Source)];
    if (!pSource)
        return 1;
    ISpecifyPropertyPages* pPages = nullptr;
    if (FAILED(pSource->QueryInterface(IID_ISpecifyPropertyPages,
                                       reinterpret_cast<void**>(&pPages))) ||
        !pPages)
        return 1;

    CAUUID pageList = {};
    if (SUCCEEDED(pPages->GetPages(&pageList))) {
        IUnknown* pObject = pSource;
        OleCreatePropertyFrame(static_cast<HWND>(pArg), 30, 30, nullptr, 1, &pObject,
                               pageList.cElems, pageList.pElems, 0, 0, nullptr);
        CoTaskMemFree(pageList.pElems);
    }
    pPages->Release();
    return 1;
}

HRESULT CGraphDeviceLink::AddVendorFilter(REFCLSID clsid, const char* szName) {
    IBaseFilter* pFilter = nullptr;
    HRESULT hr = CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IBaseFilter,
                                  reinterpret_cast<void**>(&pFilter));
    if (FAILED(hr))
        return hr;

    WCHAR wszName[kNameBufferSize];
    if (ConvertName(szName, wszName))
        hr = m_pGraph->AddFilter(pFilter, wszName);
    else
        hr = E_INVALIDARG;
    // The graph holds its own reference to a filter it took in.
    pFilter->Release();
    return FAILED(hr) ? hr : S_OK;
}

IBaseFilter* CGraphDeviceLink::FindFilter(const char* szName) {
    if (!m_pGraph)
        return nullptr;
    WCHAR wszName[kNameBufferSize];
    if (!ConvertName(szName, wszName))
        return nullptr;
    IBaseFilter* pFilter = nullptr;
    if (FAILED(m_pGraph->FindFilterByName(wszName, &pFilter)))
        return nullptr;
    return pFilter;
}

void CGraphDeviceLink::DropFilter(IBaseFilter*& pSlot) {
    if (!pSlot)
        return;
    if (m_pGraph)
        m_pGraph->RemoveFilter(pSlot);
    // Whatever references are left on the filter go with it, so that the filter lets go of
    // the device. Release's count is only a hint: a cached or static object may never
    // report 0, so the loop ends as soon as the count stops going down.
    ULONG count = pSlot->Release();
    while (count != 0) {
        const ULONG next = pSlot->Release();
        if (next >= count)
            break;
        count = next;
    }
    pSlot = nullptr;
}

void CGraphDeviceLink::ReleaseSlot(IBaseFilter*& pSlot) {
    if (!pSlot)
        return;
    if (m_pGraph)
        m_pGraph->RemoveFilter(pSlot);
    pSlot->Release();
    pSlot = nullptr;
}
