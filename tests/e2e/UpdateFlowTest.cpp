// Update runs that reach the flash: the verdicts, what the device keeps, recovery after
// a power loss, and closing held off while the flash runs; and the About box.
#include "UpdaterFixture.h"

#include "WaitUntil.h"

using uidriver::CloseRequest;
using uidriver::UiWindow;

namespace {

using UpdateFlowTest = UpdaterFixture;

TEST_F(UpdateFlowTest, UpdatesFrom0211AndTheDeviceKeepsTheNewFirmware) {
    UiWindow window;
    ASSERT_NO_FATAL_FAILURE(StartShowing(shown::kReady, window));
    ExpectScreen(window, shown::kReady, "0211", true, true, true);

    ASSERT_TRUE(window.Click(IDC_UPDATE));
    ASSERT_TRUE(window.WaitForText(IDC_STATUS, shown::kUpdateOk, kFlashMs));
    ExpectScreen(window, shown::kUpdateOk, "0214", false, true, true);
    EXPECT_EQ(0, window.ReadProgress(IDC_PROGRESS));
    EXPECT_FALSE(StagingFileExists());
    ExitUpdater(window);

    ASSERT_NO_FATAL_FAILURE(StartShowing(shown::kReady, window));
    ExpectScreen(window, shown::kReady, "0214", true, true, true);
    ExitUpdater(window);
    // Both runs are on record for the maker's support.
    ExpectRunLogHolds({"ZrcUpdater 2.1.4", "Windows ", "filters: Source \"ZrcSrc 2.10.0.31\"",
                       "flash version word 0xffff0211, shown as 0211",
                       "2097152 bytes, version \"0214\", accepted", "command 49: 1 after",
                       "flash version word 0xffff0214, shown as 0214", "Update OK.",
                       "program ends in state finished", "program ends in state ready"});
}

// The whole run with the keyboard alone: Tab to Update and Space, then Enter on Exit.
TEST_F(UpdateFlowTest, KeyboardAloneRunsTheUpdateAndEndsTheProgram) {
    m_device.Set({{"flash_ms", "4000"}});
    UiWindow window;
    ASSERT_NO_FATAL_FAILURE(StartShowing(shown::kReady, window));
    const HWND update = GetDlgItem(window.Handle(), IDC_UPDATE);
    SetForegroundWindow(window.Handle());

    ASSERT_TRUE(window.PressKey(VK_TAB));
    ASSERT_TRUE(WaitUntil([&] { return window.FocusedControl() == update; }, kStartMs));
    ASSERT_TRUE(window.PressKey(VK_SPACE));
    ASSERT_TRUE(window.WaitForText(IDC_STATUS, shown::kUpdatingFlash, kStartMs));
    // The pressed button is disabled now; the keyboard must still reach the dialog.
    const HWND focus = window.FocusedControl();
    EXPECT_TRUE(focus != nullptr && IsWindowEnabled(focus));
    ASSERT_TRUE(window.WaitForText(IDC_STATUS, shown::kUpdateOk, kFlashMs));
    EXPECT_EQ(GetDlgItem(window.Handle(), IDOK), window.FocusedControl());
    ASSERT_TRUE(window.PressKey(VK_RETURN));
    EXPECT_TRUE(m_programs.Last().WaitForExit(kGoneMs));
}

// The About box shows what the device reported when the updater started: each filter's
// version without its first seven characters, modal over the main dialog.
TEST_F(UpdateFlowTest, TheAboutBoxShowsWhatTheDeviceReported) {
    m_device.Set({{"microcode", "0x0001abcd"},
                  {"source_version", "abcdefghij"},
                  {"splitter_version", "abc"},
                  {"sink_version", "ZrcSnk 2.10.0.31"}});
    UiWindow window;
    ASSERT_NO_FATAL_FAILURE(StartShowing(shown::kReady, window));
    ASSERT_TRUE(window.Click(IDC_ABOUT));
    UiWindow about = UiWindow::WaitFor(kAboutWindowTitle, kStartMs, window.ProcessId());
    ASSERT_TRUE(about.Exists());
    EXPECT_EQ(window.Handle(), GetWindow(about.Handle(), GW_OWNER));
    EXPECT_FALSE(IsWindowEnabled(window.Handle())) << "the main dialog can be used meanwhile";

    const struct {
        int id;
        const char* text;
    } lines[] = {
        {IDC_APP_VERSION, ""},
        {IDC_MICROCODE_VERSION, "Microcode Version 1abcd"},
        {IDC_SOURCE_VERSION, "Source Filter hij"},
        {IDC_SPLITTER_VERSION, "Splitter Filter "},
        // The start-up link holds no Sink filter.
        {IDC_SINK_VERSION, "Sink Filter  N/A"},
    };
    for (const auto& line : lines) {
        std::string text;
        EXPECT_TRUE(about.ReadText(line.id, text));
        EXPECT_EQ(line.text, text) << line.id;
    }
    ASSERT_TRUE(about.RequestClose(CloseRequest::Escape));
    EXPECT_TRUE(UiWindow::WaitGone(kAboutWindowTitle, kGoneMs, window.ProcessId()));
    EXPECT_TRUE(IsWindowEnabled(window.Handle()));
    ExpectScreen(window, shown::kReady, "0211", true, true, true);
    ExitUpdater(window);
}

// Another program's WM_QUIT ends the dialog's message loop; the process still waits for the
// device to be written.
TEST_F(UpdateFlowTest, AQuitMessageMidFlashWaitsForTheFlashToEnd) {
    m_device.Set({{"flash_ms", "8000"}});
    UiWindow window;
    ASSERT_NO_FATAL_FAILURE(StartFlashing(window));
    ASSERT_TRUE(WaitUntil([&] { return window.ReadProgress(IDC_PROGRESS) > 0; }, kStartMs));

    ASSERT_TRUE(PostMessageA(window.Handle(), WM_QUIT, 0, 0));
    EXPECT_TRUE(UiWindow::WaitGone(kMainWindowTitle, kGoneMs, window.ProcessId()));
    EXPECT_FALSE(m_programs.Last().WaitForExit(0)) << "the updater ended mid-flash";
    ASSERT_TRUE(m_programs.Last().WaitForExit(kFlashMs));
    EXPECT_EQ("0x00000000", m_device.Get("last_flash_status"));
    EXPECT_FALSE(StagingFileExists());
}

// Here the run log cannot be written: a folder has its name. Nothing else changes.
TEST_F(UpdateFlowTest, APowerLossMidFlashIsRecoveredByTheNextRun) {
    ASSERT_TRUE(CreateDirectoryA(m_folder.File("ZrcUpdater.log").c_str(), nullptr));
    m_device.Set({{"fault_power_loss", "1"}});
    UiWindow window;
    ASSERT_NO_FATAL_FAILURE(StartShowing(shown::kReady, window));
    ASSERT_TRUE(window.Click(IDC_UPDATE));
    ASSERT_TRUE(window.WaitForText(IDC_STATUS, shown::kFlashFailed, kFlashMs));
    EXPECT_FALSE(StagingFileExists());
    ExitUpdater(window);

    // The half-written flash reads erased: shown as "****" and let through the gate.
    ASSERT_NO_FATAL_FAILURE(StartShowing(shown::kReady, window));
    ExpectScreen(window, shown::kReady, "****", true, true, true);
    ASSERT_TRUE(window.Click(IDC_UPDATE));
    ASSERT_TRUE(window.WaitForText(IDC_STATUS, shown::kUpdateOk, kFlashMs));
    ExpectScreen(window, shown::kUpdateOk, "0214", false, true, true);
    EXPECT_FALSE(StagingFileExists());
    ExitUpdater(window);
}

// The close box, the system menu, Escape, Alt+F4, a close from the task bar, Exit and
// Enter, and a log-off are all refused while the flash runs, and honoured after it.
TEST_F(UpdateFlowTest, CloseRequestsAreRefusedWhileTheFlashRunsAndHonouredAfter) {
    m_device.Set({{"flash_ms", "8000"}});
    UiWindow window;
    ASSERT_NO_FATAL_FAILURE(StartFlashing(window));
    EXPECT_FALSE(window.IsEnabled(IDOK));
    const HWND dialog = window.Handle();
    auto queryEndSession = [dialog] {
        DWORD_PTR answer = 0;
        SendMessageTimeoutA(dialog, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF, SMTO_NORMAL, 10000,
                            &answer);
        return static_cast<LRESULT>(answer);
    };

    for (CloseRequest request : {CloseRequest::Message, CloseRequest::SystemMenu,
                                 CloseRequest::Escape, CloseRequest::AltF4})
        ASSERT_TRUE(window.RequestClose(request));
    PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    PostMessageA(dialog, WM_COMMAND, IDOK, 0);
    PostMessageA(dialog, WM_KEYDOWN, VK_RETURN, 0);
    ASSERT_TRUE(Handled(window));
    EXPECT_TRUE(window.Exists()) << "the updater closed in the middle of the flash";
    EXPECT_EQ(FALSE, queryEndSession());
    std::string text;
    EXPECT_TRUE(window.ReadText(IDC_STATUS, text));
    EXPECT_EQ(shown::kUpdatingFlash, text);
    // A timer period into the run the device is still flashing. It is read once: the
    // device cannot record anything while its settings file is open elsewhere.
    ASSERT_TRUE(WaitUntil([&] { return window.ReadProgress(IDC_PROGRESS) > 0; }, kStartMs));
    EXPECT_EQ("running", m_device.Get("last_flash_status"));

    ASSERT_TRUE(window.WaitForText(IDC_STATUS, shown::kUpdateOk, kFlashMs));
    EXPECT_FALSE(StagingFileExists());
    EXPECT_EQ(TRUE, queryEndSession());
    DWORD process = window.ProcessId();
    ASSERT_TRUE(window.RequestClose(CloseRequest::SystemMenu));
    EXPECT_TRUE(UiWindow::WaitGone(kMainWindowTitle, kGoneMs, process));
    EXPECT_TRUE(m_programs.Last().WaitForExit(kGoneMs));
}

} // namespace
