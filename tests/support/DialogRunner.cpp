#include "DialogRunner.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include "UiWindow.h"

using uidriver::UiWindow;

namespace {

const char kRunnerProp[] = "zrc.test.runner";
const char kOldProcProp[] = "zrc.test.oldproc";
// Posted to the status log behind other messages; its lParam is an event to set.
constexpr UINT kFlushMessage = WM_APP + 0x100;
// Sent to the status log; its lParam is a step to run with the dialog.
constexpr UINT kCallMessage = WM_APP + 0x101;

using Step = std::function<void(TestUpdaterDlg&)>;

DialogRunner* RunnerOf(HWND hwnd) {
    return static_cast<DialogRunner*>(GetPropA(hwnd, kRunnerProp));
}

LRESULT CallOld(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    auto old = reinterpret_cast<WNDPROC>(GetPropA(hwnd, kOldProcProp));
    return CallWindowProcA(old, hwnd, message, wParam, lParam);
}

LRESULT CALLBACK StatusProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case kFlushMessage:
        SetEvent(reinterpret_cast<HANDLE>(lParam));
        return 0;
    case kCallMessage:
        (*reinterpret_cast<const Step*>(lParam))(RunnerOf(hwnd)->Dialog());
        return 0;
    case EM_REPLACESEL:
        if (lParam)
            RunnerOf(hwnd)->RecordStatus(reinterpret_cast<const char*>(lParam));
        break;
    case WM_CLEAR:
        RunnerOf(hwnd)->RecordStatus("<clear>");
        break;
    }
    return CallOld(hwnd, message, wParam, lParam);
}

LRESULT CALLBACK ProgressProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == PBM_SETPOS)
        RunnerOf(hwnd)->RecordProgress(static_cast<int>(wParam));
    else if (message == PBM_STEPIT)
        RunnerOf(hwnd)->RecordProgress(-1);
    return CallOld(hwnd, message, wParam, lParam);
}

// As if the dialog's message queue had been full when the worker posted its message.
LRESULT CALLBACK LoseDoneProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    return message == WM_UPDATE_DONE ? 0 : CallOld(hwnd, message, wParam, lParam);
}

void Watch(HWND control, DialogRunner* runner, WNDPROC proc) {
    SetPropA(control, kRunnerProp, runner);
    LONG_PTR old = SetWindowLongPtrA(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(proc));
    SetPropA(control, kOldProcProp, reinterpret_cast<HANDLE>(old));
}

// The main dialog with the runner's options applied and its status log and progress bar
// watched once it has opened.
class WatchedUpdaterDlg : public TestUpdaterDlg {
public:
    explicit WatchedUpdaterDlg(DialogRunner* runner) : m_runner(runner) {}

protected:
    BOOL OnInitDialog() override {
        m_runner->Created(GetSafeHwnd());
        BOOL result = CUpdaterDlg::OnInitDialog();
        const DialogOptions& options = m_runner->Options();
        if (!options.timedDeviceCheck)
            KillTimer(TIMER_DEVICE_CHECK);
        if (options.newVersion) {
            m_strNewVersion = options.newVersion;
            SetDlgItemText(IDC_NEW_VERSION, m_strNewVersion.c_str());
        }
        Watch(::GetDlgItem(GetSafeHwnd(), IDC_STATUS), m_runner, StatusProc);
        Watch(::GetDlgItem(GetSafeHwnd(), IDC_PROGRESS), m_runner, ProgressProc);
        if (options.loseDoneMessages)
            Watch(GetSafeHwnd(), m_runner, LoseDoneProc);
        return result;
    }

private:
    DialogRunner* m_runner;
};

BOOL CALLBACK CancelWindow(HWND hwnd, LPARAM) {
    PostMessageA(hwnd, WM_COMMAND, IDCANCEL, 0);
    return TRUE;
}

} // namespace

DialogRunner::DialogRunner(DialogOptions options)
    : m_options(std::move(options)), m_dialog(new WatchedUpdaterDlg(this)) {
    m_created = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    m_thread = CreateThread(nullptr, 0, ThreadMain, this, 0, &m_threadId);
    HANDLE waits[] = {m_created, m_thread};
    DWORD woken = WaitForMultipleObjects(2, waits, FALSE, 15000);
    EXPECT_EQ(woken, WAIT_OBJECT_0) << "the dialog did not open";
}

DialogRunner::~DialogRunner() {
    // A run in progress refuses to close: keep asking until it has ended. The other
    // windows of the thread (the About box, the warning) are asked too.
    for (int attempt = 0; attempt < 240 && !WaitForExit(0); ++attempt) {
        EnumThreadWindows(m_threadId, CancelWindow, 0);
        WaitForExit(250);
    }
    if (!WaitForExit(0)) {
        ADD_FAILURE() << "the dialog did not close";
        TerminateThread(m_thread, 1);
    }
    CloseHandle(m_thread);
    CloseHandle(m_created);
}

DWORD WINAPI DialogRunner::ThreadMain(LPVOID param) {
    auto* self = static_cast<DialogRunner*>(param);
    if (self->m_options.beforeOpen)
        self->m_options.beforeOpen();
    self->m_result = self->m_dialog->DoModal();
    if (self->m_options.afterClose)
        self->m_options.afterClose();
    return 0;
}

void DialogRunner::Created(HWND window) {
    m_hWnd = window;
    SetEvent(m_created);
}

bool DialogRunner::IsOpen() const {
    return !WaitForExit(0) && IsWindow(m_hWnd);
}

HWND DialogRunner::ThreadWindow(const char* title) const {
    // Only one dialog thread runs at a time: the process's windows are its windows.
    return UiWindow::Find(title, GetCurrentProcessId()).Handle();
}

std::string DialogRunner::ItemText(int id) const {
    std::string text;
    UiWindow(m_hWnd).ReadText(id, text, 10000);
    return text;
}

bool DialogRunner::IsItemEnabled(int id) const {
    return UiWindow(m_hWnd).IsEnabled(id);
}

int DialogRunner::ProgressPos() const {
    return UiWindow(m_hWnd).ReadProgress(IDC_PROGRESS, 10000);
}

void DialogRunner::Click(int id) const {
    PostMessageA(m_hWnd, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(m_hWnd, id)));
}

void DialogRunner::Call(const Step& step) const {
    SendMessageA(GetDlgItem(m_hWnd, IDC_STATUS), kCallMessage, 0, reinterpret_cast<LPARAM>(&step));
}

bool DialogRunner::WaitForStatus(const std::string& text, DWORD timeoutMs) const {
    return UiWindow(m_hWnd).WaitForText(IDC_STATUS, text, timeoutMs);
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
