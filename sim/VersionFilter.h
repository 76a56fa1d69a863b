#pragma once
// The simulated filters whose private interface offers only a version string: the
// Splitter and the Sink. They differ in identifiers and in the layout of their method
// table, which a traits class names.
#include "PinlessFilter.h"
#include "ServerLock.h"
#include "SimDevice.h"
#include "VendorBinding.h"

#include <cstdio>

template <class Traits> class VersionFilter : public PinlessFilter {
public:
    using Interface = typename Traits::Interface;
    using MethodTableType = typename Traits::MethodTable;

    static HRESULT Create(REFIID riid, void** ppv) {
        return NoThrow([&] {
            HRESULT status = SimDevice().CreationStatus(Traits::kRole);
            if (FAILED(status))
                return status;
            return HandOut(new (std::nothrow) VersionFilter, riid, ppv);
        });
    }

protected:
    void* FindInterface(REFIID riid) override {
        if (riid == Traits::kInterfaceId)
            return &m_private.iface;
        return PinlessFilter::FindInterface(riid);
    }

private:
    using Binding = VendorBinding<Interface, VersionFilter>;

    VersionFilter() : PinlessFilter(Traits::kClassId), m_private{{MethodTable()}, this} {}

    static const MethodTableType* MethodTable() {
        static const MethodTableType table = [] {
            MethodTableType t = {};
            t.QueryInterface = QueryInterfaceThunk;
            t.AddRef = AddRefThunk;
            t.Release = ReleaseThunk;
            Traits::FillUnusedSlots(t);
            t.GetVersionString = GetVersionString;
            return t;
        }();
        return &table;
    }

    static HRESULT STDMETHODCALLTYPE QueryInterfaceThunk(Interface* self, REFIID riid, void** ppv) {
        return Binding::OwnerOf(self)->QueryInterface(riid, ppv);
    }
    static ULONG STDMETHODCALLTYPE AddRefThunk(Interface* self) {
        return Binding::OwnerOf(self)->AddRef();
    }
    static ULONG STDMETHODCALLTYPE ReleaseThunk(Interface* self) {
        return Binding::OwnerOf(self)->Release();
    }
    static HRESULT STDMETHODCALLTYPE GetVersionString(Interface* self, char** text) {
        if (!text)
            return E_POINTER;
        VersionFilter* filter = Binding::OwnerOf(self);
        return NoThrow([&] {
            std::snprintf(filter->m_versionText, sizeof(filter->m_versionText), "%s",
                          SimDevice().VersionString(Traits::kRole).c_str());
            *text = filter->m_versionText;
            return S_OK;
        });
    }

    ServerLock m_serverLock;
    Binding m_private;
    // The version text handed out stays owned by the filter until the next call.
    char m_versionText[256] = {};
};

struct SplitterFilterTraits {
    using Interface = ISplitterPrivate;
    using MethodTable = ISplitterPrivateVtbl;
    static constexpr const CLSID& kClassId = CLSID_ZrcSplitter;
    static constexpr const IID& kInterfaceId = IID_ISplitterPrivate;
    static constexpr SimFilterRole kRole = SimFilterRole::Splitter;
    static void FillUnusedSlots(MethodTable& t) { ::FillUnusedSlots(t.unusedSlots3To24); }
};

struct SinkFilterTraits {
    using Interface = ISinkPrivate;
    using MethodTable = ISinkPrivateVtbl;
    static constexpr const CLSID& kClassId = CLSID_ZrcSink;
    static constexpr const IID& kInterfaceId = IID_ISinkPrivate;
    static constexpr SimFilterRole kRole = SimFilterRole::Sink;
    static void FillUnusedSlots(MethodTable& t) { FillUnusedSlot(t.unusedSlot3); }
};

using SplitterFilter = VersionFilter<SplitterFilterTraits>;
using SinkFilter = VersionFilter<SinkFilterTraits>;
