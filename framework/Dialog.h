// CDialog: a dialog from a resource template of the program, run modally (DoModal). Its
// window's messages go through the message map of the derived class, then through
// CDialog's own: IDOK runs OnOK; IDCANCEL (Escape, the Cancel
// button) and WM_CLOSE (the close box, the system menu's Close, Alt+F4) run OnCancel.
// A derived class can refuse to close by overriding OnCancel.
#pragma once

#include <windows.h>

#include "DataExchange.h"
#include "Wnd.h"

class CDialog : public CWnd {
public:
    explicit CDialog(UINT templateId, CWnd* parent = nullptr);

    // Runs the dialog until EndDialog; returns the end code, or -1 when the dialog
    // could not be created.
    virtual INT_PTR DoModal();
    // Ends the dialog: DoModal returns `result`.
    void EndDialog(int result);

protected:
    // Runs the initial exchange (members into controls). TRUE lets the dialog set the
    // focus on its first control.
    virtual BOOL OnInitDialog();
    // Reads the controls back into the members, then ends the dialog with IDOK.
    virtual void OnOK();
    // Ends the dialog with IDCANCEL.
    virtual void OnCancel();

    const MessageMap* GetMessageMap() const override;

private:
    static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

    UINT m_templateId;
    CWnd* m_pParentWnd;
};
