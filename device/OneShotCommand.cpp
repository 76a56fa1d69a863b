#include "device/OneShotCommand.h"

#include "device/GraphDeviceLink.h"

int OneShotCommand(CDeviceLink*& pLink, int nConfig, int nCode, void* pArg) {
    if (pLink)
        return pLink->Command(nCode, pArg);

    pLink = new CGraphDeviceLink;
    pLink->Open(nConfig, 0);
    int result = pLink->Command(nCode, pArg);
    delete pLink;
    pLink = nullptr;
    return result;
}
