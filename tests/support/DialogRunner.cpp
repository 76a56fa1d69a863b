#include "tests/support/DialogRunner.h"

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

LRESULT CALLBACK StatusProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                            DWORD_PTR ref) {
    auto* runner = reinterpret_cast<DialogRunner*>(ref);
    switch (message) {
    case kFlushMessage:
        SetEvent(reinterpret_cast<HANDLE>(lParam));
        return 0;
    case kCallMessage:
        (*reinterpret_cast<const Step*>(lParam))(runner->Dialog());
        return 0;
    case EM_REPLACESEL: // a subclass sees the message's Unicode form
        if (lParam) {
            const std::wstring text(reinterpret_cast<const wchar_t*>(lParam));
            runner->Record(&Records::status, std::string(text.begin(), text.end()));
        }
        break;
    case WM_CLEAR:
        runner->Record(&Records::status, std::string("<clear>"));
        break;
    }
    return DefSubclassProc(hwnd, message, wParam, lParam);
}

LRESULT CALLBACK ProgressProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                              DWORD_PTR ref) {
    if (message == PBM_SETPOS || message == PBM_STEPIT)
        reinterpret_cast<DialogRunner*>(ref)->Record(
            &Records::progress, message == PBM_SETPOS ? static_cast<int>(wParam) : -1);
    return DefSubclassProc(hwnd, message, wParam, lParam);
}

// As if the dialog's message queue had been full when the worker posted its message.
LRESULT CALLBACK LoseDoneProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                              DWORD_PTR) {
    return message == WM_UPDATE_DONE ? 0 : DefSubclassProc(hwnd, message, wParam, lParam);
}

// A live-region event of the dialog's thread: what is heard is the status log's name.
void CALLBACK Heard(HWINEVENTHOOK, DWORD, HWND hwnd, LONG, LONG, DWORD, DWORD) {
    DWORD_PTR ref = 0;
    if (GetWindowSubclass(hwnd, StatusProc, 0, &ref)) {
        auto* runner = reinterpret_cast<DialogRunner*>(ref);
        runner->Record(&Records::announced, runner->Annotations().Name(hwnd));
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
        const auto runner = reinterpret_cast<DWORD_PTR>(m_runner);
        SetWindowSubclass(::GetDlgItem(GetSafeHwnd(), IDC_STATUS), StatusProc, 0, runner);
        SetWindowSubclass(::GetDlgItem(GetSafeHwnd(), IDC_PROGRESS), ProgressProc, 0, runner);
        if (m_runner->Options().loseDoneMessages)
            SetWindowSubclass(GetSafeHwnd(), LoseDoneProc, 0, 0);
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
    DWORD woken = WaitForMultipleObjects(2, waits, FALSE, kLongWaitMs);
    EXPECT_EQ(woken, WAIT_OBJECT_0) << "the dialog did not open";
}

DialogRunner::~DialogRunner() {
    // A run in progress refuses to close: keep asking every window of the thread.
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
    EXPECT_EQ(m_annotations.LeftNamed(), 0u) << "names left for screen readers";
    EXPECT_EQ(m_annotations.References(), 0) << "the annotation service was not released";
}

DWORD WINAPI DialogRunner::ThreadMain(LPVOID param) {
    auto* self = static_cast<DialogRunner*>(param);
    CoInitialize(nullptr);
    self->m_annotations.Register();
    self->m_options.beforeOpen();
    HWINEVENTHOOK hook =
        SetWinEventHook(kLiveRegionChanged, kLiveRegionChanged, nullptr, Heard,
                        GetCurrentProcessId(), GetCurrentThreadId(), WINEVENT_OUTOFCONTEXT);
    self->m_dialog->DoModal();
    // As in the program, the dialog object ends on its thread once its window has gone.
    self->m_dialog.reset();
    UnhookWinEvent(hook);
    self->m_options.afterClose();
    self->m_annotations.Revoke();
    CoUninitialize();
    return 0;
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
    bool done = WaitForSingleObject(handled, kWaitMs) == WAIT_OBJECT_0;
    if (done)
        CloseHandle(handled);
    return done;
}
