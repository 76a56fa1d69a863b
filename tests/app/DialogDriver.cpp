#include "DialogDriver.h"

namespace {

DialogDriver* g_driver = nullptr;

BOOL CALLBACK CloseWindow(HWND hwnd, LPARAM) {
    PostMessageA(hwnd, WM_COMMAND, IDCANCEL, 0);
    return TRUE;
}

} // namespace

DialogDriver& DialogDriver::Wait(DWORD ms) {
    return Then([this, ms] { return GetTickCount() - m_stepEnded >= ms; });
}

void DialogDriver::Start() {
    g_driver = this;
    m_started = m_stepEnded = GetTickCount();
    m_timer = SetTimer(nullptr, 0, 20, Tick);
}

bool DialogDriver::Finish() {
    if (m_timer)
        KillTimer(nullptr, m_timer);
    m_timer = 0;
    g_driver = nullptr;
    return !m_timedOut && m_next == m_steps.size();
}

void CALLBACK DialogDriver::Tick(HWND, UINT, UINT_PTR, DWORD) {
    if (g_driver)
        g_driver->Poll();
}

void DialogDriver::Poll() {
    // A step may itself run a modal loop that delivers this timer again.
    if (m_busy)
        return;
    m_busy = true;
    while (m_next < m_steps.size() && m_steps[m_next]()) {
        ++m_next;
        m_stepEnded = GetTickCount();
    }
    m_busy = false;
    if (m_next == m_steps.size()) {
        CloseThreadWindows();
    } else if (GetTickCount() - m_started > m_deadlineMs) {
        m_timedOut = true;
        CloseThreadWindows();
    }
}

void CloseThreadWindows() {
    EnumThreadWindows(GetCurrentThreadId(), CloseWindow, 0);
}
