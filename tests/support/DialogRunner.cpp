#include "DialogRunner.h"

#include <commctrl.h>
#include <gtest/gtest.h>

namespace {

// Posted to the status log behind other messages; its lParam is an event to set.
constexpr UINT kFlushMessage = WM_APP + 0x100;
// Sent to the status log; its lParam is a step to run with the dialog.
constexpr UINT kCallMessage = WM_APP + 0x101;
// What screen readers hear of a live region's change.
constexpr DWORD kLiveRegionChanged = 0x8019;

using Step = std::function<void(TestUpdaterDlg&)>;
using Records = DialogRunner::Records;

const char kRunnerProp[] = "zrc.test.runner";
const char kOldProcProp[] = "zrc.test.oldproc";

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
            RunnerOf(hwnd)->Record(&Records::status,
                                   std::string(reinterpret_cast<const char*>(lParam)));
        break;
    case WM_CLEAR:
        RunnerOf(hwnd)->Record(&Records::status, std::string("<clear>"));
        break;
    }
    return CallOld(hwnd, message, wParam, lParam);
}

LRESULT CALLBACK ProgressProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == PBM_SETPOS || message == PBM_STEPIT)
        RunnerOf(hwnd)->Record(&Records::progress,
                               message == PBM_SETPOS ? static_cast<int>(wParam) : -1);
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

// A live-region event of the dialog's thread: what is heard is the status log's text.
void CALLBACK Heard(HWINEVENTHOOK, DWORD, HWND hwnd, LONG, LONG, DWORD, DWORD) {
    char text[256] = {};
    if (DialogRunner* runner = RunnerOf(hwnd)) {
        GetWindowTextA(hwnd, text, sizeof text);
        runner->Record(&Records::announced, std::string(text));
    }
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
        if (!m_runner->Options().timedDeviceCheck)
            KillTimer(TIMER_DEVICE_CHECK);
        Watch(::GetDlgItem(GetSafeHwnd(), IDC_STATUS), m_runner, StatusProc);
        Watch(::GetDlgItem(GetSafeHwnd(), IDC_PROGRESS), m_runner, ProgressProc);
        if (m_runner->Options().loseDoneMessages)
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
    HWINEVENTHOOK hook =
        SetWinEventHook(kLiveRegionChanged, kLiveRegionChanged, nullptr, Heard,
                        GetCurrentProcessId(), GetCurrentThreadId(), WINEVENT_OUTOFCONTEXT);
    self->m_dialog->DoModal();
    UnhookWinEvent(hook);
    if (self->m_options.afterClose)
        self->m_options.afterClose();
    return 0;
}

void DialogRunner::Created(HWND window) {
    m_hWnd = window;
    SetEvent(m_created);
}

std::string DialogRunner::ItemText(int id) const {
    std::string text;
    Ui().ReadText(id, text, 10000);
    return text;
}

void DialogRunner::Click(int id) const {
    PostMessageA(m_hWnd, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(m_hWnd, id)));
}

void DialogRunner::Call(const Step& step) const {
    SendMessageA(GetDlgItem(m_hWnd, IDC_STATUS), kCallMessage, 0, reinterpret_cast<LPARAM>(&step));
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

DialogRunner::Records DialogRunner::Recorded() const {
    std::lock_guard<std::mutex> hold(m_lock);
    return m_records;
}
