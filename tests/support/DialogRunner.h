#pragma once
// Runs the updater's main dialog modally on a thread of its own, as the program runs it on
// its main thread, so that a test can drive it from outside, wait on what it shows, and
// reach into it on its own thread. Every text written to the status log and every
// progress-bar move is recorded in order.
#include <windows.h>

#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "UpdaterDlg.h"

// The main dialog with its protected parts open to the tests.
class TestUpdaterDlg : public CUpdaterDlg {
public:
    using CUpdaterDlg::CheckDevice;
    using CUpdaterDlg::m_dwMicrocodeVersion;
    using CUpdaterDlg::m_filterVersions;
    using CUpdaterDlg::m_pLink;
    using CUpdaterDlg::m_strAcceptedVersion;
    using CUpdaterDlg::m_strCurrentVersion;
    using CUpdaterDlg::ReadFlashVersion;
};

struct DialogOptions {
    const char* newVersion = nullptr; // replaces the version the build installs
    bool timedDeviceCheck = true;     // false: no device check unless the test runs it
    bool loseDoneMessages = false;    // WM_UPDATE_DONE never reaches the dialog
    // Run on the dialog's thread before the dialog is made and after it has gone: for what
    // belongs to the dialog's COM apartment, such as the class objects of fake filters.
    std::function<void()> beforeOpen;
    std::function<void()> afterClose;
};

class DialogRunner {
public:
    // Starts the dialog's thread and waits until its window exists. The dialog may still
    // be opening then: a warning it shows while it opens holds it there.
    explicit DialogRunner(DialogOptions options = DialogOptions());
    // Closes every window of the dialog's thread, waiting out a run in progress, and ends
    // the thread.
    ~DialogRunner();
    DialogRunner(const DialogRunner&) = delete;
    DialogRunner& operator=(const DialogRunner&) = delete;

    HWND Window() const { return m_hWnd; }
    bool IsOpen() const;
    // The dialog object, for use once its thread has ended (inside a run, use Call).
    TestUpdaterDlg& Dialog() { return *m_dialog; }
    // What DoModal gave, once the thread has ended.
    INT_PTR Result() const { return m_result; }

    // A shown top-level window with this title: the dialog, or one it opened; or null.
    HWND ThreadWindow(const char* title) const;
    // Reads of the dialog's controls, as the UI driver makes them.
    std::string ItemText(int id) const;
    bool IsItemEnabled(int id) const;
    int ProgressPos() const;

    // Posts a click of the button with this id, enabled or not.
    void Click(int id) const;
    // Runs `step` on the dialog's thread between two of its messages and waits for it.
    // Only once the dialog has opened.
    void Call(const std::function<void(TestUpdaterDlg&)>& step) const;

    // Waits until the status log reads `text`.
    bool WaitForStatus(const std::string& text, DWORD timeoutMs) const;
    // Waits until the dialog's thread has ended.
    bool WaitForExit(DWORD timeoutMs) const;
    // Waits until the dialog has handled every message posted to it before this call.
    bool Flush() const;

    // Texts appended to the status log since the dialog opened, with "<clear>" for each
    // clearing.
    std::vector<std::string> StatusLog() const;
    // Progress positions set since the dialog opened, with -1 for each step.
    std::vector<int> ProgressLog() const;

    // Called on the dialog's thread by the dialog and its watched controls.
    void Created(HWND window);
    void RecordStatus(const std::string& entry);
    void RecordProgress(int entry);
    const DialogOptions& Options() const { return m_options; }

private:
    static DWORD WINAPI ThreadMain(LPVOID param);

    DialogOptions m_options;
    std::unique_ptr<TestUpdaterDlg> m_dialog;
    HANDLE m_thread = nullptr;
    DWORD m_threadId = 0;
    HANDLE m_created = nullptr;
    HWND m_hWnd = nullptr;
    INT_PTR m_result = -1;

    mutable std::mutex m_lock;
    std::vector<std::string> m_statusLog;
    std::vector<int> m_progressLog;
};
