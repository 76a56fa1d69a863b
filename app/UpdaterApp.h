#pragma once
// The application object. The program's whole life is InitInstance: it refuses to run
// beside another copy or beside the device's capture application, and otherwise runs
// the main dialog modally. InitInstance always returns FALSE, so no message loop of
// the application's own ever runs.
#include <windows.h>

#include "WinApp.h"

// Held by the running updater; a second copy finds it and ends.
inline constexpr char kInstanceMutexName[] = "VELMORA_DIALOG_MUTEX";
// The whole title of the capture application's main window. While that application
// has the device, the updater brings it forward instead of running.
inline constexpr char kCaptureWindowTitle[] = "Corvane - Mpeg Capture";

class CUpdaterApp : public CWinApp {
public:
    BOOL InitInstance() override;
    int ExitInstance() override;

private:
    HANDLE m_hMutex = nullptr;

    DECLARE_MESSAGE_MAP()
};
