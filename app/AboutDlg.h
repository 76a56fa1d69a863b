#pragma once
// The About box: the device's microcode version and the version strings of the driver
// filters, as the main dialog read them when it opened. OK, Escape and the close box
// end it.
#include <string>

#include "app/resource.h"
#include "framework/Dialog.h"

class CAboutDlg : public CDialog {
public:
    enum { IDD = IDD_ABOUTBOX };

    // pParent: the window the box is modal over, disabled while the box is shown.
    explicit CAboutDlg(CWnd* pParent = nullptr);

    // Shown in the box's static lines; all empty until the caller fills them.
    std::string m_strAppVersion;
    std::string m_strMicrocodeVersion;
    std::string m_strSourceVersion;
    std::string m_strSplitterVersion;
    std::string m_strSinkVersion;

protected:
    void DoDataExchange(CDataExchange* pDX) override;
};
