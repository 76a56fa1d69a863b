#include "app/UpdaterApp.h"

#include "app/UpdaterDlg.h"
#include "app/UpdaterIdentity.h"

namespace {

// A framework call on a window never attached does nothing, as it always did; the main
// dialog notes it in its run log for the maker's support.
void NoteUnattached(const char* call) {
    if (CWnd* pMainWnd = AfxGetApp()->m_pMainWnd)
        static_cast<CUpdaterDlg*>(pMainWnd)->NoteUnattached(call);
}

} // namespace

const MessageMap* CUpdaterApp::GetMessageMap() const {
    static const MessageMapEntry entries[] = {
        OnCommand<&CWinApp::OnHelp>(ID_HELP),
    };
    static const MessageMap map(CWinApp::GetMessageMap(), entries);
    return &map;
}

BOOL CUpdaterApp::InitInstance() {
    m_hMutex = CreateMutexA(nullptr, TRUE, kInstanceMutexName);
    // No mutex at all (the name taken by an object of another kind, or by a copy started
    // with rights this one lacks) is taken like another copy: two updaters must never
    // reach one device.
    if (!m_hMutex || GetLastError() == ERROR_ALREADY_EXISTS)
        return FALSE;

    AfxEnableControlContainer();
    Enable3dControls();

    if (HWND capture = FindWindowA(nullptr, kCaptureWindowTitle)) {
        // A minimized window raised in the Z order still shows nothing: restore it first,
        // so the user sees why the updater did not start. Both asynchronously: a window of
        // another process is moved by that process, and a capture application that does
        // not answer must not hold the updater.
        if (IsIconic(capture))
            ShowWindowAsync(capture, SW_RESTORE);
        SetWindowPos(capture, HWND_TOP, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_ASYNCWINDOWPOS);
        return FALSE;
    }

    // The device reads block the dialog thread for seconds. Windows would turn the window
    // into a "Not Responding" ghost and offer to end the program, which mid-update is the
    // worst advice; the dialog paints each status before it blocks instead.
    DisableProcessWindowsGhosting();

    CUpdaterDlg dlg(nullptr);
    m_pMainWnd = &dlg;
    AfxSetPreconditionHandler(&NoteUnattached);
    dlg.DoModal();
    m_pMainWnd = nullptr;
    return FALSE;
}

int CUpdaterApp::ExitInstance() {
    ReleaseMutex(m_hMutex);
    return CWinApp::ExitInstance();
}
