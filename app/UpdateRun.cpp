// The update run: from the press of Update, through the flash worker thread, to the
// verdict. The dialog thread prepares and judges the image, the worker has the device
// program the flash, and the completion reads the version back and cleans up.
#include "UpdaterDlg.h"

#include <cstring>
#include <new>

#include "File.h"
#include "GraphDeviceLink.h"
#include "ImageCheck.h"
#include "Thread.h"
#include "UpdateThreadArgs.h"

UpdateThreadArgs g_updateThreadArgs;
UpdateWorkerReport g_updateWorkerReport;

namespace {

// Shown by Windows when the user logs off or shuts down while the flash is written.
const wchar_t kShutdownBlockReason[] = L"Updating device firmware";

} // namespace

UINT UpdateThreadProc(LPVOID param) {
    auto* pArgs = static_cast<UpdateThreadArgs*>(param);
    // The worker creates its own filter graph, which needs COM on this thread.
    HRESULT hrCom = CoInitialize(nullptr);

    // Without a link object the flash simply fails; the dialog must still hear of it,
    // or it would wait for the worker for ever.
    int nResult = 0;
    if (CDeviceLink* pLink = new (std::nothrow) CGraphDeviceLink) {
        pLink->Open(CONFIG_SOURCE_SPLITTER, 0);
        nResult = pLink->Command(CMD_FLASH_UPDATE, param);
        delete pLink;
    }
    if (SUCCEEDED(hrCom))
        CoUninitialize();

    g_updateWorkerReport.result = nResult;
    g_updateWorkerReport.finished = true;
    PostMessageA(pArgs->hNotifyWnd, WM_UPDATE_DONE, static_cast<WPARAM>(nResult), 0);
    return static_cast<UINT>(nResult);
}

void CUpdaterDlg::OnUpdateClicked() {
    // Only a press of the enabled button starts a run. A click posted by another program
    // while it is disabled (during the run, or after the one run a program start allows)
    // must not reach the device or touch the log.
    if (!m_btnUpdate.IsWindowEnabled())
        return;

    // An early stop leaves Update disabled for the rest of the program run.
    auto endRunEarly = [this](const char* message) {
        ClearStatus();
        AppendStatus(message);
        m_btnUpdate.EnableWindow(FALSE);
        m_btnAbout.EnableWindow(TRUE);
        m_btnExit.EnableWindow(TRUE);
    };

    ClearStatus();
    AppendStatus("Please wait...\r\n");
    m_progress.SetPos(0);
    m_btnUpdate.EnableWindow(FALSE);
    m_btnAbout.EnableWindow(FALSE);
    m_btnExit.EnableWindow(FALSE);
    RepaintNow();

    if (DeviceCommand(CMD_CHECK_READY, nullptr) == 0) {
        endRunEarly("USB Device is Not Ready!!\r\n");
        return;
    }

    ImageVerdict verdict =
        PrepareFirmwareImage(m_szFirmwarePath, m_szStagingPath, m_strNewVersion.c_str());
    if (verdict != ImageVerdict::NotOpened)
        std::memcpy(g_updateThreadArgs.szStagingPath, m_szStagingPath,
                    sizeof g_updateThreadArgs.szStagingPath);
    switch (verdict) {
    case ImageVerdict::NotOpened:
    case ImageVerdict::StagingFailed:
        // A partial or stale staging file must never reach the device.
        endRunEarly("File access error. ");
        return;
    case ImageVerdict::Refused:
        endRunEarly("File version error. ");
        return;
    case ImageVerdict::Accepted:
        break;
    }

    SetDlgItemText(IDC_NEW_VERSION, m_strNewVersion.c_str());
    ClearStatus();
    AppendStatus("Updating Flash... ");

    g_updateThreadArgs.hNotifyWnd = GetSafeHwnd();
    g_updateWorkerReport.finished = false;
    if (!AfxBeginThread(UpdateThreadProc, &g_updateThreadArgs, 0, 0, 0, nullptr)) {
        endRunEarly("Ready...\r\n");
        return;
    }

    // Until WM_UPDATE_DONE: no closing, no log-off or shutdown, no sleep.
    m_bUpdateRunning = true;
    ShutdownBlockReasonCreate(GetSafeHwnd(), kShutdownBlockReason);
    SetThreadExecutionState(ES_CONTINUOUS | ES_SYSTEM_REQUIRED);
    SetTimer(TIMER_PROGRESS, PROGRESS_PERIOD_MS, nullptr);
}

LRESULT CUpdaterDlg::OnUpdateDone(WPARAM, LPARAM) {
    // Only the worker of this run, once it has finished, ends the run, and its result comes
    // from its report: a message forged by another program (mid-flash it would delete the
    // staging file the device is reading and let Exit end the program) changes nothing.
    if (!m_bUpdateRunning || !g_updateWorkerReport.finished)
        return 0;
    const int nResult = g_updateWorkerReport.result;

    KillTimer(TIMER_PROGRESS);
    m_progress.SetPos(100);
    DeselectStatus();
    AppendStatus("Done!\r\n");

    if (nResult == 1) {
        m_strCurrentVersion = kErasedVersion;
        SetDlgItemText(IDC_CURRENT_VERSION, m_strCurrentVersion.c_str());
        AppendStatus("Verifing Flash Version...\r\n");
        ReadFlashVersion();
        RepaintNow();
        ClearStatus();
        AppendStatus("Update OK.\r\n");
    } else {
        AppendStatus("Update NG.\r\n");
    }

    m_btnUpdate.EnableWindow(FALSE);
    m_btnAbout.EnableWindow(TRUE);
    m_btnExit.EnableWindow(TRUE);
    m_progress.SetPos(0);

    // The verdict is on screen; a staging file that cannot be deleted changes nothing.
    try {
        CFile::Remove(m_szStagingPath);
    } catch (const CFileException&) {
    }

    m_bUpdateRunning = false;
    SetThreadExecutionState(ES_CONTINUOUS);
    ShutdownBlockReasonDestroy(GetSafeHwnd());
    return 1;
}

void CUpdaterDlg::OnOK() {
    // Exit is disabled for the whole run, so this refuses Enter and forged clicks too.
    if (m_btnExit.IsWindowEnabled())
        CDialog::OnOK();
}

void CUpdaterDlg::OnCancel() {
    if (!m_bUpdateRunning)
        CDialog::OnCancel();
}

BOOL CUpdaterDlg::OnQueryEndSession() {
    return m_bUpdateRunning ? FALSE : TRUE;
}
