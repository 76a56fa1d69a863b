#pragma once
// The application object. The program's whole life is InitInstance: it refuses to run
// beside another copy or beside the device's capture application, and otherwise runs
// the main dialog modally. InitInstance always returns FALSE, so no message loop of
// the application's own ever runs.
#include <windows.h>

#include "framework/WinApp.h"

class CUpdaterApp : public CWinApp {
public:
    BOOL InitInstance() override;
    int ExitInstance() override;

private:
    HANDLE m_hMutex = nullptr;

    DECLARE_MESSAGE_MAP()
};
