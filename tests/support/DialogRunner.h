#pragma once
// Runs the updater's main dialog modally on a thread of its own, so that a test can drive
// it from outside and reach into it on its own thread. What it writes to its status log and
// progress bar and what screen readers are told are recorded in order; the annotations it
// gives screen readers must all be cleared while its controls still exist.
#include <windows.h>

#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "app/UpdaterDlg.h"
#include "tests/support/FakeAnnotations.h"
#include "tests/support/Timeouts.h"
#include "tools/uidriver/UiWindow.h"

// The main dialog with its protected parts open to the tests.
class TestUpdaterDlg : public CUpdaterDlg {
public:
    using CUpdaterDlg::m_pLink;
};

struct DialogOptions {
    bool timedDeviceCheck = true;  // false: no device check unless the test runs it
    bool loseDoneMessages = false; // WM_UPDATE_DONE never reaches the dialog
    // Run on the dialog's thread before the dialog is made and after it has gone.
    std::function<void()> beforeOpen = [] {};
    std::function<void()> afterClose = [] {};
};

class DialogRunner {
public:
    // Starts the dialog's thread and waits until its window exists. The dialog may still
    // be opening then: a warning it shows while it opens holds it there.
    explicit DialogRunner(DialogOptions options = DialogOptions());
    // Closes every window of the dialog's thread, waiting out a run in progress; a failure
    // of the running test when the thread, which destroys the dialog, has not ended in a
    // minute.
    ~DialogRunner();
    DialogRunner(const DialogRunner&) = delete;
    DialogRunner& operator=(const DialogRunner&) = delete;

    HWND Window() const { return m_hWnd; }
    bool IsOpen() const { return !WaitForExit(0) && IsWindow(m_hWnd); }
    // A shown top-level window of this process (only one dialog runs at a time), or null.
    HWND ThreadWindow(const char* title) const {
        return uidriver::UiWindow::Find(title, GetCurrentProcessId()).Handle();
    }
    std::string ItemText(int id) const {
        std::string text;
        Ui().ReadText(id, text, kWaitMs);
        return text;
    }
    bool IsItemEnabled(int id) const { return Ui().IsEnabled(id); }
    // What a screen reader says for the control: the name it was given, else its text.
    std::string SpokenName(int id) const {
        const std::string name = m_annotations.Name(GetDlgItem(m_hWnd, id));
        return name.empty() ? ItemText(id) : name;
    }
    int ProgressPos() const { return Ui().ReadProgress(IDC_PROGRESS, kWaitMs); }
    bool WaitForStatus(const std::string& text, DWORD timeoutMs) const {
        return Ui().WaitForText(IDC_STATUS, text, timeoutMs);
    }

    // Posts a click of the button with this id, enabled or not.
    void Click(int id) const {
        PostMessageA(m_hWnd, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(m_hWnd, id)));
    }
    // Runs `step` on the dialog's thread between two of its messages and waits for it.
    void Call(const std::function<void(TestUpdaterDlg&)>& step) const;
    // Waits until the dialog has handled every message posted to it before this call.
    bool Flush() const;

    struct Records {
        std::vector<std::string> status;    // texts appended, "<clear>" for each clearing
        std::vector<int> progress;          // positions set, -1 for each step
        std::vector<std::string> announced; // the status log's name at each announcement
    };
    Records Recorded() const {
        std::lock_guard<std::mutex> hold(m_lock);
        return m_records;
    }

    // Called on the dialog's thread by the dialog and its watched controls.
    void Created(HWND window) {
        m_hWnd = window;
        SetEvent(m_created);
    }
    template <typename T> void Record(std::vector<T> Records::*list, T entry) {
        std::lock_guard<std::mutex> hold(m_lock);
        (m_records.*list).push_back(std::move(entry));
    }
    const DialogOptions& Options() const { return m_options; }
    const FakeAnnotations& Annotations() const { return m_annotations; }
    TestUpdaterDlg& Dialog() { return *m_dialog; }

private:
    static DWORD WINAPI ThreadMain(LPVOID param);
    uidriver::UiWindow Ui() const { return uidriver::UiWindow(m_hWnd); }
    bool WaitForExit(DWORD timeoutMs) const {
        return WaitForSingleObject(m_thread, timeoutMs) == WAIT_OBJECT_0;
    }

    DialogOptions m_options;
    std::unique_ptr<TestUpdaterDlg> m_dialog;
    HANDLE m_thread = nullptr;
    DWORD m_threadId = 0;
    HANDLE m_created = nullptr;
    HWND m_hWnd = nullptr;

    FakeAnnotations m_annotations;
    mutable std::mutex m_lock;
    Records m_records;
};
