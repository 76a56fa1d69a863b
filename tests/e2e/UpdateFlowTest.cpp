// Update runs that reach the flash: the verdicts, what the device keeps, recovery after
// a power loss, and closing held off while the flash runs.
#include "UpdaterFixture.h"

#include "SimSettings.h"

using uidriver::CloseRequest;
using uidriver::UiWindow;
using namespace updater;

namespace {

using UpdateFlowTest = UpdaterFixture;

TEST_F(UpdateFlowTest, UpdatesFrom0211AndTheDeviceKeepsTheNewFirmware) {
    UiWindow window;
    ASSERT_NO_FATAL_FAILURE(StartShowing("Ready.\r\n", window));
    ExpectScreen(window, "Ready.\r\n", "0211", true, true, true);

    ASSERT_TRUE(window.Click(kUpdate));
    ASSERT_TRUE(window.WaitForText(kStatus, "Update OK.\r\n", kFlashMs));
    ExpectScreen(window, "Update OK.\r\n", "0214", false, true, true);
    EXPECT_EQ(0, window.ReadProgress(kProgress));
    EXPECT_FALSE(StagingFileExists());
    EXPECT_EQ("1", DeviceRecord("flash_count"));
    EXPECT_EQ(".\\update_temp.bin", DeviceRecord("last_flash_path"));
    DWORD notified = 0;
    EXPECT_TRUE(ParseSimNumber(DeviceRecord("last_flash_window"), &notified));
    EXPECT_EQ(static_cast<DWORD>(reinterpret_cast<UINT_PTR>(window.Handle())), notified)
        << "the flash is told the main dialog's window";
    ExitUpdater(window);

    ASSERT_NO_FATAL_FAILURE(StartShowing("Ready.\r\n", window));
    ExpectScreen(window, "Ready.\r\n", "0214", true, true, true);
    ExitUpdater(window);
}

TEST_F(UpdateFlowTest, TheAboutBoxShowsWhatTheDeviceReported) {
    SetDevice("microcode", "0x12ab");
    UiWindow window;
    ASSERT_NO_FATAL_FAILURE(StartShowing("Ready.\r\n", window));
    ASSERT_TRUE(window.Click(kAbout));
    UiWindow about = UiWindow::WaitFor("About ZRC Flash Updater", kStartMs, window.ProcessId());
    ASSERT_TRUE(about.Exists());

    const struct {
        int id;
        const char* text;
    } lines[] = {
        {1219, ""},
        {1220, "Microcode Version 12ab"},
        {1222, "Source Filter 2.10.0.31"},
        {1223, "Splitter Filter 1.04.0.07"},
        {1224, "Sink Filter  N/A"},
    };
    for (const auto& line : lines) {
        std::string text;
        EXPECT_TRUE(about.ReadText(line.id, text));
        EXPECT_EQ(line.text, text) << line.id;
    }
    ASSERT_TRUE(about.RequestClose(CloseRequest::Escape));
    EXPECT_TRUE(UiWindow::WaitGone("About ZRC Flash Updater", kGoneMs, window.ProcessId()));
    ExpectScreen(window, "Ready.\r\n", "0211", true, true, true);
    ExitUpdater(window);
}

TEST_F(UpdateFlowTest, AFailedFlashEndsNotGood) {
    SetDevice("fault_flash_fails", "1");
    UiWindow window;
    ASSERT_NO_FATAL_FAILURE(StartShowing("Ready.\r\n", window));

    ASSERT_TRUE(window.Click(kUpdate));
    const std::string failed = "Updating Flash... Done!\r\nUpdate NG.\r\n";
    ASSERT_TRUE(window.WaitForText(kStatus, failed, kFlashMs));
    ExpectScreen(window, failed, "0211", false, true, true);
    EXPECT_FALSE(StagingFileExists());
    ExitUpdater(window);
}

TEST_F(UpdateFlowTest, APowerLossMidFlashIsRecoveredByTheNextRun) {
    SetDevice("fault_power_loss", "1");
    UiWindow window;
    ASSERT_NO_FATAL_FAILURE(StartShowing("Ready.\r\n", window));
    ASSERT_TRUE(window.Click(kUpdate));
    ASSERT_TRUE(window.WaitForText(kStatus, "Updating Flash... Done!\r\nUpdate NG.\r\n", kFlashMs));
    EXPECT_FALSE(StagingFileExists());
    ExitUpdater(window);

    // The half-written flash reads erased: shown as "****" and let through the gate.
    ASSERT_NO_FATAL_FAILURE(StartShowing("Ready.\r\n", window));
    ExpectScreen(window, "Ready.\r\n", "****", true, true, true);
    ASSERT_TRUE(window.Click(kUpdate));
    ASSERT_TRUE(window.WaitForText(kStatus, "Update OK.\r\n", kFlashMs));
    ExpectScreen(window, "Update OK.\r\n", "0214", false, true, true);
    EXPECT_FALSE(StagingFileExists());
    ExitUpdater(window);
}

TEST_F(UpdateFlowTest, CloseRequestsAreRefusedWhileTheFlashRunsAndHonouredAfter) {
    SetDevice("flash_ms", "6000");
    UiWindow window;
    ASSERT_NO_FATAL_FAILURE(StartShowing("Ready.\r\n", window));
    ASSERT_TRUE(window.Click(kUpdate));
    ASSERT_TRUE(window.WaitForText(kStatus, "Updating Flash... ", kStartMs));
    EXPECT_FALSE(window.IsEnabled(kExit));

    for (CloseRequest request : {CloseRequest::Message, CloseRequest::SystemMenu,
                                 CloseRequest::Escape, CloseRequest::AltF4})
        ASSERT_TRUE(window.RequestClose(request));
    // Every request has been handled once the dialog answers a message sent after them.
    std::string text;
    EXPECT_TRUE(window.ReadText(kStatus, text, 5000));
    EXPECT_FALSE(UiWindow::WaitGone(kMainTitle, 500, window.ProcessId()))
        << "the updater closed in the middle of the flash";
    EXPECT_EQ("running", DeviceRecord("last_flash_status"));

    ASSERT_TRUE(window.WaitForText(kStatus, "Update OK.\r\n", kFlashMs));
    EXPECT_FALSE(StagingFileExists());
    DWORD process = window.ProcessId();
    ASSERT_TRUE(window.RequestClose(CloseRequest::SystemMenu));
    EXPECT_TRUE(UiWindow::WaitGone(kMainTitle, kGoneMs, process));
    EXPECT_TRUE(LastProcess().WaitForExit(kGoneMs));
}

} // namespace
