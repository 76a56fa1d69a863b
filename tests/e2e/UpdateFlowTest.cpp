// Update runs that reach the flash: the verdicts, what the device keeps from one start to
// the next, the About box, the keyboard alone, and closing held off while the flash runs.
#include "tests/e2e/UpdaterFixture.h"

using uidriver::CloseRequest;
using uidriver::UiWindow;

namespace {

using UpdateFlowTest = UpdaterFixture;

// The updater's answer to a log-off's question whether the session may end.
LRESULT QueryEndSession(const UiWindow& window) {
    DWORD_PTR answer = 0;
    SendMessageTimeoutA(window.Handle(), WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF, SMTO_NORMAL,
                        kWaitMs, &answer);
    return static_cast<LRESULT>(answer);
}

// Waits until the updater has handled the messages posted to it so far, and those they post
// (Alt+F4 posts the close command): a text limit of the status log, which nothing else sets
// and the user does not see, posted twice as a marker.
bool Handled(const UiWindow& window, DWORD timeoutMs) {
    const HWND status = GetDlgItem(window.Handle(), IDC_STATUS);
    for (WPARAM marker : {0x7001, 0x7002}) {
        DWORD_PTR limit = 0;
        PostMessageA(status, EM_SETLIMITTEXT, marker, 0);
        WaitUntil(
            [&] {
                return !IsWindow(status) || (SendMessageTimeoutA(status, EM_GETLIMITTEXT, 0, 0,
                                                                 SMTO_NORMAL, 1000, &limit) &&
                                             limit == marker);
            },
            timeoutMs);
        if (limit != marker)
            return false;
    }
    return true;
}

// The half-written flash reads erased: the next start shows "****" and lets it through the
// gate, and that run updates and shows in its About box what the device reported.
TEST_F(UpdateFlowTest, APowerLossIsRecoveredByTheNextRun) {
    m_device.Set({{"fault_power_loss", "1"},
                  {"flash_ms", "6000"},
                  {"microcode", "0x0001abcd"},
                  {"source_version", "abcdefghij"},
                  {"splitter_version", "abc"}});
    UiWindow window;
    ASSERT_NO_FATAL_FAILURE(StartShowing(shown::kReady, window));
    ExpectScreen(window, shown::kReady, "0211", kAllEnabled);
    ASSERT_TRUE(window.Click(IDC_UPDATE));
    ASSERT_TRUE(window.WaitForText(IDC_STATUS, shown::kUpdatingFlash, kProgramWaitMs));
    // Home moves the log's caret to its start mid-flash; what follows still goes at the end.
    const HWND status = GetDlgItem(window.Handle(), IDC_STATUS);
    PostMessageA(status, WM_KEYDOWN, VK_HOME, 1);
    ASSERT_TRUE(Handled(window, kProgramWaitMs));
    DWORD_PTR selection = 1;
    SendMessageTimeoutA(status, EM_GETSEL, 0, 0, SMTO_NORMAL, kWaitMs, &selection);
    ASSERT_EQ(shown::kUpdatingFlash, Text(window, IDC_STATUS)) << "the flash ended too soon";
    EXPECT_EQ(0, LOWORD(selection));
    ASSERT_TRUE(
        window.WaitForText(IDC_STATUS, "Updating Flash... Done!\r\nUpdate NG.\r\n", kProgramWaitMs))
        << Text(window, IDC_STATUS);
    EXPECT_FALSE(StagingFileExists());
    ExitUpdater(window);

    ASSERT_NO_FATAL_FAILURE(StartShowing(shown::kReady, window));
    ExpectScreen(window, shown::kReady, "****", kAllEnabled);
    ASSERT_TRUE(window.Click(IDC_UPDATE));
    ASSERT_TRUE(window.WaitForText(IDC_STATUS, shown::kUpdateOk, kProgramWaitMs));
    ExpectScreen(window, shown::kUpdateOk, "0214", kAllButUpdate);
    EXPECT_EQ(0, window.ReadProgress(IDC_PROGRESS));
    EXPECT_FALSE(StagingFileExists());
    // Each filter's version without its first seven characters, modal over the main dialog.
    ASSERT_TRUE(window.Click(IDC_ABOUT));
    UiWindow about = UiWindow::WaitFor(shown::kAboutTitle, kProgramWaitMs, m_updater->Id());
    ASSERT_TRUE(about.Exists());
    EXPECT_EQ(window.Handle(), GetWindow(about.Handle(), GW_OWNER));
    EXPECT_FALSE(IsWindowEnabled(window.Handle())) << "the main dialog can be used meanwhile";
    EXPECT_EQ("", Text(about, IDC_APP_VERSION));
    EXPECT_EQ("Microcode Version 1abcd", Text(about, IDC_MICROCODE_VERSION));
    EXPECT_EQ("Source Filter hij", Text(about, IDC_SOURCE_VERSION));
    EXPECT_EQ("Splitter Filter ", Text(about, IDC_SPLITTER_VERSION));
    // The start-up link holds no Sink filter.
    EXPECT_EQ("Sink Filter  N/A", Text(about, IDC_SINK_VERSION));
    ASSERT_TRUE(about.RequestClose(CloseRequest::Escape));
    EXPECT_TRUE(UiWindow::WaitGone(shown::kAboutTitle, kProgramWaitMs, m_updater->Id()));
    EXPECT_TRUE(IsWindowEnabled(window.Handle()));
    // With the verdict on screen a log-off and the close box are honoured.
    EXPECT_EQ(TRUE, QueryEndSession(window));
    ASSERT_TRUE(window.RequestClose(CloseRequest::SystemMenu));
    EXPECT_TRUE(m_updater->WaitForExit(kProgramWaitMs));
    // The runs are on record for the maker's support.
    ExpectRunLogHolds({"ZrcUpdater " ZRC_PROJECT_VERSION, "Windows ",
                       "DLL search: current folder not searched: yes",
                       "filters: Source \"abcdefghij\"",
                       "flash version word 0xffff0211, shown as 0211",
                       "2097152 bytes, version \"0214\", accepted", "command 49: 1 after",
                       "flash version word 0xffff0214, shown as 0214", "Update OK.",
                       "program ends in state finished"});
}

// The whole run with the keyboard alone: Tab to Update and Space, then Enter on Exit.
TEST_F(UpdateFlowTest, KeyboardAloneRunsTheUpdateAndEndsTheProgram) {
    UiWindow window;
    ASSERT_NO_FATAL_FAILURE(StartShowing(shown::kReady, window));
    const HWND update = GetDlgItem(window.Handle(), IDC_UPDATE);
    SetForegroundWindow(window.Handle());

    ASSERT_TRUE(window.PressKey(VK_TAB));
    ASSERT_TRUE(WaitUntil([&] { return window.FocusedControl() == update; }, kProgramWaitMs));
    ASSERT_TRUE(window.PressKey(VK_SPACE));
    ASSERT_TRUE(window.WaitForText(IDC_STATUS, shown::kUpdatingFlash, kProgramWaitMs));
    // The pressed button is disabled now; the keyboard must still reach the dialog.
    const HWND focus = window.FocusedControl();
    EXPECT_TRUE(focus != nullptr && IsWindowEnabled(focus));
    ASSERT_TRUE(window.WaitForText(IDC_STATUS, shown::kUpdateOk, kProgramWaitMs));
    EXPECT_EQ(GetDlgItem(window.Handle(), IDOK), window.FocusedControl());
    ASSERT_TRUE(window.PressKey(VK_RETURN));
    EXPECT_TRUE(m_updater->WaitForExit(kProgramWaitMs));
}

// The close box, the system menu, Escape, Alt+F4, a close from the task bar, Exit, Enter
// and a log-off are all refused while the flash runs. Another program's WM_QUIT waits for
// the verdict, with the window on screen and answering; then the program ends by itself.
// Here the run log cannot be written (a folder has its name), which changes nothing.
TEST_F(UpdateFlowTest, CloseRequestsAreRefusedMidFlashAndAQuitWaitsForTheVerdict) {
    ASSERT_TRUE(CreateDirectoryA(m_folder.File(files::kRunLog).c_str(), nullptr));
    m_device.Set({{"flash_ms", "5000"}});
    UiWindow window;
    ASSERT_NO_FATAL_FAILURE(StartShowing(shown::kReady, window));
    ASSERT_TRUE(window.Click(IDC_UPDATE));
    ASSERT_TRUE(window.WaitForText(IDC_STATUS, shown::kUpdatingFlash, kProgramWaitMs));
    EXPECT_FALSE(window.IsEnabled(IDOK));
    const HWND dialog = window.Handle();
    for (CloseRequest request : {CloseRequest::Message, CloseRequest::SystemMenu,
                                 CloseRequest::Escape, CloseRequest::AltF4})
        ASSERT_TRUE(window.RequestClose(request));
    PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    PostMessageA(dialog, WM_COMMAND, IDOK, 0);
    PostMessageA(dialog, WM_KEYDOWN, VK_RETURN, 0);
    ASSERT_TRUE(Handled(window, kProgramWaitMs)) << "the updater closed in the middle of the flash";
    EXPECT_EQ(FALSE, QueryEndSession(window));
    // Still the flash's text: the requests above came while it ran.
    EXPECT_EQ(shown::kUpdatingFlash, Text(window, IDC_STATUS));

    ASSERT_TRUE(PostMessageA(dialog, WM_QUIT, 0, 0));
    ASSERT_TRUE(Handled(window, kProgramWaitMs)) << "the updater ended mid-flash";
    EXPECT_TRUE(window.IsVisible());
    EXPECT_EQ(shown::kUpdatingFlash, Text(window, IDC_STATUS));
    EXPECT_EQ(FALSE, QueryEndSession(window));
    ASSERT_TRUE(m_updater->WaitForExit(kProgramWaitMs));
    EXPECT_EQ("1", m_device.Get("flash_count"));
    EXPECT_EQ("0x00000000", m_device.Get("last_flash_status"));
    EXPECT_FALSE(StagingFileExists());
}

// A session's end posted by another program mid-flash changes nothing: the run goes on to
// its verdict and Exit ends it. A session that Windows ends mid-flash is answered only once
// the flash has ended.
TEST_F(UpdateFlowTest, AForgedSessionEndChangesNothingAndASessionsEndWaitsForTheFlash) {
    m_device.Set({{"flash_ms", "5000"}});
    UiWindow window;
    ASSERT_NO_FATAL_FAILURE(StartShowing(shown::kReady, window));
    ASSERT_TRUE(window.Click(IDC_UPDATE));
    ASSERT_TRUE(window.WaitForText(IDC_STATUS, shown::kUpdatingFlash, kProgramWaitMs));
    const HWND dialog = window.Handle();
    PostMessageA(dialog, WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF);
    ASSERT_TRUE(Handled(window, kProgramWaitMs)) << "the updater ended mid-flash";
    EXPECT_TRUE(window.IsVisible());
    EXPECT_EQ(shown::kUpdatingFlash, Text(window, IDC_STATUS));

    DWORD_PTR answer = 0;
    ASSERT_TRUE(SendMessageTimeoutA(dialog, WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF, SMTO_NORMAL,
                                    kProgramWaitMs, &answer));
    EXPECT_EQ("0x00000000", m_device.Get("last_flash_status"));
    ASSERT_TRUE(window.WaitForText(IDC_STATUS, shown::kUpdateOk, kProgramWaitMs));
    ExpectScreen(window, shown::kUpdateOk, "0214", kAllButUpdate);
    ExitUpdater(window);
    ExpectRunLogHolds({"session ends in state flashing", "the flash ended as the session ended: 1",
                       "program ends in state finished"});
}

} // namespace
