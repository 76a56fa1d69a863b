// CWnd: a window handle with the calls the dialogs make on it. It does not own the window.
// A dialog's CWnd also receives the window's messages (see CDialog) and dispatches them
// through its message map; Default() then passes the current message on to the
// window's own procedure.
//
// Only Windows starts and ends a window: once attached, the window has been created, so
// WM_NCCREATE, WM_CREATE and WM_INITDIALOG can only come from another program, and only
// DestroyWindow lets WM_DESTROY and WM_NCDESTROY through. Any of them posted or sent
// from outside is dropped before the message map, the default handling or PostNcDestroy
// sees it.
#pragma once

#include <windows.h>

#include "framework/MessageMap.h"

class CDataExchange;

// Called when a member that needs a window (EnableWindow, SendMessage, SetTimer...) runs on
// a CWnd with none attached, such as a control that DoDataExchange never bound: once per
// object, with the member's name. The call then goes on as before, to Win32 with a null
// window, and does nothing; the handler must not end the program either, which may be
// in the middle of a flash. Without a handler (the default) nothing is reported.
using AfxPreconditionHandler = void (*)(const char* call);
// Sets the process's handler; the previous one is returned.
AfxPreconditionHandler AfxSetPreconditionHandler(AfxPreconditionHandler handler);

class CWnd : public CCmdTarget {
public:
    CWnd() = default;
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;

    HWND GetSafeHwnd() const { return m_hWnd; }

    BOOL EnableWindow(BOOL enable = TRUE) { return ::EnableWindow(Hwnd("EnableWindow"), enable); }
    BOOL IsWindowEnabled() const { return ::IsWindowEnabled(Hwnd("IsWindowEnabled")); }
    void SetWindowText(const char* text) { ::SetWindowText(Hwnd("SetWindowText"), text); }
    void SetDlgItemText(int id, const char* text) {
        ::SetDlgItemText(Hwnd("SetDlgItemText"), id, text);
    }
    void UpdateWindow() { ::UpdateWindow(Hwnd("UpdateWindow")); }
    LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
        return ::SendMessage(Hwnd("SendMessage"), message, wParam, lParam);
    }
    BOOL PostMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
        return ::PostMessage(Hwnd("PostMessage"), message, wParam, lParam);
    }
    UINT_PTR SetTimer(UINT_PTR id, UINT elapseMs, TIMERPROC proc = nullptr) {
        return ::SetTimer(Hwnd("SetTimer"), id, elapseMs, proc);
    }
    BOOL KillTimer(UINT_PTR id) { return ::KillTimer(Hwnd("KillTimer"), id); }
    BOOL IsIconic() const { return ::IsIconic(Hwnd("IsIconic")); }
    void GetClientRect(LPRECT rect) const { ::GetClientRect(Hwnd("GetClientRect"), rect); }

    // Moves data between the controls and the members bound in DoDataExchange:
    // FALSE writes the members into the controls, TRUE reads the controls back.
    BOOL UpdateData(BOOL saveAndValidate = TRUE);

    HWND m_hWnd = nullptr;

protected:
    virtual void DoDataExchange(CDataExchange*) {}
    // Called once after the window has received its last message (WM_NCDESTROY). The
    // object must not delete itself here: an outer handler of the window may still run.
    virtual void PostNcDestroy() {}

    // The window's own handling of the message being dispatched.
    LRESULT Default();
    // Handlers that a derived class may map and then pass on to the default handling.
    void OnSysCommand(UINT, LPARAM) { Default(); }
    void OnTimer(UINT_PTR) { Default(); }
    void OnPaint() { Default(); }

    // Routes the window's messages through this object until the window is destroyed.
    void SubclassWindow(HWND hwnd);
    // Destroys the attached window: its WM_DESTROY and WM_NCDESTROY, and PostNcDestroy,
    // run before this returns.
    void DestroyWindow();

private:
    // m_hWnd for the member `call`; a null one is first reported to the precondition
    // handler, once for this object.
    HWND Hwnd(const char* call) const {
        if (!m_hWnd)
            ReportUnattached(call);
        return m_hWnd;
    }
    void ReportUnattached(const char* call) const;

    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam);

    WNDPROC m_superProc = nullptr; // the window's procedure before SubclassWindow
    MSG m_currentMsg = {};         // the message being dispatched, for Default()
    bool m_bDestroying = false;    // set by DestroyWindow alone
    mutable bool m_bReportedUnattached = false;
};
