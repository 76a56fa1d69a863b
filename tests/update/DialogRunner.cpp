#include "DialogRunner.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include "UpdaterDlg.h"

namespace {

const char kRunnerProp[] = "zrc.test.runner";
const char kOldProcProp[] = "zrc.test.oldproc";
// Posted to the status log behind other messages; its lParam is an event to set.
constexpr UINT kFlushMessage = WM_APP + 0x100;

DialogRunner* RunnerOf(HWND hwnd) {
    return static_cast<DialogRunner*>(GetPropA(hwnd, kRunnerProp));
}

LRESULT CallOld(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    auto old = reinterpret_cast<WNDPROC>(GetPropA(hwnd, kOldProcProp));
    return CallWindowProcA(old, hwnd, message, wParam, lParam);
}

LRESULT CALLBACK StatusProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == kFlushMessage) {
        SetEvent(reinterpret_cast<HANDLE>(lParam));
        return 0;
    }
    if (message == EM_REPLACESEL && lParam)
        RunnerOf(hwnd)->RecordStatus(reinterpret_cast<const char*>(lParam));
    else if (message == WM_CLEAR)
        RunnerOf(hwnd)->RecordStatus("<clear>");
    return CallOld(hwnd, message, wParam, lParam);
}

LRESULT CALLBACK ProgressProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == PBM_SETPOS)
        RunnerOf(hwnd)->RecordProgress(static_cast<int>(wParam));
    else if (message == PBM_STEPIT)
        RunnerOf(hwnd)->RecordProgress(-1);
    return CallOld(hwnd, message, wParam, lParam);
}

void Watch(HWND control, DialogRunner* runner, WNDPROC proc) {
    SetPropA(control, kRunnerProp, runner);
    LONG_PTR old = SetWindowLongPtrA(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(proc));
    SetPropA(control, kOldProcProp, reinterpret_cast<HANDLE>(old));
}

// The main dialog with its status log and progress bar watched.
class WatchedUpdaterDlg : public CUpdaterDlg {
public:
    WatchedUpdaterDlg(DialogRunner* runner, const DialogOptions& options, HWND* pWindow,
                      HANDLE opened)
        : m_runner(runner), m_options(options), m_pWindow(pWindow), m_opened(opened) {}

protected:
    BOOL OnInitDialog() override {
        BOOL result = CUpdaterDlg::OnInitDialog();
        if (m_options.newVersion) {
            m_strNewVersion = m_options.newVersion;
            SetDlgItemText(IDC_NEW_VERSION, m_strNewVersion.c_str());
        }
        Watch(::GetDlgItem(GetSafeHwnd(), IDC_STATUS), m_runner, StatusProc);
        Watch(::GetDlgItem(GetSafeHwnd(), IDC_PROGRESS), m_runner, ProgressProc);
        *m_pWindow = GetSafeHwnd();
        SetEvent(m_opened);
        return result;
    }

private:
    DialogRunner* m_runner;
    DialogOptions m_options;
    HWND* m_pWindow;
    HANDLE m_opened;
};

} // namespace

DialogRunner::DialogRunner(DialogOptions options) : m_options(options) {
    m_opened = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    m_thread = CreateThread(nullptr, 0, ThreadMain, this, 0, &m_threadId);
    HANDLE waits[] = {m_opened, m_thread};
    DWORD woken = WaitForMultipleObjects(2, waits, FALSE, 15000);
    EXPECT_EQ(woken, WAIT_OBJECT_0) << "the dialog did not open";
}

DialogRunner::~DialogRunner() {
    // A run in progress refuses to close: keep asking until it has ended.
    for (int attempt = 0; attempt < 240 && !WaitForExit(0); ++attempt) {
        if (IsWindow(m_hWnd))
            PostMessageA(m_hWnd, WM_COMMAND, IDCANCEL, 0);
        WaitForExit(250);
    }
    if (!WaitForExit(0)) {
        ADD_FAILURE() << "the dialog did not close";
        TerminateThread(m_thread, 1);
    }
    CloseHandle(m_thread);
    CloseHandle(m_opened);
}

DWORD WINAPI DialogRunner::ThreadMain(LPVOID param) {
    auto* self = static_cast<DialogRunner*>(param);
    WatchedUpdaterDlg dialog(self, self->m_options, &self->m_hWnd, self->m_opened);
    dialog.DoModal();
    return 0;
}

bool DialogRunner::IsOpen() const {
    return !WaitForExit(0) && IsWindow(m_hWnd);
}

std::string DialogRunner::ItemText(int id) const {
    char text[512] = {};
    DWORD_PTR copied = 0;
    SendMessageTimeoutA(GetDlgItem(m_hWnd, id), WM_GETTEXT, sizeof text,
                        reinterpret_cast<LPARAM>(text), SMTO_NORMAL, 10000, &copied);
    return text;
}

bool DialogRunner::IsItemEnabled(int id) const {
    return IsWindowEnabled(GetDlgItem(m_hWnd, id)) != FALSE;
}

int DialogRunner::ProgressPos() const {
    DWORD_PTR pos = 0;
    SendMessageTimeoutA(GetDlgItem(m_hWnd, IDC_PROGRESS), PBM_GETPOS, 0, 0, SMTO_NORMAL, 10000,
                        &pos);
    return static_cast<int>(pos);
}

void DialogRunner::Click(int id) const {
    PostMessageA(m_hWnd, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(m_hWnd, id)));
}

void DialogRunner::RequestClose() const {
    PostMessageA(m_hWnd, WM_SYSCOMMAND, SC_CLOSE, 0);
}

LRESULT DialogRunner::QueryEndSession() const {
    DWORD_PTR answer = 0;
    SendMessageTimeoutA(m_hWnd, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF, SMTO_NORMAL, 10000,
                        &answer);
    return static_cast<LRESULT>(answer);
}

bool DialogRunner::WaitUntil(const std::function<bool()>& done, DWORD timeoutMs) {
    DWORD start = GetTickCount();
    while (!done()) {
        if (GetTickCount() - start > timeoutMs)
            return false;
        Sleep(20);
    }
    return true;
}

bool DialogRunner::WaitForStatus(const std::string& text, DWORD timeoutMs) const {
    return WaitUntil([&] { return ItemText(IDC_STATUS) == text; }, timeoutMs);
}

bool DialogRunner::WaitForExit(DWORD timeoutMs) const {
    return WaitForSingleObject(m_thread, timeoutMs) == WAIT_OBJECT_0;
}

bool DialogRunner::Flush() const {
    // Posted messages of one thread are handled in order: once this one is, so are the
    // ones posted before it.
    HANDLE handled = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    PostMessageA(GetDlgItem(m_hWnd, IDC_STATUS), kFlushMessage, 0,
                 reinterpret_cast<LPARAM>(handled));
    bool done = WaitForSingleObject(handled, 10000) == WAIT_OBJECT_0;
    if (done)
        CloseHandle(handled);
    return done;
}

std::vector<std::string> DialogRunner::StatusLog() const {
    std::lock_guard<std::mutex> hold(m_lock);
    return m_statusLog;
}

std::vector<int> DialogRunner::ProgressLog() const {
    std::lock_guard<std::mutex> hold(m_lock);
    return m_progressLog;
}

void DialogRunner::RecordStatus(const std::string& entry) {
    std::lock_guard<std::mutex> hold(m_lock);
    m_statusLog.push_back(entry);
}

void DialogRunner::RecordProgress(int entry) {
    std::lock_guard<std::mutex> hold(m_lock);
    m_progressLog.push_back(entry);
}
