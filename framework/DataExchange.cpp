#include "framework/DataExchange.h"

#include "framework/Wnd.h"

void DDX_Control(CDataExchange* pDX, int id, CWnd& control) {
    control.m_hWnd = GetDlgItem(pDX->m_pDlgWnd->m_hWnd, id);
}

void DDX_Text(CDataExchange* pDX, int id, std::string& value) {
    HWND item = GetDlgItem(pDX->m_pDlgWnd->m_hWnd, id);
    if (!item)
        return; // no such control: the member keeps its value
    if (!pDX->m_bSaveAndValidate) {
        SetWindowTextA(item, value.c_str());
        return;
    }
    std::string text(GetWindowTextLengthA(item) + 1, '\0');
    text.resize(GetWindowTextA(item, &text[0], static_cast<int>(text.size())));
    value = text;
}
