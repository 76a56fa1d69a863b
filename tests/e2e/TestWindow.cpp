// A small dialog for trying the UI driver without the updater: its title is the command
// line. Start shows a text later, Block holds the thread, Guard makes it refuse and log
// every close request.
#include <windows.h>
#include <commctrl.h>

#include <cstdio>

#include "TestWindow_res.h"

namespace {

const UINT_PTR kDoneTimer = 1;
bool g_guarded = false;
int g_refusals = 0;

void SetLog(HWND dialog, const char* text) {
    SetDlgItemTextA(dialog, IDC_TEST_LOG, text);
}

// A guarded window logs the refused request with a running count, so that two refusals
// of the same kind still change the text.
BOOL RefuseIfGuarded(HWND dialog, const char* kind) {
    if (!g_guarded)
        return FALSE;
    char text[64];
    std::snprintf(text, sizeof(text), "refused %d: %s\r\n", ++g_refusals, kind);
    SetLog(dialog, text);
    SetWindowLongPtrA(dialog, DWLP_MSGRESULT, 0);
    return TRUE;
}

INT_PTR CALLBACK TestWindowProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        SetWindowTextA(dialog, reinterpret_cast<const char*>(lParam));
        SetLog(dialog, "Idle.\r\n");
        SendDlgItemMessageA(dialog, IDC_TEST_PROGRESS, PBM_SETPOS, 42, 0);
        return TRUE;
    case WM_TIMER:
        KillTimer(dialog, kDoneTimer);
        SetLog(dialog, "Done.\r\n");
        return TRUE;
    case WM_SYSCOMMAND:
        return (wParam & 0xFFF0) == SC_CLOSE ? RefuseIfGuarded(dialog, "sysclose") : FALSE;
    case WM_CLOSE:
        if (RefuseIfGuarded(dialog, "close"))
            return TRUE;
        EndDialog(dialog, IDCANCEL);
        return TRUE;
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDC_TEST_START:
            SetLog(dialog, "Working... ");
            SetTimer(dialog, kDoneTimer, 300, nullptr);
            return TRUE;
        case IDC_TEST_BLOCK:
            // Greyed out while the thread is held, so that the hold shows from outside.
            EnableWindow(GetDlgItem(dialog, IDC_TEST_BLOCK), FALSE);
            Sleep(1500);
            EnableWindow(GetDlgItem(dialog, IDC_TEST_BLOCK), TRUE);
            SetLog(dialog, "Unblocked.\r\n");
            return TRUE;
        case IDC_TEST_GUARD:
            g_guarded = !g_guarded;
            return TRUE;
        case IDCANCEL:
            if (RefuseIfGuarded(dialog, "cancel"))
                return TRUE;
            EndDialog(dialog, IDCANCEL);
            return TRUE;
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
