// A top-level window of another process, seen from outside the way a user sees it:
// found by its whole title, its controls read and clicked by id, closed on request.
// Nothing here ever sends a message that waits on the program's own steps without a
// timeout: clicks and close requests are posted, texts are read with a bounded send.
#pragma once

#include <windows.h>

#include <string>

namespace uidriver {

// How a close request reaches the window, as a user would make it.
enum class CloseRequest {
    Message,    // WM_CLOSE, as the task bar's Close does
    SystemMenu, // WM_SYSCOMMAND SC_CLOSE: the close box or the system menu's Close
    Escape,     // the Escape key pressed in the window
    AltF4,      // Alt+F4 pressed in the window
};

class UiWindow {
public:
    UiWindow() = default;
    explicit UiWindow(HWND hwnd) : m_hwnd(hwnd) {}

    // The first shown top-level window with exactly this title, optionally only of one
    // process. Hidden windows are not seen, as a user does not see them.
    static UiWindow Find(const std::string& title, DWORD processId = 0);
    // Polls until such a window exists; an empty UiWindow after the timeout.
    static UiWindow WaitFor(const std::string& title, DWORD timeoutMs, DWORD processId = 0);
    // Polls until no window with this title is left; false after the timeout.
    static bool WaitGone(const std::string& title, DWORD timeoutMs, DWORD processId = 0);

    HWND Handle() const { return m_hwnd; }
    bool Exists() const { return m_hwnd != nullptr && IsWindow(m_hwnd); }
    DWORD ProcessId() const;

    // Text of a control (controlId 0: of the window itself). False when the control is
    // missing or its thread did not answer within timeoutMs (it may be blocked).
    bool ReadText(int controlId, std::string& text, DWORD timeoutMs = 1000) const;
    // Reads the window state alone, so it answers even while the program is blocked.
    bool IsEnabled(int controlId) const;
    bool IsVisible() const { return m_hwnd != nullptr && IsWindowVisible(m_hwnd); }
    // Position of a progress bar, read with a bounded send; -1 when it did not answer.
    int ReadProgress(int controlId, DWORD timeoutMs = 1000) const;

    // Posts a click to an enabled button; false when the control is missing or disabled,
    // since a user could not click it either.
    bool Click(int controlId) const;
    bool RequestClose(CloseRequest how) const;
    // Posts a key press, down then up, to the control that has the keyboard focus (or to
    // the window itself), as the keyboard delivers it; the program's message loop then
    // handles Tab, Enter, Space and Escape as for a real key. False only when the key
    // could not be pressed: its release may find the window closed by the key.
    bool PressKey(WORD virtualKey) const;
    // The control of this window that has the keyboard focus, read without the program's
    // help; null when none of them has it.
    HWND FocusedControl() const;

    // Polls the control's text until it equals text; false after the timeout.
    bool WaitForText(int controlId, const std::string& text, DWORD timeoutMs) const;
    // Polls until the control's enabled state is the one given; false after the timeout.
    bool WaitForEnabled(int controlId, bool enabled, DWORD timeoutMs) const;

private:
    HWND Control(int controlId) const;
    HWND FocusOrSelf() const;

    HWND m_hwnd = nullptr;
};

} // namespace uidriver
