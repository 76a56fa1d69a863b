#pragma once
// A DirectShow filter without pins: enough for a filter graph manager to add it,
// find it by name, set its state and remove it. The simulated device's filters and
// the tests' fake filters derive from it and answer their own interfaces.
#include <windows.h>
#include <strmif.h>

#include "sim/ComObject.h"

class PinlessFilter : public ComObject<IBaseFilter> {
public:
    explicit PinlessFilter(REFCLSID clsid);

    // IPersist
    STDMETHODIMP GetClassID(CLSID* pClassID) override;
    // IMediaFilter
    STDMETHODIMP Stop() override;
    STDMETHODIMP Pause() override;
    STDMETHODIMP Run(REFERENCE_TIME tStart) override;
    STDMETHODIMP GetState(DWORD dwMilliSecsTimeout, FILTER_STATE* state) override;
    STDMETHODIMP SetSyncSource(IReferenceClock* pClock) override;
    STDMETHODIMP GetSyncSource(IReferenceClock** pClock) override;
    // IBaseFilter
    STDMETHODIMP EnumPins(IEnumPins** ppEnum) override;
    STDMETHODIMP FindPin(LPCWSTR Id, IPin** ppPin) override;
    STDMETHODIMP QueryFilterInfo(FILTER_INFO* pInfo) override;
    STDMETHODIMP JoinFilterGraph(IFilterGraph* pGraph, LPCWSTR pName) override;
    STDMETHODIMP QueryVendorInfo(LPWSTR* pVendorInfo) override;

    // The graph that the filter has joined, or null; the graph is not referenced.
    IFilterGraph* Graph() const { return m_pGraph; }

protected:
    ~PinlessFilter() override;
    // The filter's interfaces; a derived filter adds its own and passes the rest on here.
    void* FindInterface(REFIID riid) override;

private:
    CLSID m_clsid;
    FILTER_STATE m_state = State_Stopped;
    IFilterGraph* m_pGraph = nullptr;
    IReferenceClock* m_pClock = nullptr;
    WCHAR m_name[MAX_FILTER_NAME] = {};
};
