// Instance control with real processes: the built ZrcUpdater.exe is started beside a
// running copy, and beside windows that look like the capture application.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

namespace {

const char kMainTitle[] = "TAVO ZRC-MT40 Updater v0214";
const char kCaptureTitle[] = "Corvane - Mpeg Capture";
const DWORD kStartTimeoutMs = 20000;

std::string UpdaterPath() {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, sizeof path);
    std::string text = path;
    return text.substr(0, text.find_last_of("\\/") + 1) + "ZrcUpdater.exe";
}

// Handles this thread's sent and posted messages: the updater raises our windows
// with calls that wait for this thread.
void PumpMessages() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

struct WindowSearch {
    DWORD processId;
    HWND found;
};

BOOL CALLBACK MatchUpdaterWindow(HWND hwnd, LPARAM lParam) {
    auto* search = reinterpret_cast<WindowSearch*>(lParam);
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    char title[128] = {};
    GetWindowTextA(hwnd, title, sizeof title);
    if (pid == search->processId && lstrcmpA(title, kMainTitle) == 0) {
        search->found = hwnd;
        return FALSE;
    }
    return TRUE;
}

// One started copy of the updater. A copy still running at the end is closed through
// its Exit button, or ended.
class UpdaterProcess {
public:
    UpdaterProcess() {
        std::string path = UpdaterPath();
        STARTUPINFOA startup = {};
        startup.cb = sizeof startup;
        m_started = CreateProcessA(path.c_str(), nullptr, nullptr, nullptr, FALSE, 0, nullptr,
                                   nullptr, &startup, &m_info) != FALSE;
    }
    ~UpdaterProcess() {
        if (!m_started)
            return;
        if (Running()) {
            if (HWND window = Window())
                PostMessageA(window, WM_COMMAND, IDOK, 0);
            if (!WaitForExit(10000))
                TerminateProcess(m_info.hProcess, 1);
        }
        CloseHandle(m_info.hThread);
        CloseHandle(m_info.hProcess);
    }
    UpdaterProcess(const UpdaterProcess&) = delete;
    UpdaterProcess& operator=(const UpdaterProcess&) = delete;

    bool Started() const { return m_started; }
    bool Running() const { return WaitForSingleObject(m_info.hProcess, 0) == WAIT_TIMEOUT; }

    // The updater's main window, or null.
    HWND Window() const {
        WindowSearch search = {m_info.dwProcessId, nullptr};
        EnumWindows(MatchUpdaterWindow, reinterpret_cast<LPARAM>(&search));
        return search.found;
    }

    // Waits for the main window, handling this thread's messages meanwhile.
    HWND WaitForWindow(DWORD timeoutMs) const {
        DWORD start = GetTickCount();
        while (GetTickCount() - start < timeoutMs && Running()) {
            if (HWND window = Window())
                return window;
            PumpMessages();
            Sleep(50);
        }
        return nullptr;
    }

    // Waits for the process to end; `sawWindow` tells whether its window showed meanwhile.
    bool WaitForExit(DWORD timeoutMs, bool* sawWindow = nullptr) const {
        DWORD start = GetTickCount();
        while (GetTickCount() - start < timeoutMs) {
            if (sawWindow && Window())
                *sawWindow = true;
            DWORD wait = MsgWaitForMultipleObjects(1, &m_info.hProcess, FALSE, 50, QS_ALLINPUT);
            if (wait == WAIT_OBJECT_0)
                return true;
            PumpMessages();
        }
        return false;
    }

private:
    PROCESS_INFORMATION m_info = {};
    bool m_started = false;
};

// Top-level windows of this test: a stand-in for the capture application, and a window
// over it, so a raise of the stand-in shows in the Z order.
class CaptureStandIn {
public:
    explicit CaptureStandIn(const char* title) {
        WNDCLASSA wc = {};
        wc.lpfnWndProc = DefWindowProcA;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "ZrcCaptureStandIn";
        RegisterClassA(&wc);
        m_capture = Create(title, 40);
        m_cover = Create("Window over the capture application", 60);
        PumpMessages();
    }
    ~CaptureStandIn() {
        DestroyWindow(m_cover);
        DestroyWindow(m_capture);
        PumpMessages();
    }
    CaptureStandIn(const CaptureStandIn&) = delete;
    CaptureStandIn& operator=(const CaptureStandIn&) = delete;

    bool Created() const { return m_capture && m_cover; }
    void Minimize() const { ShowWindow(m_capture, SW_MINIMIZE); }
    bool Minimized() const { return IsIconic(m_capture) != FALSE; }
    // True when the stand-in lies above the window that was created over it.
    bool CaptureOnTop() const {
        for (HWND hwnd = GetWindow(m_capture, GW_HWNDNEXT); hwnd;
             hwnd = GetWindow(hwnd, GW_HWNDNEXT)) {
            if (hwnd == m_cover)
                return true;
        }
        return false;
    }

private:
    static HWND Create(const char* title, int position) {
        return CreateWindowExA(0, "ZrcCaptureStandIn", title, WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                               position, position, 300, 200, nullptr, nullptr,
                               GetModuleHandleA(nullptr), nullptr);
    }

    HWND m_capture = nullptr;
    HWND m_cover = nullptr;
};

// Starts a copy of the updater and expects it to end without ever showing its window.
void StartCopyThatEndsWithoutWindow() {
    UpdaterProcess copy;
    ASSERT_TRUE(copy.Started());
    bool showedWindow = false;
    EXPECT_TRUE(copy.WaitForExit(kStartTimeoutMs, &showedWindow));
    EXPECT_FALSE(showedWindow);
}

TEST(InstanceTest, SecondCopyEndsSilentlyWhileTheFirstRunsOn) {
    UpdaterProcess first;
    ASSERT_TRUE(first.Started()) << UpdaterPath();
    ASSERT_NE(nullptr, first.WaitForWindow(kStartTimeoutMs));

    // The instance test comes first: the capture window is not raised by a second copy.
    CaptureStandIn capture(kCaptureTitle);
    ASSERT_TRUE(capture.Created());
    ASSERT_FALSE(capture.CaptureOnTop());

    ASSERT_NO_FATAL_FAILURE(StartCopyThatEndsWithoutWindow());
    EXPECT_FALSE(capture.CaptureOnTop());
    EXPECT_TRUE(first.Running());
    EXPECT_NE(nullptr, first.Window());
}

TEST(InstanceTest, CaptureApplicationIsRaisedInsteadOfRunning) {
    {
        // Minimized, it is restored as well, so the user sees why the updater did not start.
        CaptureStandIn capture(kCaptureTitle);
        ASSERT_TRUE(capture.Created());
        ASSERT_FALSE(capture.CaptureOnTop());
        capture.Minimize();
        ASSERT_TRUE(capture.Minimized());

        ASSERT_NO_FATAL_FAILURE(StartCopyThatEndsWithoutWindow());
        // The restore reaches the stand-in as a message of its own thread.
        DWORD start = GetTickCount();
        while (capture.Minimized() && GetTickCount() - start < kStartTimeoutMs) {
            PumpMessages();
            Sleep(20);
        }
        EXPECT_FALSE(capture.Minimized());
        EXPECT_TRUE(capture.CaptureOnTop());
    }
    // Once the capture application has gone, the updater runs: the refused copy did
    // not leave its mutex behind.
    UpdaterProcess next;
    ASSERT_TRUE(next.Started());
    EXPECT_NE(nullptr, next.WaitForWindow(kStartTimeoutMs));
}

TEST(InstanceTest, LongerTitleIsNotTheCaptureApplication) {
    CaptureStandIn capture("Corvane - Mpeg Capture - clip01.mpg");
    ASSERT_TRUE(capture.Created());

    UpdaterProcess updater;
    ASSERT_TRUE(updater.Started());
    EXPECT_NE(nullptr, updater.WaitForWindow(kStartTimeoutMs));
    EXPECT_FALSE(capture.CaptureOnTop());
}

} // namespace
