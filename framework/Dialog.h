// CDialog: a dialog from a resource template of the program, run modally (DoModal). Its
// window's messages go through the message map of the derived class, then through
// CDialog's own: IDOK runs OnOK; IDCANCEL (Escape, the Cancel
// button) and WM_CLOSE (the close box, the system menu's Close, Alt+F4) run OnCancel.
// A derived class can refuse to close by overriding OnCancel, and hold off a WM_QUIT by
// overriding HoldsQuit.
//
// DoModal runs the framework's own message loop rather than Windows' modal loop, so that
// it sees a WM_QUIT before anything ends: Windows' loop ends the dialog at once.
#pragma once

#include <windows.h>

#include "framework/DataExchange.h"
#include "framework/Wnd.h"

class CDialog : public CWnd {
public:
    explicit CDialog(UINT templateId, CWnd* parent = nullptr);

    // Shows the dialog, with its owner (the parent given) disabled meanwhile, and runs its
    // messages until EndDialog or a WM_QUIT; then destroys it. Returns the end code, 0
    // after a WM_QUIT, which is posted again for the loop outside, or -1 when the dialog
    // could not be created.
    virtual INT_PTR DoModal();
    // Ends the dialog once the message being handled returns: DoModal returns `result`.
    void EndDialog(int result);

protected:
    // Runs the initial exchange (members into controls). TRUE lets the dialog set the
    // focus on its first control.
    virtual BOOL OnInitDialog();
    // Reads the controls back into the members, then ends the dialog with IDOK.
    virtual void OnOK();
    // Ends the dialog with IDCANCEL.
    virtual void OnCancel();
    // While true, a WM_QUIT that has reached the dialog's loop waits: the dialog keeps
    // running until this turns false, then ends, and the quit goes on.
    virtual bool HoldsQuit() const { return false; }

    const MessageMap* GetMessageMap() const override;

private:
    static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

    UINT m_templateId;
    CWnd* m_pParentWnd;
    bool m_bEnded = false;
    int m_nResult = 0;
};
