#include "UpdaterApp.h"

#include "UpdaterDlg.h"

const MessageMap* CUpdaterApp::GetMessageMap() const {
    static const MessageMapEntry entries[] = {
        OnCommand<&CWinApp::OnHelp>(ID_HELP),
    };
    static const MessageMap map(CWinApp::GetMessageMap(), entries);
    return &map;
}

BOOL CUpdaterApp::InitInstance() {
    m_hMutex = CreateMutexA(nullptr, TRUE, kInstanceMutexName);
    if (GetLastError() == ERROR_ALREADY_EXISTS)
        return FALSE;

    AfxEnableControlContainer();
    Enable3dControls();

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
