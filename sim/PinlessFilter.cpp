#include "sim/PinlessFilter.h"

#include <cwchar>
#include <vfwmsgs.h>

namespace {

// The graph manager enumerates a filter's pins when it removes the filter.
class EmptyPinEnum : public ComObject<IEnumPins> {
public:
    STDMETHODIMP Next(ULONG, IPin** pins, ULONG* fetched) override {
        if (pins)
            *pins = nullptr;
        if (fetched)
            *fetched = 0;
        return S_FALSE;
    }
    STDMETHODIMP Skip(ULONG count) override { return count == 0 ? S_OK : S_FALSE; }
    STDMETHODIMP Reset() override { return S_OK; }
    STDMETHODIMP Clone(IEnumPins** ppEnum) override {
        return HandOut(new (std::nothrow) EmptyPinEnum, IID_IEnumPins,
                       reinterpret_cast<void**>(ppEnum));
    }

protected:
    void* FindInterface(REFIID riid) override {
        if (riid == IID_IUnknown || riid == IID_IEnumPins)
            return static_cast<IEnumPins*>(this);
        return nullptr;
    }
};

} // namespace

PinlessFilter::PinlessFilter(REFCLSID clsid) : m_clsid(clsid) {}

PinlessFilter::~PinlessFilter() {
    if (m_pClock)
        m_pClock->Release();
}

void* PinlessFilter::FindInterface(REFIID riid) {
    if (riid == IID_IUnknown || riid == IID_IPersist || riid == IID_IMediaFilter ||
        riid == IID_IBaseFilter)
        return static_cast<IBaseFilter*>(this);
    return nullptr;
}

STDMETHODIMP PinlessFilter::GetClassID(CLSID* pClassID) {
    if (!pClassID)
        return E_POINTER;
    *pClassID = m_clsid;
    return S_OK;
}

STDMETHODIMP PinlessFilter::Stop() {
    m_state = State_Stopped;
    return S_OK;
}

STDMETHODIMP PinlessFilter::Pause() {
    m_state = State_Paused;
    return S_OK;
}

STDMETHODIMP PinlessFilter::Run(REFERENCE_TIME) {
    m_state = State_Running;
    return S_OK;
}

STDMETHODIMP PinlessFilter::GetState(DWORD, FILTER_STATE* state) {
    if (!state)
        return E_POINTER;
    *state = m_state;
    return S_OK;
}

STDMETHODIMP PinlessFilter::SetSyncSource(IReferenceClock* pClock) {
    if (pClock)
        pClock->AddRef();
    if (m_pClock)
        m_pClock->Release();
    m_pClock = pClock;
    return S_OK;
}

STDMETHODIMP PinlessFilter::GetSyncSource(IReferenceClock** pClock) {
    if (!pClock)
        return E_POINTER;
    *pClock = m_pClock;
    if (m_pClock)
        m_pClock->AddRef();
    return S_OK;
}

STDMETHODIMP PinlessFilter::EnumPins(IEnumPins** ppEnum) {
    return HandOut(new (std::nothrow) EmptyPinEnum, IID_IEnumPins,
                   reinterpret_cast<void**>(ppEnum));
}

STDMETHODIMP PinlessFilter::FindPin(LPCWSTR, IPin** ppPin) {
    if (!ppPin)
        return E_POINTER;
    *ppPin = nullptr;
    return VFW_E_NOT_FOUND;
}

STDMETHODIMP PinlessFilter::QueryFilterInfo(FILTER_INFO* pInfo) {
    if (!pInfo)
        return E_POINTER;
    wcsncpy(pInfo->achName, m_name, MAX_FILTER_NAME - 1);
    pInfo->achName[MAX_FILTER_NAME - 1] = L'\0';
    pInfo->pGraph = m_pGraph;
    if (m_pGraph)
        m_pGraph->AddRef();
    return S_OK;
}

STDMETHODIMP PinlessFilter::JoinFilterGraph(IFilterGraph* pGraph, LPCWSTR pName) {
    m_pGraph = pGraph;
    m_name[0] = L'\0';
    if (pGraph && pName) {
        wcsncpy(m_name, pName, MAX_FILTER_NAME - 1);
        m_name[MAX_FILTER_NAME - 1] = L'\0';
    }
    return S_OK;
}

STDMETHODIMP PinlessFilter::QueryVendorInfo(LPWSTR* pVendorInfo) {
    if (pVendorInfo)
        *pVendorInfo = nullptr;
    return E_NOTIMPL;
}
