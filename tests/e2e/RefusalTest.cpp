// Runs that never reach the flash: a device that is not ready or holds another version,
// images that are missing or wrong, a staging file that cannot be written, and starts
// that the updater refuses.
#include "UpdaterFixture.h"

#include <windows.h>

using uidriver::UiWindow;
using namespace updater;

namespace {

using RefusalTest = UpdaterFixture;

TEST_F(RefusalTest, ADeviceNotReadyAtStartLeavesOnlyAboutAndExit) {
    // A probe that says "not ready", and a Source filter that cannot be created at all.
    const char* faults[] = {"probe2", "fault_no_source"};
    const std::string notReady = "Device Check.. \r\nUSB Device is Not Ready!!\r\n";
    for (const char* fault : faults) {
        SCOPED_TRACE(fault);
        SetDevice("probe2", "0");
        SetDevice("fault_no_source", "0");
        SetDevice(fault, "1");
        UiWindow window;
        ASSERT_NO_FATAL_FAILURE(StartShowing(notReady, window));
        ASSERT_TRUE(window.WaitForEnabled(kAbout, true, kStartMs));
        ExpectScreen(window, notReady, "----", false, true, true);
        ExitUpdater(window);
    }
}

TEST_F(RefusalTest, AnotherFlashVersionIsRefused) {
    SetFlashVersion("0213");
    UiWindow window;
    ASSERT_NO_FATAL_FAILURE(StartShowing("Version error.\r\n", window));
    ExpectScreen(window, "Version error.\r\n", "0213", false, true, true);
    ExitUpdater(window);
}

TEST_F(RefusalTest, AFailedFlashReadIsRefusedRatherThanTakenForABlankFlash) {
    SetDevice("fault_read_fails", "1");
    UiWindow window;
    ASSERT_NO_FATAL_FAILURE(StartShowing("Version error.\r\n", window));
    ExpectScreen(window, "Version error.\r\n", "----", false, true, true);
    ExitUpdater(window);
}

TEST_F(RefusalTest, ADeviceGoneNotReadyBeforeUpdateIsNotFlashed) {
    UiWindow window;
    ASSERT_NO_FATAL_FAILURE(StartShowing("Ready.\r\n", window));
    SetDevice("probe1", "1");

    ASSERT_TRUE(window.Click(kUpdate));
    ASSERT_TRUE(window.WaitForText(kStatus, "USB Device is Not Ready!!\r\n", kStartMs));
    ASSERT_TRUE(window.WaitForEnabled(kExit, true, kStartMs));
    ExpectScreen(window, "USB Device is Not Ready!!\r\n", "0211", false, true, true);
    EXPECT_FALSE(StagingFileExists());
    EXPECT_EQ("0", DeviceRecord("flash_count"));
    ExitUpdater(window);
}

class ImageRefusalTest : public UpdaterFixture {
protected:
    // Clicks Update once the device is ready and waits for the run to stop early with
    // text, before any flash.
    void UpdateAndExpectEarlyStop(const std::string& text) {
        UiWindow window;
        ASSERT_NO_FATAL_FAILURE(StartShowing("Ready.\r\n", window));
        ASSERT_TRUE(window.Click(kUpdate));
        ASSERT_TRUE(window.WaitForText(kStatus, text, kStartMs));
        ASSERT_TRUE(window.WaitForEnabled(kExit, true, kStartMs));
        ExpectScreen(window, text, "0211", false, true, true);
        EXPECT_EQ("0", DeviceRecord("flash_count"));
        ExitUpdater(window);
    }
};

TEST_F(ImageRefusalTest, AMissingImageIsAFileAccessError) {
    RemoveImage();
    UpdateAndExpectEarlyStop("File access error. ");
    EXPECT_FALSE(StagingFileExists());
}

TEST_F(ImageRefusalTest, AnImageOfWrongLengthOrVersionIsAFileVersionError) {
    const struct {
        std::uint16_t version;
        std::size_t length;
    } images[] = {{0x0214, 0x1FFFFE}, {0x0214, 0x200002}, {0x0213, 0x200000}};
    for (const auto& image : images) {
        SCOPED_TRACE(testing::Message()
                     << std::hex << "version " << image.version << " length " << image.length);
        WriteImage(image.version, image.length);
        UpdateAndExpectEarlyStop("File version error. ");
        if (HasFatalFailure())
            return;
    }
}

TEST_F(ImageRefusalTest, AStagingFileHeldOpenElsewhereIsAFileAccessError) {
    HANDLE held = CreateFileA(Path("update_temp.bin").c_str(), GENERIC_WRITE, 0, nullptr,
                              CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, held);
    UpdateAndExpectEarlyStop("File access error. ");
    CloseHandle(held);
}

TEST_F(RefusalTest, ASecondCopyEndsWithoutAWindowAndTheFirstRunsOn) {
    UiWindow first;
    ASSERT_NO_FATAL_FAILURE(StartShowing("Ready.\r\n", first));

    uidriver::ChildProcess& second = StartBeside("ZrcUpdater.exe", "");
    EXPECT_TRUE(second.WaitForExit(kStartMs));
    EXPECT_EQ(1, UiWindow::Count(kMainTitle));
    ExpectScreen(first, "Ready.\r\n", "0211", true, true, true);
    ExitUpdater(first);
}

TEST_F(RefusalTest, TheCaptureApplicationKeepsTheUpdaterFromStarting) {
    StartBeside("uidriver_testwin.exe", kCaptureTitle);
    ASSERT_TRUE(UiWindow::WaitFor(kCaptureTitle, kStartMs).Exists());

    uidriver::ChildProcess& updater = StartBeside("ZrcUpdater.exe", "");
    EXPECT_TRUE(updater.WaitForExit(kStartMs));
    EXPECT_EQ(0, UiWindow::Count(kMainTitle));
    EXPECT_EQ("0", DeviceRecord("flash_count"));
}

} // namespace
