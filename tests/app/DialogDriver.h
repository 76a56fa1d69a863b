#pragma once
// Drives a modal dialog from inside its own modal loop. Steps run one after another
// from a thread timer on the dialog thread; a step returns true when it is done, false
// to be polled again. When every step is done, or the deadline has passed, every
// window of the thread that is still open is closed, so a test never hangs.
#include <windows.h>

#include <functional>
#include <vector>

class DialogDriver {
public:
    using Step = std::function<bool()>;

    explicit DialogDriver(DWORD deadlineMs = 15000) : m_deadlineMs(deadlineMs) {}

    DialogDriver& Then(Step step) {
        m_steps.push_back(std::move(step));
        return *this;
    }
    // Waits, without blocking the dialog thread, until `ms` have passed since the
    // previous step ended.
    DialogDriver& Wait(DWORD ms);

    // Starts polling; call right before the modal loop begins (DoModal).
    void Start();
    // Stops polling. True when every step ran before the deadline.
    bool Finish();

private:
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD);
    void Poll();

    std::vector<Step> m_steps;
    size_t m_next = 0;
    DWORD m_deadlineMs;
    DWORD m_started = 0;
    DWORD m_stepEnded = 0;
    UINT_PTR m_timer = 0;
    bool m_timedOut = false;
    bool m_busy = false;
};

// Closes every window of this thread, warning dialogs included.
void CloseThreadWindows();
