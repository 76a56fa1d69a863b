#pragma once
// Runs the updater's main dialog modally on a thread of its own, as the program does on
// its main thread, so that a test can drive it from outside and wait on what it shows.
// Every text written to the status log and every progress-bar move is recorded in order.
#include <windows.h>

#include <functional>
#include <mutex>
#include <string>
#include <vector>

// Options applied on the dialog thread once the dialog has opened.
struct DialogOptions {
    const char* newVersion = nullptr; // replaces the version the build installs
};

class DialogRunner {
public:
    explicit DialogRunner(DialogOptions options = DialogOptions());
    // Closes the dialog, waiting out a run in progress, and ends its thread.
    ~DialogRunner();
    DialogRunner(const DialogRunner&) = delete;
    DialogRunner& operator=(const DialogRunner&) = delete;

    HWND Window() const { return m_hWnd; }
    DWORD ThreadId() const { return m_threadId; }
    bool IsOpen() const;

    std::string ItemText(int id) const;
    bool IsItemEnabled(int id) const;
    int ProgressPos() const;

    // Posts a click of the button with this id, enabled or not.
    void Click(int id) const;
    // Asks the dialog to close the way the close box, Alt+F4 and the system menu do.
    void RequestClose() const;
    // Sends WM_QUERYENDSESSION, as a log-off does; the dialog's answer.
    LRESULT QueryEndSession() const;

    // Waits until `done` holds, polling; false after timeoutMs.
    static bool WaitUntil(const std::function<bool()>& done, DWORD timeoutMs);
    // Waits until the status log reads `text`.
    bool WaitForStatus(const std::string& text, DWORD timeoutMs) const;
    // Waits until the dialog's thread has ended.
    bool WaitForExit(DWORD timeoutMs) const;
    // Waits until the dialog has handled every message posted to it before this call.
    bool Flush() const;

    // Texts appended to the status log, with "<clear>" for each clearing.
    std::vector<std::string> StatusLog() const;
    // Progress positions set, with -1 for each step.
    std::vector<int> ProgressLog() const;

    // Recording, called on the dialog thread by the watched controls.
    void RecordStatus(const std::string& entry);
    void RecordProgress(int entry);

private:
    static DWORD WINAPI ThreadMain(LPVOID param);

    DialogOptions m_options;
    HANDLE m_thread = nullptr;
    DWORD m_threadId = 0;
    HANDLE m_opened = nullptr;
    HWND m_hWnd = nullptr;

    mutable std::mutex m_lock;
    std::vector<std::string> m_statusLog;
    std::vector<int> m_progressLog;
};
