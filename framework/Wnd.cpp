#include "framework/Wnd.h"

#include "framework/DataExchange.h"
#include "framework/WinApp.h"

namespace {

// The window property that leads from a subclassed window to its CWnd.
const char kWndProperty[] = "ZrcFrameworkWnd";

AfxPreconditionHandler g_preconditionHandler = nullptr;

} // namespace

AfxPreconditionHandler AfxSetPreconditionHandler(AfxPreconditionHandler handler) {
    AfxPreconditionHandler previous = g_preconditionHandler;
    g_preconditionHandler = handler;
    return previous;
}

void CWnd::ReportUnattached(const char* call) const {
    if (m_bReportedUnattached || !g_preconditionHandler)
        return;
    m_bReportedUnattached = true;
    g_preconditionHandler(call);
}

BOOL CWnd::UpdateData(BOOL saveAndValidate) {
    CDataExchange exchange(this, saveAndValidate);
    DoDataExchange(&exchange);
    return TRUE;
}

LRESULT CWnd::Default() {
    if (!m_superProc || !m_currentMsg.hwnd)
        return 0;
    return CallWindowProcA(m_superProc, m_currentMsg.hwnd, m_currentMsg.message,
                           m_currentMsg.wParam, m_currentMsg.lParam);
}

void CWnd::SubclassWindow(HWND hwnd) {
    m_hWnd = hwnd;
    SetPropA(hwnd, kWndProperty, this);
    m_superProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CWnd::WindowProc)));
}

void CWnd::DestroyWindow() {
    if (!m_hWnd)
        return;
    m_bDestroying = true;
    ::DestroyWindow(m_hWnd);
}

LRESULT CALLBACK CWnd::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* wnd = static_cast<CWnd*>(GetPropA(hwnd, kWndProperty));
    if (!wnd)
        return DefWindowProcA(hwnd, message, wParam, lParam);

    switch (message) {
    case WM_NCCREATE:
    case WM_CREATE:
    case WM_INITDIALOG:
        return 0;
    case WM_DESTROY:
    case WM_NCDESTROY:
        if (!wnd->m_bDestroying)
            return 0;
        break;
    }

    // Handlers may send messages to their own window: keep the outer message for Default().
    MSG outer = wnd->m_currentMsg;
    wnd->m_currentMsg.hwnd = hwnd;
    wnd->m_currentMsg.message = message;
    wnd->m_currentMsg.wParam = wParam;
    wnd->m_currentMsg.lParam = lParam;
    LRESULT result = wnd->OnWndMsg(message, wParam, lParam);
    wnd->m_currentMsg = outer;

    if (message == WM_NCDESTROY) {
        SetWindowLongPtrA(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(wnd->m_superProc));
        RemovePropA(hwnd, kWndProperty);
        wnd->m_hWnd = nullptr;
        wnd->m_superProc = nullptr;
        wnd->m_bDestroying = false;
        wnd->PostNcDestroy();
    }
    return result;
}

LRESULT CWnd::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam) {
    LRESULT result = 0;
    if (Dispatch(message, wParam, lParam, &result))
        return result;
    // Commands no window handles go on to the application, as ID_HELP does.
    CWinApp* app = AfxGetApp();
    if (message == WM_COMMAND && app && app->Dispatch(message, wParam, lParam, &result))
        return result;
    return Default();
}
