// Runs that never reach the flash: a device that is not ready or holds another version,
// images that are missing or wrong, a staging file that cannot be written, and starts
// that the updater refuses: a second copy, and the capture application.
#include "UpdaterFixture.h"

#include <functional>

#include "WaitUntil.h"

using uidriver::ChildProcess;
using uidriver::UiWindow;

namespace {

using RefusalTest = UpdaterFixture;

// The device check refuses the update and leaves only About and Exit: a probe that says
// "not ready", a Source filter that cannot be created at all, another version in the
// flash, and a failed read of the flash, which is not taken for a blank flash.
TEST_F(RefusalTest, TheDeviceCheckRefusesAndLeavesOnlyAboutAndExit) {
    const std::string notReady = shown::kCheckNotReady;
    const struct {
        const char* name;
        const char* fault;        // a device setting that is 1, or null
        const char* flashVersion; // null: the new device's 0211
        std::string status;
        const char* shownVersion;
    } cases[] = {
        {"not ready", "probe2", nullptr, notReady, "----"},
        {"no Source filter", "fault_no_source", nullptr, notReady, "----"},
        {"failed read", "fault_read_fails", nullptr, shown::kVersionError, "----"},
        {"other version", nullptr, "0213", shown::kVersionError, "0213"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        m_device.Set({{"probe2", "0"}, {"fault_no_source", "0"}, {"fault_read_fails", "0"}});
        if (c.fault)
            m_device.Set({{c.fault, "1"}});
        if (c.flashVersion)
            SetFlashVersion(c.flashVersion);
        UiWindow window;
        ASSERT_NO_FATAL_FAILURE(StartShowing(c.status, window));
        ASSERT_TRUE(window.WaitForEnabled(IDC_ABOUT, true, kStartMs));
        ExpectScreen(window, c.status, c.shownVersion, false, true, true);
        ExitUpdater(window);
    }
}

// Update pressed on a ready device, and the run stops before the flash with the reason.
TEST_F(RefusalTest, AnUpdateThatCannotGoAheadStopsBeforeTheFlash) {
    HANDLE held = INVALID_HANDLE_VALUE;
    const struct {
        const char* name;
        std::function<void()> prepare; // before the updater starts
        bool deviceGoesAway;           // not ready when Update is pressed
        std::string status;
    } cases[] = {
        {"device gone", [] {}, true, shown::kNotReady},
        {"no image", [&] { RemoveImage(); }, false, shown::kFileAccessError},
        {"image a word short", [&] { WriteImage(0x0214, 0x1FFFFE); }, false,
         shown::kFileVersionError},
        {"image a word long", [&] { WriteImage(0x0214, 0x200002); }, false,
         shown::kFileVersionError},
        {"other image version", [&] { WriteImage(0x0213); }, false, shown::kFileVersionError},
        {"staging file held open elsewhere",
         [&] {
             held = CreateFileA(m_folder.File("update_temp.bin").c_str(), GENERIC_WRITE, 0, nullptr,
                                CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
             ASSERT_NE(INVALID_HANDLE_VALUE, held);
         },
         false, shown::kFileAccessError},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        WriteImage();
        m_device.Set({{"probe1", "0"}});
        c.prepare();
        UiWindow window;
        ASSERT_NO_FATAL_FAILURE(StartShowing(shown::kReady, window));
        if (c.deviceGoesAway)
            m_device.Set({{"probe1", "1"}});

        ASSERT_TRUE(window.Click(IDC_UPDATE));
        ASSERT_TRUE(window.WaitForText(IDC_STATUS, c.status, kStartMs));
        ASSERT_TRUE(window.WaitForEnabled(IDOK, true, kStartMs));
        ExpectScreen(window, c.status, "0211", false, true, true);
        EXPECT_EQ("0", m_device.Get("flash_count"));
        ExitUpdater(window);
        ExpectImageUnchanged();
    }
    ExpectRunLogHolds({"version \"0214\", refused", "2097150 bytes", "2097154 bytes",
                       "2097152 bytes, version \"0213\", refused", "not opened",
                       shown::kFileVersionError});
    if (held != INVALID_HANDLE_VALUE)
        CloseHandle(held);
}

// Windows that stand in for the capture application, and one over it, so that a raise of
// the capture application shows in the Z order. Each is a UI driver test window.
class CaptureTest : public UpdaterFixture {
protected:
    // Shows the stand-in titled `title` and a window over it.
    void ShowCapture(const std::string& title) {
        m_capture = Show(title);
        m_cover = Show("Window over the capture application");
        ASSERT_TRUE(m_capture && m_cover);
        ASSERT_FALSE(CaptureOnTop());
    }
    HWND Show(const std::string& title) {
        ChildProcess& window = m_programs.Start("uidriver_testwin.exe", title);
        return UiWindow::WaitFor(title, kStartMs, window.Id()).Handle();
    }
    // True when the stand-in lies above the window shown over it.
    bool CaptureOnTop() const {
        for (HWND hwnd = GetWindow(m_capture, GW_HWNDNEXT); hwnd;
             hwnd = GetWindow(hwnd, GW_HWNDNEXT)) {
            if (hwnd == m_cover)
                return true;
        }
        return false;
    }

    HWND m_capture = nullptr;
    HWND m_cover = nullptr;
};

TEST_F(CaptureTest, ASecondCopyEndsWithoutAWindowAndTheFirstRunsOn) {
    UiWindow first;
    ASSERT_NO_FATAL_FAILURE(StartShowing(shown::kReady, first));
    // The copy ends for the running updater before it looks for the capture application.
    ASSERT_NO_FATAL_FAILURE(ShowCapture(kCaptureWindowTitle));

    ExpectEndsWithoutWindow(m_programs.Start("ZrcUpdater.exe"));
    EXPECT_FALSE(CaptureOnTop());
    ExpectScreen(first, shown::kReady, "0211", true, true, true);
    ExitUpdater(first);
}

// The capture application is brought to the front instead, so the user sees why the updater
// did not start; when it is minimized, it is restored as well, and only then.
TEST_F(CaptureTest, TheCaptureApplicationIsRaisedAndRestoredInsteadOfAStart) {
    ASSERT_NO_FATAL_FAILURE(ShowCapture(kCaptureWindowTitle));
    ShowWindowAsync(m_capture, SW_MAXIMIZE);
    // Maximized, the stand-in comes to the top, maybe only after it reports so.
    ASSERT_TRUE(WaitUntil(
        [&] {
            SetWindowPos(m_cover, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
            return IsZoomed(m_capture) && !CaptureOnTop();
        },
        kStartMs));
    ExpectEndsWithoutWindow(m_programs.Start("ZrcUpdater.exe"));
    EXPECT_TRUE(WaitUntil([&] { return CaptureOnTop(); }, kStartMs));
    EXPECT_TRUE(IsZoomed(m_capture));

    SetWindowPos(m_cover, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    ShowWindowAsync(m_capture, SW_MINIMIZE);
    ASSERT_TRUE(WaitUntil([&] { return IsIconic(m_capture) && !CaptureOnTop(); }, kStartMs));
    ExpectEndsWithoutWindow(m_programs.Start("ZrcUpdater.exe"));
    EXPECT_TRUE(WaitUntil([&] { return !IsIconic(m_capture); }, kStartMs));
    EXPECT_TRUE(CaptureOnTop());
    EXPECT_EQ("0", m_device.Get("flash_count"));

    // Once the capture application has gone, the updater runs: the refused copy did not
    // leave its mutex behind.
    PostMessageA(m_capture, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(UiWindow::WaitGone(kCaptureWindowTitle, kGoneMs));
    UiWindow window;
    ASSERT_NO_FATAL_FAILURE(StartShowing(shown::kReady, window));
    ExitUpdater(window);
}

TEST_F(CaptureTest, ALongerTitleIsNotTheCaptureApplication) {
    ASSERT_NO_FATAL_FAILURE(ShowCapture(std::string(kCaptureWindowTitle) + " - clip01.mpg"));
    UiWindow window;
    ASSERT_NO_FATAL_FAILURE(StartShowing(shown::kReady, window));
    EXPECT_FALSE(CaptureOnTop());
    ExitUpdater(window);
}

} // namespace
