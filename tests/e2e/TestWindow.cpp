// A small dialog for trying the UI driver without the updater: its title is the command
// line. Block holds the thread. Every close request is refused and logged; only Exit ends
// the dialog.
#include <windows.h>
#include <commctrl.h>

#include <cstdio>

#include "tests/e2e/TestWindow_res.h"

namespace {

int g_refusals = 0;

// Logged with a running count, so that two refusals of the same kind still change the text.
BOOL Refuse(HWND dialog, const char* kind) {
    char text[64];
    std::snprintf(text, sizeof(text), "refused %d: %s\r\n", ++g_refusals, kind);
    SetDlgItemTextA(dialog, IDC_TEST_LOG, text);
    SetWindowLongPtrA(dialog, DWLP_MSGRESULT, 0);
    return TRUE;
}

INT_PTR CALLBACK TestWindowProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        SetWindowTextA(dialog, reinterpret_cast<const char*>(lParam));
        SetDlgItemTextA(dialog, IDC_TEST_LOG, "Idle.\r\n");
        SendDlgItemMessageA(dialog, IDC_TEST_PROGRESS, PBM_SETPOS, 42, 0);
        return TRUE;
    case WM_SYSCOMMAND:
        return (wParam & 0xFFF0) == SC_CLOSE ? Refuse(dialog, "sysclose") : FALSE;
    case WM_CLOSE:
        return Refuse(dialog, "close");
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDC_TEST_BLOCK:
            // Greyed out while the thread is held, so that the hold shows from outside.
            EnableWindow(GetDlgItem(dialog, IDC_TEST_BLOCK), FALSE);
            Sleep(1500);
            EnableWindow(GetDlgItem(dialog, IDC_TEST_BLOCK), TRUE);
            SetDlgItemTextA(dialog, IDC_TEST_LOG, "Unblocked.\r\n");
            return TRUE;
        case IDCANCEL:
            return Refuse(dialog, "cancel");
        case IDOK:
            EndDialog(dialog, IDOK);
            return TRUE;
        }
        return FALSE;
    }
    return FALSE;
}

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int) {
    INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_PROGRESS_CLASS};
    InitCommonControlsEx(&controls);
    DialogBoxParamA(instance, MAKEINTRESOURCEA(IDD_TEST_WINDOW), nullptr, TestWindowProc,
                    reinterpret_cast<LPARAM>(commandLine));
    return 0;
}
