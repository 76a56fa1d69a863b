// The update run: from the press of Update, through the flash worker thread, to the
// verdict. The dialog thread prepares and judges the image, the worker has the device
// program the flash, and the completion reads the version back and cleans up.
#include "app/UpdaterDlg.h"

#include <cstring>
#include <new>

#include "app/RunDecisions.h"
#include "app/UpdateThreadArgs.h"
#include "device/GraphDeviceLink.h"
#include "firmware/ImageCheck.h"
#include "firmware/ShippedFirmware.h"
#include "framework/platform/File.h"
#include "framework/platform/Thread.h"

UpdateThreadArgs g_updateThreadArgs;
UpdateWorkerReport g_updateWorkerReport;

namespace {

// The run log's words for the image's verdict.
const char* ImageVerdictText(ImageVerdict verdict) {
    switch (verdict) {
    case ImageVerdict::NotOpened:
        return "not opened";
    case ImageVerdict::StagingFailed:
        return "staging file " ZRC_STAGING_FILE_NAME " not made or not as written";
    case ImageVerdict::Refused:
        return "refused";
    case ImageVerdict::Accepted:
        break;
    }
    return "accepted, staging file " ZRC_STAGING_FILE_NAME " checked";
}

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

void WaitForUpdateWorker() {
    // Polled: the worker's thread object deletes itself, so there is no handle to wait on.
    // The wait ends with the flash operation, which a device must end.
    while (!g_updateWorkerReport.finished)
        Sleep(100);
}

void CUpdaterDlg::OnUpdateClicked() {
    // Only from Ready: a click posted by another program, or on a button that another
    // program enabled, during or after the one run a program start allows does nothing.
    if (!RuleOf(m_state).update)
        return;

    // An early stop ends the attempt: Update stays disabled for the rest of the program run.
    auto endRunEarly = [this](const char* message) {
        ClearStatus();
        AppendStatus(message);
        EnterState(RunState::Finished);
    };

    ClearStatus();
    AppendStatus(kStatusPleaseWait);
    m_progress.SetPos(0);
    EnterState(RunState::Preparing);
    RepaintNow();

    if (DeviceCommand(CMD_CHECK_READY, nullptr) == 0) {
        endRunEarly(kRunEndNotReady);
        return;
    }

    ImageFacts image;
    ImageVerdict verdict =
        PrepareFirmwareImage(m_szFirmwarePath, m_szStagingPath, m_strNewVersion.c_str(), &image);
    m_runLog.Note("image " ZRC_FIRMWARE_IMAGE ": %llu bytes, version \"%s\", %s", image.length,
                  image.version, ImageVerdictText(verdict));
    if (verdict != ImageVerdict::NotOpened)
        std::memcpy(g_updateThreadArgs.szStagingPath, m_szStagingPath,
                    sizeof g_updateThreadArgs.szStagingPath);
    switch (verdict) {
    case ImageVerdict::NotOpened:
    case ImageVerdict::StagingFailed:
        // A partial or stale staging file must never reach the device.
        endRunEarly(kRunEndFileAccessError);
        return;
    case ImageVerdict::Refused:
        endRunEarly(kRunEndFileVersionError);
        return;
    case ImageVerdict::Accepted:
        break;
    }

    ShowVersion(IDC_NEW_VERSION);
    ClearStatus();
    AppendStatus(kStatusUpdatingFlash);

    g_updateThreadArgs.hNotifyWnd = GetSafeHwnd();
    g_updateWorkerReport.finished = false;
    if (!AfxBeginThread(UpdateThreadProc, &g_updateThreadArgs, 0, 0, 0, nullptr)) {
        endRunEarly(kRunEndNotStarted);
        return;
    }
    // Starts the progress timer. A worker that has already finished is heard of through
    // its message, handled once this handler has returned.
    m_dwFlashStart = GetTickCount();
    EnterState(RunState::Flashing);
}

LRESULT CUpdaterDlg::OnUpdateDone(WPARAM, LPARAM) {
    // Only the worker of this run, once it has finished, ends the run, and its result comes
    // from its report: a message posted by another program, mid-flash or after the run,
    // changes nothing.
    if (!RuleOf(m_state).worker || !g_updateWorkerReport.finished)
        return 0;
    CompleteRun();
    return 1;
}

void CUpdaterDlg::CompleteRun() {
    const int nResult = g_updateWorkerReport.result;
    const DWORD flashMs = GetTickCount() - m_dwFlashStart;
    m_runLog.Note("command %d: %d after %lu.%lu s", CMD_FLASH_UPDATE, nResult, flashMs / 1000,
                  flashMs % 1000 / 100);

    EnterState(RunState::Verifying); // stops the progress timer
    m_progress.SetPos(100);
    DeselectStatus();
    AppendStatus(kStatusDone);

    if (nResult == 1) {
        m_strCurrentVersion = kErasedVersion;
        ShowVersion(IDC_CURRENT_VERSION);
        AppendStatus(kStatusVerifying);
        ReadFlashVersion();
        RepaintNow();
        ClearStatus();
        AppendStatus(UpdateSucceeded(nResult, m_strCurrentVersion, m_strNewVersion)
                         ? kRunEndUpdateOk
                         : kRunEndUpdateNg,
                     CScreenReader::Urgency::Assertive);
    } else {
        AppendStatus(kRunEndUpdateNg, CScreenReader::Urgency::Assertive);
    }

    EnterState(RunState::Finished);
    m_progress.SetPos(0);
    RemoveStagingFile();
}

void CUpdaterDlg::RemoveStagingFile() {
    // The device has done with it; one that cannot be deleted changes nothing.
    try {
        CFile::Remove(m_szStagingPath);
    } catch (const CFileException&) {
    }
}

void CUpdaterDlg::OnProgressTick() {
    if (m_progress.GetPos() < 100)
        m_progress.StepIt();
    // The worker's own message can be lost (a full message queue): its report ends the run
    // at the next tick as well.
    if (g_updateWorkerReport.finished)
        CompleteRun();
}

void CUpdaterDlg::OnOK() {
    if (!RuleOf(m_state).guarded)
        CDialog::OnOK();
}

void CUpdaterDlg::OnCancel() {
    if (!RuleOf(m_state).guarded)
        CDialog::OnCancel();
}

bool CUpdaterDlg::HoldsQuit() const {
    return RuleOf(m_state).guarded;
}

BOOL CUpdaterDlg::OnQueryEndSession() {
    return RuleOf(m_state).guarded ? FALSE : TRUE;
}

void CUpdaterDlg::OnEndSession(BOOL bEnding) {
    // Windows sends it; one posted by another program, or a session that goes on, changes
    // nothing.
    if (!bEnding || !InSendMessage() || !RuleOf(m_state).guarded)
        return;
    m_runLog.Note("session ends in state %s", RuleOf(m_state).name);
    // Windows ends the program once this returns: the flash gets all the time it still
    // gives.
    if (RuleOf(m_state).worker)
        OutwaitFlash("as the session ended");
}

void CUpdaterDlg::OutwaitFlash(const char* occasion) {
    WaitForUpdateWorker();
    m_runLog.Note("the flash ended %s: %d", occasion, g_updateWorkerReport.result.load());
    RemoveStagingFile();
}
