#include "UpdaterApp.h"

#include <commctrl.h>

#include "UpdaterDlg.h"

const MessageMap* CUpdaterApp::GetMessageMap() const {
    static const MessageMapEntry entries[] = {
        OnCommand<&CWinApp::OnHelp>(ID_HELP),
    };
    static const MessageMap map(CWinApp::GetMessageMap(), entries);
    return &map;
}

CUpdaterApp::CUpdaterApp() = default;

BOOL CUpdaterApp::InitInstance() {
    m_hMutex = CreateMutexA(nullptr, TRUE, kInstanceMutexName);
    if (GetLastError() == ERROR_ALREADY_EXISTS)
        return FALSE;

    AfxEnableControlContainer();
    Enable3dControls();
    // The dialog's progress bar is a common control.
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_PROGRESS_CLASS};
    InitCommonControlsEx(&controls);

    if (HWND capture = FindWindowA(nullptr, kCaptureWindowTitle)) {
        SetWindowPos(capture, HWND_TOP, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE);
        return FALSE;
    }

    CUpdaterDlg dlg(nullptr);
    m_pMainWnd = &dlg;
    dlg.DoModal();
    m_pMainWnd = nullptr;
    return FALSE;
}

int CUpdaterApp::ExitInstance() {
    ReleaseMutex(m_hMutex);
    return CWinApp::ExitInstance();
}
