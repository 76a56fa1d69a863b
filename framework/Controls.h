// Wrappers of the standard controls a dialog binds with DDX_Control: each call is one
// message to the control.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include "framework/Wnd.h"

class CButton : public CWnd {};

class CEdit : public CWnd {
public:
    // Selects characters start to end-1; (0, -1) selects all, (-1, 0) collapses the
    // selection to the caret.
    void SetSel(int start, int end) { SendMessage(EM_SETSEL, start, end); }
    // Replaces the selection (inserts at the caret when nothing is selected).
    void ReplaceSel(const char* text, BOOL canUndo = FALSE) {
        SendMessage(EM_REPLACESEL, canUndo, reinterpret_cast<LPARAM>(text));
    }
    // Deletes the selection.
    void Clear() { SendMessage(WM_CLEAR); }
};

class CProgressCtrl : public CWnd {
public:
    // Each returns the previous value.
    int SetPos(int pos) { return static_cast<int>(SendMessage(PBM_SETPOS, pos)); }
    int SetStep(int step) { return static_cast<int>(SendMessage(PBM_SETSTEP, step)); }
    int StepIt() { return static_cast<int>(SendMessage(PBM_STEPIT)); }

    int GetPos() { return static_cast<int>(SendMessage(PBM_GETPOS)); }
};
