#include "app/AboutDlg.h"

#include "app/AboutLines.h"
#include "app/UpdaterDlg.h"

CAboutDlg::CAboutDlg(CWnd* pParent) : CDialog(IDD, pParent) {}

void CAboutDlg::DoDataExchange(CDataExchange* pDX) {
    CDialog::DoDataExchange(pDX);
    DDX_Text(pDX, IDC_APP_VERSION, m_strAppVersion);
    DDX_Text(pDX, IDC_MICROCODE_VERSION, m_strMicrocodeVersion);
    DDX_Text(pDX, IDC_SOURCE_VERSION, m_strSourceVersion);
    DDX_Text(pDX, IDC_SPLITTER_VERSION, m_strSplitterVersion);
    DDX_Text(pDX, IDC_SINK_VERSION, m_strSinkVersion);
}

void CUpdaterDlg::OnAbout() {
    // A click posted by another program before the device check or during a run shows
    // nothing.
    if (!AboutAllowed(m_state))
        return;
    // Owned by the main dialog, so that the main dialog cannot be used behind it.
    CAboutDlg about(this);
    AboutLine line;

    FormatMicrocodeLine(m_dwMicrocodeVersion, line);
    about.m_strMicrocodeVersion = line;

    const FilterVersionBlock& versions = m_filterVersions;
    FormatFilterLine("Source Filter ", versions.szSourceVersion, sizeof versions.szSourceVersion,
                     line);
    about.m_strSourceVersion = line;
    FormatFilterLine("Splitter Filter ", versions.szSplitterVersion,
                     sizeof versions.szSplitterVersion, line);
    about.m_strSplitterVersion = line;
    FormatFilterLine("Sink Filter ", versions.szSinkVersion, sizeof versions.szSinkVersion, line);
    about.m_strSinkVersion = line;

    about.DoModal();
}
