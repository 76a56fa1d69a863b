// The one-time device check and the version gate of the main dialog.
#include "app/UpdaterDlg.h"

#include "app/RunDecisions.h"

void CUpdaterDlg::OnDeviceCheckDue() {
    // Leaving CheckDue stops the timer before the check rather than after it: the check
    // runs once per program start, and a tick posted by another program later, or during a
    // check that pumps messages, finds another state.
    EnterState(RunState::Checking);
    CheckDevice();
}

int CUpdaterDlg::CheckDevice() {
    ClearStatus();
    AppendStatus(kStatusDeviceCheck);
    RepaintNow();

    int nReady = DeviceCommand(CMD_CHECK_READY, nullptr);
    if (nReady == 0) {
        AppendStatus(kStatusCheckNotReady);
        EnterState(RunState::Refused);
        return 0;
    }

    DeselectStatus();
    AppendStatus(kStatusCheckingFlash);
    RepaintNow();

    ReadFlashVersion();

    RepaintNow();
    ClearStatus();

    if (VersionGateOpen(m_strCurrentVersion, m_strAcceptedVersion, m_strNewVersion)) {
        AppendStatus(kStatusReady);
        EnterState(RunState::Ready);
    } else {
        AppendStatus(kStatusVersionError);
        EnterState(RunState::Refused);
    }

    RepaintNow();
    return nReady;
}

int CUpdaterDlg::ReadFlashVersion() {
    DWORD dwFlashWord = 0;
    int nResult = DeviceCommand(CMD_READ_FLASH_VERSION, &dwFlashWord);
    m_strCurrentVersion = ShownFlashVersion(nResult, dwFlashWord);
    ShowVersion(IDC_CURRENT_VERSION);
    m_runLog.Note("flash version word 0x%08lx, shown as %s", nResult ? dwFlashWord : 0UL,
                  m_strCurrentVersion.c_str());
    return nResult;
}
