#pragma once
// Issues one command the way the dialog thread does: on the held link if there is one,
// else on a link made, opened and deleted for this command alone.
#include "device/DeviceLink.h"

// A held link (pLink not null) is used and kept. Otherwise a CGraphDeviceLink is
// stored in pLink, opened in nConfig (the result is not tested: a command on a link
// that did not open simply fails), used, deleted, and pLink is set to null.
// Returns the command's result.
int OneShotCommand(CDeviceLink*& pLink, int nConfig, int nCode, void* pArg);
