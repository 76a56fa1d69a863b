// The one-time device check and the version gate of the main dialog.
#include "app/UpdaterDlg.h"

#include <cstdio>

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

    bool bAllowed = m_strAcceptedVersion == kAnyVersion || m_strCurrentVersion == kErasedVersion ||
                    m_strCurrentVersion == m_strAcceptedVersion ||
                    m_strCurrentVersion == m_strNewVersion;
    if (bAllowed) {
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

    if (nResult == 0) {
        // A failed read delivers no word; showing a made-up version could open the gate.
        m_strCurrentVersion = kNoVersion;
    } else {
        char szVersion[8] = {};
        std::snprintf(szVersion, sizeof szVersion, "%04X",
                      static_cast<unsigned>(dwFlashWord & 0xFFFF));
        m_strCurrentVersion = szVersion;
        if (m_strCurrentVersion == "FFFF")
            m_strCurrentVersion = kErasedVersion;
    }

    ShowVersion(IDC_CURRENT_VERSION);
    m_runLog.Note("flash version word 0x%08lx, shown as %s", nResult ? dwFlashWord : 0UL,
                  m_strCurrentVersion.c_str());
    return nResult;
}
