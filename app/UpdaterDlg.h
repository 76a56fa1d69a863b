#pragma once
// The updater's main window: current and new firmware version, a status log, a progress
// bar and the buttons Update, About and Exit. It reads the device's data when it opens,
// checks the device once a second later, and runs at most one update per program run.
//
// The dialog holds a device link only while it opens; every later command goes through
// a link made for that one command (see OneShotCommand.h).
//
// One state decides what each handler may do: its row in RunRules.h, which EnterState
// applies; the decisions themselves are plain functions (RunDecisions.h).
//
// Defined in three files, one per concern:
//   UpdaterDlg.cpp   the window: construction, opening and closing, the data exchange,
//                    the states, the timers' dispatch, painting, the status log, the
//                    versions shown and the About box's showing (OnAbout);
//   DeviceCheck.cpp  the device check and version gate: its tick, CheckDevice and
//                    ReadFlashVersion;
//   UpdateRun.cpp    the update run: OnUpdateClicked, the flash worker, the progress
//                    tick, OnUpdateDone and the completion, with the close, quit and
//                    end-of-session guards (OnOK, OnCancel, HoldsQuit, OnQueryEndSession,
//                    OnEndSession) and the wait for a worker the dialog outlived.
#include <windows.h>

#include <string>

#include "app/resource.h"
#include "app/RunRules.h"
#include "app/ScreenReader.h"
#include "app/UpdaterIdentity.h"
#include "app/UpdaterMessages.h"
#include "device/DeviceCommands.h"
#include "device/DeviceLink.h"
#include "diag/RunLog.h"
#include "firmware/StagingFile.h"
#include "framework/Controls.h"
#include "framework/Dialog.h"
#include "framework/Font.h"

class CUpdaterDlg : public CDialog {
public:
    enum { IDD = IDD_UPDATER_DIALOG };

    explicit CUpdaterDlg(CWnd* pParent = nullptr);
    ~CUpdaterDlg() override;

    // Notes in the run log a framework call on a window never attached (`call` names it).
    void NoteUnattached(const char* call);

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    void PostNcDestroy() override;
    BOOL OnInitDialog() override;
    // Exit, Enter, Escape and the close box are refused from the press of Update until
    // the verdict is on screen; a WM_QUIT waits until then.
    void OnOK() override;
    void OnCancel() override;
    bool HoldsQuit() const override;

    // Message handlers, in message-map order.
    void OnSysCommand(UINT nID, LPARAM lParam);
    void OnPaint();
    HICON OnQueryDragIcon();
    void OnTimer(UINT_PTR nIDEvent);
    void OnUpdateClicked();
    void OnAbout();
    LRESULT OnUpdateDone(WPARAM wParam, LPARAM lParam);
    // Holds off the end of the session while a run is in progress; should it end all the
    // same, waits for the flash before Windows ends the program.
    BOOL OnQueryEndSession();
    void OnEndSession(BOOL bEnding);
    // The window goes: screen readers' names are dropped while the controls still exist.
    void OnDestroy();

    // Enters a state and applies what it implies: the buttons it enables, where the
    // keyboard focus goes, the timer it runs and the guards against closing, log-off and
    // sleep while a run is in progress.
    void EnterState(RunState state);
    // TIMER_PROGRESS's tick during the flash: advances the bar, and ends the run once the
    // worker has reported, should its message be lost.
    void OnProgressTick();
    // The end of the flash, once the worker has reported that it finished: the read-back
    // and the verdict, taken from the worker's report.
    void CompleteRun();
    // Deletes the staging file after the flash; a failure is ignored.
    void RemoveStagingFile();
    // Waits for a flash whose end the window will not see (it has gone, or the session
    // ends), records the worker's result with `occasion` and removes the staging file.
    void OutwaitFlash(const char* occasion);

    // TIMER_DEVICE_CHECK's tick while the check is due: runs the check, once.
    void OnDeviceCheckDue();
    // Device check and version gate: run once by TIMER_DEVICE_CHECK. 0 when the
    // device is not ready, else the readiness command's result.
    int CheckDevice();
    // Reads the flash version word and shows its low 16 bits in IDC_CURRENT_VERSION.
    // The result of the read command; on failure the version shows as "----".
    int ReadFlashVersion();
    // Issues one device command through the held link or a one-shot link, and records it
    // with its result in the run log.
    int DeviceCommand(int nCode, void* pArg);

    // The status log. ClearStatus empties it; AppendStatus adds text at the caret and has
    // screen readers announce the new text (a verdict at once); DeselectStatus collapses a
    // selection to the caret; RepaintNow draws the dialog at once, before the next
    // blocking device call.
    void ClearStatus();
    void AppendStatus(const char* text,
                      CScreenReader::Urgency urgency = CScreenReader::Urgency::Polite);
    void DeselectStatus();
    void RepaintNow();
    // Shows m_strCurrentVersion in IDC_CURRENT_VERSION, or m_strNewVersion in
    // IDC_NEW_VERSION, and gives screen readers the label with the number.
    void ShowVersion(int nID);

    CFont* m_pUpdateFont; // owned; the Update button's bold font
    DWORD m_dwSourceWord = 0;
    // The link the dialog holds: only while it opens and during a single command.
    CDeviceLink* m_pLink = nullptr;
    char m_szFirmwarePath[PATH_BUFFER_LENGTH] = {};
    char m_szStagingPath[PATH_BUFFER_LENGTH] = {};
    // Read when the dialog opens, shown by the About box.
    DWORD m_dwMicrocodeVersion = 0;
    FilterVersionBlock m_filterVersions = {};
    CButton m_btnExit;
    CButton m_btnAbout;
    CProgressCtrl m_progress;
    CButton m_btnUpdate;
    CEdit m_editStatus;
    std::string m_strCurrentVersion;  // the device's flash version, as shown
    std::string m_strAcceptedVersion; // the one older version an update may start from
    std::string m_strNewVersion;      // the version this build installs
    // The application icon at the system's big and small icon sizes; owned, destroyed
    // with the dialog object.
    HICON m_hIcon;
    HICON m_hSmallIcon;
    RunState m_state = RunState::Opening;
    CScreenReader m_screenReader;
    // This program run's record for the maker's support, and when the flash began.
    CRunLog m_runLog;
    DWORD m_dwFlashStart = 0;
    // COM is released in PostNcDestroy only if OnInitDialog initialised it.
    bool m_bComInitialized = false;

    DECLARE_MESSAGE_MAP()
};
