#include "framework/Dialog.h"

#include <commctrl.h>

namespace {

// Templates may hold progress bars, whose window class comes from the common controls.
void RegisterControlClasses() {
    INITCOMMONCONTROLSEX classes = {sizeof classes, ICC_PROGRESS_CLASS};
    InitCommonControlsEx(&classes);
}

// The dialog this thread is creating: the only one a WM_INITDIALOG may attach.
thread_local CDialog* t_pCreating = nullptr;

} // namespace

CDialog::CDialog(UINT templateId, CWnd* parent) : m_templateId(templateId), m_pParentWnd(parent) {}

INT_PTR CDialog::DoModal() {
    if (m_hWnd)
        return -1;
    RegisterControlClasses();
    HWND owner = m_pParentWnd ? m_pParentWnd->m_hWnd : nullptr;
    m_bEnded = false;
    // Modal: the owner takes no input from the dialog's opening until it has ended.
    const bool ownerDisabled = owner && !::EnableWindow(owner, FALSE);
    CDialog* outer = t_pCreating;
    t_pCreating = this;
    HWND hwnd = CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(m_templateId), owner,
                                   &CDialog::DialogProc, reinterpret_cast<LPARAM>(this));
    t_pCreating = outer;
    if (!hwnd) {
        if (ownerDisabled)
            ::EnableWindow(owner, TRUE);
        return -1;
    }
    ShowWindow(hwnd, SW_SHOW);

    bool quit = false;
    WPARAM quitCode = 0;
    while (!m_bEnded && !(quit && !HoldsQuit())) {
        MSG msg;
        const BOOL got = GetMessageA(&msg, nullptr, 0, 0);
        if (got == -1)
            break;
        if (got == 0) {
            quit = true;
            quitCode = msg.wParam;
            continue;
        }
        if (!IsDialogMessageA(hwnd, &msg)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    }
    // A quit held until now ends the dialog with what it shows last drawn.
    if (quit)
        ::UpdateWindow(hwnd);
    // The owner is enabled before the dialog goes, so that Windows activates it again.
    if (ownerDisabled)
        ::EnableWindow(owner, TRUE);
    DestroyWindow();
    if (quit)
        PostQuitMessage(static_cast<int>(quitCode));
    return m_bEnded ? m_nResult : 0;
}

void CDialog::EndDialog(int result) {
    m_nResult = result;
    m_bEnded = true;
}

BOOL CDialog::OnInitDialog() {
    UpdateData(FALSE);
    return TRUE;
}

void CDialog::OnOK() {
    if (UpdateData(TRUE))
        EndDialog(IDOK);
}

void CDialog::OnCancel() {
    EndDialog(IDCANCEL);
}

const MessageMap* CDialog::GetMessageMap() const {
    static const MessageMapEntry entries[] = {
        OnClicked<&CDialog::OnOK>(IDOK),
        OnClicked<&CDialog::OnCancel>(IDCANCEL),
        OnWmClose<&CDialog::OnCancel>(),
    };
    static const MessageMap map(CWnd::GetMessageMap(), entries);
    return &map;
}

// The dialog's window reports to this procedure until WM_INITDIALOG, which carries the
// CDialog being created; from then on the window's messages go through CWnd's procedure
// and the message maps, and this procedure leaves everything to the default dialog
// handling. A WM_INITDIALOG that carries anything else comes from another program.
INT_PTR CALLBACK CDialog::DialogProc(HWND hwnd, UINT message, WPARAM, LPARAM lParam) {
    auto* dialog = reinterpret_cast<CDialog*>(lParam);
    if (message != WM_INITDIALOG || !dialog || dialog != t_pCreating || dialog->m_hWnd)
        return FALSE;
    dialog->SubclassWindow(hwnd);
    return dialog->OnInitDialog();
}
