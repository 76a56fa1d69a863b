// Runs that never reach the flash, where it takes the real program: a device check that a
// missing Source filter or a failed read refuses, an image missing or of another version,
// and the starts that the updater refuses. The device check's other outcomes are the app
// tests', the run's other early stops the update tests'.
#include "UpdaterFixture.h"

#include "WaitUntil.h"

using uidriver::ChildProcess;
using uidriver::UiWindow;

namespace {

// A device fault that makes the device check refuse the update.
struct CheckRefusal {
    const char* name;
    const char* fault;
    std::string status;
};

void PrintTo(const CheckRefusal& c, std::ostream* os) {
    *os << c.name;
}

class CheckRefusalTest : public UpdaterFixture, public testing::WithParamInterface<CheckRefusal> {};

// No version is shown (a failed read is not taken for a blank flash), and only About and
// Exit can be used.
TEST_P(CheckRefusalTest, LeavesOnlyAboutAndExit) {
    const CheckRefusal& c = GetParam();
    m_device.Set({{c.fault, "1"}});
    UiWindow window;
    ASSERT_NO_FATAL_FAILURE(StartShowing(c.status, window));
    ASSERT_TRUE(window.WaitForEnabled(IDC_ABOUT, true, kWaitMs));
    ExpectScreen(window, c.status, "----", false, true, true);
    ExitUpdater(window);
}

INSTANTIATE_TEST_SUITE_P(
    Devices, CheckRefusalTest,
    testing::Values(CheckRefusal{"NoSourceFilter", "fault_no_source", shown::kCheckNotReady},
                    CheckRefusal{"FailedRead", "fault_read_fails", shown::kVersionError}),
    [](const testing::TestParamInfo<CheckRefusal>& info) { return info.param.name; });

// The image as the user left it, and what the run log records of it.
struct ImageStop {
    const char* name;
    std::uint16_t version; // 0: no image
    std::string status;
    const char* logged;
};

void PrintTo(const ImageStop& c, std::ostream* os) {
    *os << c.name;
}

class ImageStopTest : public UpdaterFixture, public testing::WithParamInterface<ImageStop> {};

// The run stops before the flash with the reason; the image stays as it was.
TEST_P(ImageStopTest, StopsBeforeTheFlashWithTheReason) {
    const ImageStop& c = GetParam();
    ReplaceImage(c.version);
    UiWindow window;
    ASSERT_NO_FATAL_FAILURE(StartShowing(shown::kReady, window));

    ASSERT_TRUE(window.Click(IDC_UPDATE));
    ASSERT_TRUE(window.WaitForText(IDC_STATUS, c.status, kWaitMs));
    ASSERT_TRUE(window.WaitForEnabled(IDOK, true, kWaitMs));
    ExpectScreen(window, c.status, "0211", false, true, true);
    EXPECT_EQ("0", m_device.Get("flash_count"));
    ExitUpdater(window);
    ExpectRunLogHolds({c.logged});
}

INSTANTIATE_TEST_SUITE_P(
    Images, ImageStopTest,
    testing::Values(ImageStop{"Missing", 0, shown::kFileAccessError, "not opened"},
                    ImageStop{"OtherVersion", 0x0213, shown::kFileVersionError,
                              "2097152 bytes, version \"0213\", refused"}),
    [](const testing::TestParamInfo<ImageStop>& info) { return info.param.name; });

// Windows that stand in for the capture application, each with one shown over it, so that
// a raise of the capture application shows in the Z order: UI driver test windows.
class CaptureTest : public UpdaterFixture {
protected:
    void ExpectEndsWithoutWindow(const ChildProcess& process) {
        bool showedWindow = false;
        EXPECT_TRUE(WaitUntil(
            [&] {
                showedWindow |= UiWindow::Find(kMainWindowTitle, process.Id()).Exists();
                return process.WaitForExit(0);
            },
            kWaitMs));
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
        return UiWindow::WaitFor(title, kWaitMs, process).Handle();
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
    EXPECT_TRUE(WaitUntil([&] { return CaptureOnTop(); }, kWaitMs));

    ShowWindowAsync(m_capture, SW_MAXIMIZE);
    // Maximized, the stand-in comes to the top, maybe only after it reports so.
    ASSERT_TRUE(WaitUntil(
        [&] {
            CoverCapture();
            return IsZoomed(m_capture) && !CaptureOnTop();
        },
        kWaitMs));
    ExpectEndsWithoutWindow(m_programs.Start("ZrcUpdater.exe"));
    EXPECT_TRUE(WaitUntil([&] { return CaptureOnTop(); }, kWaitMs));
    EXPECT_TRUE(IsZoomed(m_capture));

    CoverCapture();
    ShowWindowAsync(m_capture, SW_MINIMIZE);
    ASSERT_TRUE(WaitUntil([&] { return IsIconic(m_capture) && !CaptureOnTop(); }, kWaitMs));
    ExpectEndsWithoutWindow(m_programs.Start("ZrcUpdater.exe"));
    EXPECT_TRUE(WaitUntil([&] { return !IsIconic(m_capture); }, kWaitMs));
    EXPECT_TRUE(CaptureOnTop());
    EXPECT_EQ("0", m_device.Get("flash_count"));

    // Once it has gone the updater runs: the refused copies left no mutex behind, and a
    // longer title is not the capture application's.
    PostMessageA(m_capture, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(UiWindow::WaitGone(kCaptureWindowTitle, kWaitMs));
    ASSERT_NO_FATAL_FAILURE(ShowCapture(std::string(kCaptureWindowTitle) + " - clip01.mpg"));
    UiWindow first;
    ASSERT_NO_FATAL_FAILURE(StartShowing(shown::kReady, first));
    EXPECT_FALSE(CaptureOnTop());

    ASSERT_NO_FATAL_FAILURE(ShowCapture(kCaptureWindowTitle));
    ExpectEndsWithoutWindow(m_programs.Start("ZrcUpdater.exe"));
    EXPECT_FALSE(CaptureOnTop());
    ExpectScreen(first, shown::kReady, "0211", true, true, true);
    ExitUpdater(first);
}

} // namespace
