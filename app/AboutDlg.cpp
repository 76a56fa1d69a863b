#include "app/AboutDlg.h"

CAboutDlg::CAboutDlg(CWnd* pParent) : CDialog(IDD, pParent) {}

void CAboutDlg::DoDataExchange(CDataExchange* pDX) {
    CDialog::DoDataExchange(pDX);
    DDX_Text(pDX, IDC_APP_VERSION, m_strAppVersion);
    DDX_Text(pDX, IDC_MICROCODE_VERSION, m_strMicrocodeVersion);
    DDX_Text(pDX, IDC_SOURCE_VERSION, m_strSourceVersion);
    DDX_Text(pDX, IDC_SPLITTER_VERSION, m_strSplitterVersion);
    DDX_Text(pDX, IDC_SINK_VERSION, m_strSinkVersion);
}
