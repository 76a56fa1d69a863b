#pragma once
// The device link over a real filter graph manager. Each filter slot, one per role of
// kVendorFilters, is null or holds one reference owned by the link. The graph is only a container:
// its filters are never connected and it is never run.
#include "device/DeviceLink.h"
#include "device/VendorFilters.h"

class CGraphDeviceLink : public CDeviceLink {
public:
    CGraphDeviceLink() = default;
    ~CGraphDeviceLink() override;

    int Open(int nConfig, int nReserved) override;
    int Command(int nCode, void* pArg) override;
    int ShowPropertyPages(int nCode, void* pArg) override;
    void Close() override;

protected:
    // Creates the filter clsid and adds it to the graph under szName; the graph keeps
    // the only reference. S_OK or the failure status.
    HRESULT AddVendorFilter(REFCLSID clsid, const char* szName);
    // The graph's filter named szName with a new reference for the caller, or null.
    IBaseFilter* FindFilter(const char* szName);
    // Removes the slot's filter from the graph and releases it until its count is 0, or
    // until a release no longer lowers the count (a filter that never reports 0).
    void DropFilter(IBaseFilter*& pSlot);

    IBaseFilter* m_pFilters[kFilterRoleCount] = {};

private:
    // Gives up the link's one reference to a filter that Close leaves in its slot.
    void ReleaseSlot(IBaseFilter*& pSlot);
};
