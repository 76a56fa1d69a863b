// The starts that the updater refuses: while the capture application runs, or another copy
// of the updater. The device check's refusals are the app tests', the run's early stops the
// update tests'.
#include "tests/e2e/UpdaterFixture.h"

using uidriver::ChildProcess;
using uidriver::UiWindow;

namespace {

// Windows that stand in for the capture application, each with one shown over it, so that
// a raise of the capture application shows in the Z order: UI driver test windows.
class CaptureTest : public UpdaterFixture {
protected:
    void ExpectEndsWithoutWindow(const ChildProcess& process, CallerLine = {}) {
        bool showedWindow = false;
        EXPECT_TRUE(WaitUntil(
            [&] {
                showedWindow |= UiWindow::Find(kMainWindowTitle, process.Id()).Exists();
                return process.WaitForExit(0);
            },
            kProgramWaitMs));
        EXPECT_FALSE(showedWindow);
    }
    void ShowCapture(const std::string& title) {
        m_capture = Show(title);
        m_cover = Show("Window over the capture application");
        ASSERT_TRUE(m_capture && m_cover);
        ASSERT_FALSE(CaptureOnTop());
    }
    HWND Show(const std::string& title) {
        const DWORD process = m_programs.Start("uidriver_testwin.exe", title).Id();
        return UiWindow::WaitFor(title, kProgramWaitMs, process).Handle();
    }
    // The stand-in lies above the window shown over it.
    bool CaptureOnTop() const {
        for (HWND hwnd = GetWindow(m_capture, GW_HWNDNEXT); hwnd;
             hwnd = GetWindow(hwnd, GW_HWNDNEXT)) {
            if (hwnd == m_cover)
                return true;
        }
        return false;
    }
    void CoverCapture() const {
        SetWindowPos(m_cover, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    }

    HWND m_capture = nullptr;
    HWND m_cover = nullptr;
};

// The capture application is brought to the front instead of a start, so that the user
// sees why the updater did not start: as it is, maximized or minimized, and only a
// minimized one is restored. A second copy of the updater ends before it looks for it.
TEST_F(CaptureTest, OnlyTheCaptureApplicationOrARunningCopyStopsAStart) {
    ASSERT_NO_FATAL_FAILURE(ShowCapture(kCaptureWindowTitle));
    ExpectEndsWithoutWindow(m_programs.Start("ZrcUpdater.exe"));
    EXPECT_TRUE(WaitUntil([&] { return CaptureOnTop(); }, kProgramWaitMs));

    ShowWindowAsync(m_capture, SW_MAXIMIZE);
    // Maximized, the stand-in comes to the top, maybe only after it reports so.
    ASSERT_TRUE(WaitUntil(
        [&] {
            CoverCapture();
            return IsZoomed(m_capture) && !CaptureOnTop();
        },
        kProgramWaitMs));
    ExpectEndsWithoutWindow(m_programs.Start("ZrcUpdater.exe"));
    EXPECT_TRUE(WaitUntil([&] { return CaptureOnTop(); }, kProgramWaitMs));
    EXPECT_TRUE(IsZoomed(m_capture));

    CoverCapture();
    ShowWindowAsync(m_capture, SW_MINIMIZE);
    ASSERT_TRUE(WaitUntil([&] { return IsIconic(m_capture) && !CaptureOnTop(); }, kProgramWaitMs));
    ExpectEndsWithoutWindow(m_programs.Start("ZrcUpdater.exe"));
    EXPECT_TRUE(WaitUntil([&] { return !IsIconic(m_capture); }, kProgramWaitMs));
    EXPECT_TRUE(CaptureOnTop());
    EXPECT_EQ("0", m_device.Get("flash_count"));

    // Once it has gone the updater runs: the refused copies left no mutex behind, and a
    // longer title is not the capture application's.
    PostMessageA(m_capture, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(UiWindow::WaitGone(kCaptureWindowTitle, kProgramWaitMs));
    ASSERT_NO_FATAL_FAILURE(ShowCapture(std::string(kCaptureWindowTitle) + " - clip01.mpg"));
    UiWindow first;
    ASSERT_NO_FATAL_FAILURE(StartShowing(shown::kReady, first));
    EXPECT_FALSE(CaptureOnTop());

    ASSERT_NO_FATAL_FAILURE(ShowCapture(kCaptureWindowTitle));
    ExpectEndsWithoutWindow(m_programs.Start("ZrcUpdater.exe"));
    EXPECT_FALSE(CaptureOnTop());
    ExpectScreen(first, shown::kReady, "0211", kAllEnabled);
    ExitUpdater(first);
    ExpectRunLogHolds({"program ends in state ready"});
}

// The instance mutex's name taken by an object of another kind: without its mutex the
// updater ends as a second copy does, before it reaches the device or begins its run log.
TEST_F(CaptureTest, ANameTakenByAnotherKindOfObjectStopsAStart) {
    HANDLE squatter = CreateEventA(nullptr, TRUE, FALSE, "VELMORA_DIALOG_MUTEX");
    ASSERT_NE(squatter, nullptr);
    ExpectEndsWithoutWindow(m_programs.Start("ZrcUpdater.exe"));
    EXPECT_EQ(FileSize(m_folder.File(files::kRunLog)), -1);
    CloseHandle(squatter);
}

} // namespace
