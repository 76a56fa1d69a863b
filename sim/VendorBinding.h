#pragma once
// Ties a vendor interface, which is a bare method table pointer, to the object that
// implements it: the object holds a binding whose first member is the method table, so
// a method that receives the interface pointer finds its owner again. The binding's
// IUnknown methods are the owner's QueryInterface, AddRef and Release.
#include "device/VendorInterfaces.h"

#include <cstddef>

template <class Owner> struct VendorBinding {
    const void* lpVtbl; // the interface as the vendor's callers see it
    Owner* owner;

    template <class I> static Owner* OwnerOf(I* self) {
        return reinterpret_cast<VendorBinding*>(self)->owner;
    }
    // Points the IUnknown slots of the method table of interface I at the owner's.
    template <class I, class Methods> static void ForwardUnknown(Methods& methods) {
        methods.QueryInterface = QueryInterface<I>;
        methods.AddRef = AddRef<I>;
        methods.Release = Release<I>;
    }

private:
    template <class I>
    static HRESULT STDMETHODCALLTYPE QueryInterface(I* self, REFIID riid, void** ppv) {
        return OwnerOf(self)->QueryInterface(riid, ppv);
    }
    template <class I> static ULONG STDMETHODCALLTYPE AddRef(I* self) {
        return OwnerOf(self)->AddRef();
    }
    template <class I> static ULONG STDMETHODCALLTYPE Release(I* self) {
        return OwnerOf(self)->Release();
    }
};

// Fills the method slots that the device's callers never use. Their argument lists are
// not known, so they only report that they are not implemented.
HRESULT STDMETHODCALLTYPE VendorSlotNotImplemented(void* self);

template <std::size_t N> void FillUnusedSlots(VendorSlot (&slots)[N]) {
    for (VendorSlot& slot : slots)
        slot = reinterpret_cast<VendorSlot>(&VendorSlotNotImplemented);
}

inline void FillUnusedSlot(VendorSlot& slot) {
    slot = reinterpret_cast<VendorSlot>(&VendorSlotNotImplemented);
}
