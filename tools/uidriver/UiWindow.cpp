#include "tools/uidriver/UiWindow.h"

#include <commctrl.h>

#include <vector>

namespace uidriver {

namespace {

const DWORD kPollMs = 25;

struct TitleSearch {
    const std::string* title;
    DWORD processId;
    HWND first;
};

BOOL CALLBACK MatchTitle(HWND hwnd, LPARAM param) {
    auto* search = reinterpret_cast<TitleSearch*>(param);
    // A window that is not shown yet, or no longer, is not there for the user.
    if (!IsWindowVisible(hwnd))
        return TRUE;
    if (search->processId != 0) {
        DWORD owner = 0;
        GetWindowThreadProcessId(hwnd, &owner);
        if (owner != search->processId)
            return TRUE;
    }
    // GetWindowText reads another process's caption without sending it a message.
    char text[512] = {};
    GetWindowTextA(hwnd, text, sizeof(text));
    if (*search->title != text)
        return TRUE;
    search->first = hwnd;
    return FALSE;
}

TitleSearch Search(const std::string& title, DWORD processId) {
    TitleSearch search{&title, processId, nullptr};
    EnumWindows(MatchTitle, reinterpret_cast<LPARAM>(&search));
    return search;
}

// Posts a key's press, then its release. True once the press is posted: a key that closes
// its window (Escape, Enter, Alt+F4) may have closed it already, on a busy machine, and
// its release then reaches nothing, as a real key's would.
bool PostKeyStroke(HWND target, UINT down, UINT up, WPARAM key, LPARAM downBits, LPARAM upBits) {
    if (!PostMessageA(target, down, key, downBits))
        return false;
    PostMessageA(target, up, key, upBits);
    return true;
}

// Milliseconds left until deadline, a GetTickCount value; 0 once it has passed.
DWORD Remaining(DWORD deadline) {
    LONG left = static_cast<LONG>(deadline - GetTickCount());
    return left > 0 ? static_cast<DWORD>(left) : 0;
}

} // namespace

UiWindow UiWindow::Find(const std::string& title, DWORD processId) {
    return UiWindow(Search(title, processId).first);
}

UiWindow UiWindow::WaitFor(const std::string& title, DWORD timeoutMs, DWORD processId) {
    DWORD deadline = GetTickCount() + timeoutMs;
    for (;;) {
        UiWindow window = Find(title, processId);
        if (window.Exists() || Remaining(deadline) == 0)
            return window;
        Sleep(kPollMs);
    }
}

bool UiWindow::WaitGone(const std::string& title, DWORD timeoutMs, DWORD processId) {
    DWORD deadline = GetTickCount() + timeoutMs;
    for (;;) {
        if (!Find(title, processId).Exists())
            return true;
        if (Remaining(deadline) == 0)
            return false;
        Sleep(kPollMs);
    }
}

DWORD UiWindow::ProcessId() const {
    DWORD owner = 0;
    if (m_hwnd != nullptr)
        GetWindowThreadProcessId(m_hwnd, &owner);
    return owner;
}

HWND UiWindow::Control(int controlId) const {
    if (m_hwnd == nullptr)
        return nullptr;
    return controlId == 0 ? m_hwnd : GetDlgItem(m_hwnd, controlId);
}

HWND UiWindow::FocusedControl() const {
    GUITHREADINFO info = {};
    info.cbSize = sizeof(info);
    DWORD thread = GetWindowThreadProcessId(m_hwnd, nullptr);
    if (GetGUIThreadInfo(thread, &info) && info.hwndFocus != nullptr &&
        IsChild(m_hwnd, info.hwndFocus))
        return info.hwndFocus;
    return nullptr;
}

HWND UiWindow::FocusOrSelf() const {
    HWND focus = FocusedControl();
    return focus ? focus : m_hwnd;
}

bool UiWindow::ReadText(int controlId, std::string& text, DWORD timeoutMs) const {
    HWND control = Control(controlId);
    if (control == nullptr)
        return false;
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutA(control, WM_GETTEXTLENGTH, 0, 0, SMTO_NORMAL, timeoutMs, &length))
        return false;
    std::vector<char> buffer(length + 1, '\0');
    DWORD_PTR copied = 0;
    if (!SendMessageTimeoutA(control, WM_GETTEXT, buffer.size(),
                             reinterpret_cast<LPARAM>(buffer.data()), SMTO_NORMAL, timeoutMs,
                             &copied))
        return false;
    text.assign(buffer.data(), copied < buffer.size() ? copied : buffer.size() - 1);
    return true;
}

bool UiWindow::IsEnabled(int controlId) const {
    HWND control = Control(controlId);
    return control != nullptr && IsWindowEnabled(control);
}

int UiWindow::ReadProgress(int controlId, DWORD timeoutMs) const {
    HWND control = Control(controlId);
    DWORD_PTR position = 0;
    if (control == nullptr ||
        !SendMessageTimeoutA(control, PBM_GETPOS, 0, 0, SMTO_NORMAL, timeoutMs, &position))
        return -1;
    return static_cast<int>(position);
}

bool UiWindow::Click(int controlId) const {
    HWND control = Control(controlId);
    if (control == nullptr || !IsWindowEnabled(control) || !IsWindowVisible(control))
        return false;
    return PostMessageA(control, BM_CLICK, 0, 0) != FALSE;
}

bool UiWindow::RequestClose(CloseRequest how) const {
    if (!Exists())
        return false;
    switch (how) {
    case CloseRequest::Message:
        return PostMessageA(m_hwnd, WM_CLOSE, 0, 0) != FALSE;
    case CloseRequest::SystemMenu:
        return PostMessageA(m_hwnd, WM_SYSCOMMAND, SC_CLOSE, 0) != FALSE;
    case CloseRequest::Escape:
        // The dialog's message loop turns Escape into IDCANCEL.
        return PressKey(VK_ESCAPE);
    case CloseRequest::AltF4:
        // Bit 29 marks the Alt key held; default handling then asks the top-level window
        // to close through SC_CLOSE.
        return PostKeyStroke(FocusOrSelf(), WM_SYSKEYDOWN, WM_SYSKEYUP, VK_F4, 0x20000001,
                             0xE0000001);
    }
    return false;
}

bool UiWindow::PressKey(WORD virtualKey) const {
    if (!Exists())
        return false;
    // A key goes to the window that has the focus.
    return PostKeyStroke(FocusOrSelf(), WM_KEYDOWN, WM_KEYUP, virtualKey, 1, 0xC0000001);
}

bool UiWindow::WaitForText(int controlId, const std::string& text, DWORD timeoutMs) const {
    DWORD deadline = GetTickCount() + timeoutMs;
    for (;;) {
        std::string current;
        DWORD left = Remaining(deadline);
        // A program busy in a blocking step does not answer; that is not a mismatch.
        if (ReadText(controlId, current, left < 1000 ? left + 1 : 1000) && current == text)
            return true;
        if (Remaining(deadline) == 0 || !Exists())
            return false;
        Sleep(kPollMs);
    }
}

bool UiWindow::WaitForEnabled(int controlId, bool enabled, DWORD timeoutMs) const {
    DWORD deadline = GetTickCount() + timeoutMs;
    for (;;) {
        if (IsEnabled(controlId) == enabled)
            return true;
        if (Remaining(deadline) == 0 || !Exists())
            return false;
        Sleep(kPollMs);
    }
}

} // namespace uidriver
