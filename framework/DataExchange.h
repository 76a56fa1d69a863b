// Data exchange between a dialog's controls and its members, run by CWnd::UpdateData
// through the dialog's DoDataExchange.
#pragma once

#include <windows.h>

#include <string>

class CWnd;

class CDataExchange {
public:
    CDataExchange(CWnd* dialog, BOOL saveAndValidate)
        : m_bSaveAndValidate(saveAndValidate), m_pDlgWnd(dialog) {}

    BOOL m_bSaveAndValidate; // TRUE: controls to members; FALSE: members to controls
    CWnd* m_pDlgWnd;
};

// Attaches `control` to the dialog's control with this id, in both directions.
void DDX_Control(CDataExchange* pDX, int id, CWnd& control);
// Carries the text of the control with this id to or from `value`.
void DDX_Text(CDataExchange* pDX, int id, std::string& value);
