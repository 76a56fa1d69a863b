#pragma once
// Ties a vendor interface, which is a bare method table pointer, to the filter that
// implements it: the filter holds a binding whose first member is the interface, so a
// method that receives the interface pointer finds its filter again.
#include <VendorInterfaces.h>

#include <cstddef>

template <class Interface, class Owner> struct VendorBinding {
    Interface iface;
    Owner* owner;

    static Owner* OwnerOf(Interface* self) { return reinterpret_cast<VendorBinding*>(self)->owner; }
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
