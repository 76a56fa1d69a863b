#pragma once
// The simulated filters whose private interface offers only a version string: the
// Splitter and the Sink. They differ in their role and in the layout of their method
// table, which a traits class names.
#include "sim/PinlessFilter.h"
#include "sim/ServerLock.h"
#include "sim/SimDevice.h"
#include "sim/VendorBinding.h"

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
        if (riid == VendorFilterOf(Traits::kRole).privateId)
            return &m_private;
        return PinlessFilter::FindInterface(riid);
    }

private:
    using Binding = VendorBinding<VersionFilter>;

    VersionFilter()
        : PinlessFilter(VendorFilterOf(Traits::kRole).classId), m_private{MethodTable(), this} {}

    static const MethodTableType* MethodTable() {
        static const MethodTableType table = [] {
            MethodTableType t = {};
            Binding::template ForwardUnknown<Interface>(t);
            Traits::FillUnusedSlots(t);
            t.GetVersionString = GetVersionString;
            return t;
        }();
        return &table;
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
    static constexpr FilterRole kRole = FilterRole::Splitter;
    static void FillUnusedSlots(MethodTable& t) { ::FillUnusedSlots(t.unusedSlots3To24); }
};

struct SinkFilterTraits {
    using Interface = ISinkPrivate;
    using MethodTable = ISinkPrivateVtbl;
    static constexpr FilterRole kRole = FilterRole::Sink;
    static void FillUnusedSlots(MethodTable& t) { FillUnusedSlot(t.unusedSlot3); }
};

using SplitterFilter = VersionFilter<SplitterFilterTraits>;
using SinkFilter = VersionFilter<SinkFilterTraits>;
