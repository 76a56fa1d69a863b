// CWinApp: the program's one application object, a global of a derived class. The
// program's entry point (AppMain.cpp, linked only into the program as target
// zrc_framework_main) finds it, calls InitInstance and then ExitInstance, and ends the
// process with ExitInstance's result. No message loop runs outside InitInstance: the
// program does its work there, typically in a modal dialog.
#pragma once

#include <windows.h>

#include "framework/MessageMap.h"

class CWnd;

constexpr UINT ID_HELP = 0xE146;

class CWinApp : public CCmdTarget {
public:
    // Registers the object as the application; there is one per program.
    CWinApp();
    ~CWinApp() override;
    CWinApp(const CWinApp&) = delete;
    CWinApp& operator=(const CWinApp&) = delete;

    // The program's work. The result is not used: ExitInstance follows either way.
    virtual BOOL InitInstance() { return FALSE; }
    // The process exit code.
    virtual int ExitInstance() { return 0; }

    // Kept for start-up code written for older systems: controls look 3-D everywhere now.
    BOOL Enable3dControls() { return TRUE; }

    // ID_HELP: the program ships no help file, so the request is acknowledged and ignored.
    void OnHelp() {}

    CWnd* m_pMainWnd = nullptr;

protected:
    const MessageMap* GetMessageMap() const override;
};

// The application object, or null when the program has none.
CWinApp* AfxGetApp();

// Hosting of ActiveX controls needs no set-up in this layer.
inline void AfxEnableControlContainer() {}
