#pragma once
// Tells the user that the device cannot be reached at all. Shown once, before the main
// dialog appears; OK, Escape and the close box end it. It has no data to exchange.
#include "app/resource.h"
#include "framework/Dialog.h"

class CDeviceWarningDlg : public CDialog {
public:
    enum { IDD = IDD_DEVICE_WARNING };

    explicit CDeviceWarningDlg(CWnd* pParent = nullptr) : CDialog(IDD, pParent) {}
};
