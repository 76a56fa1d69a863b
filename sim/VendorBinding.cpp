#include "sim/VendorBinding.h"

HRESULT STDMETHODCALLTYPE VendorSlotNotImplemented(void*) {
    return E_NOTIMPL;
}
