#include "DeviceWarningDlg.h"

CDeviceWarningDlg::CDeviceWarningDlg(CWnd* pParent) : CDialog(IDD, pParent) {}

void CDeviceWarningDlg::DoDataExchange(CDataExchange* pDX) {
    CDialog::DoDataExchange(pDX);
}
