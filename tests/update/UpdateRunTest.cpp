// The update run against the registered simulated device, set up through its state folder
// with short timings: the order of the calls, the timers, the progress bar and the verdict.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <initializer_list>
#include <string>
#include <thread>
#include <vector>

#include "app/resource.h"
#include "app/UpdaterIdentity.h"
#include "app/UpdateThreadArgs.h"
#include "firmware/ImageCheck.h"
#include "tests/support/CallerLine.h"
#include "tests/support/DialogRunner.h"
#include "tests/support/FileNames.h"
#include "tests/support/FirmwareFiles.h"
#include "tests/support/ScratchFolder.h"
#include "tests/support/ShownTexts.h"
#include "tests/support/SimDeviceState.h"
#include "tests/support/Timeouts.h"
#include "tests/support/WaitUntil.h"

namespace {

constexpr long long kStagingSize = 0x400000;

using Log = std::vector<std::string>;

class UpdateRunTest : public testing::Test {
protected:
    void SetUp() override {
        // Each test is a fresh program run: its image file object exists from the start,
        // and no update worker has run.
        if (!g_pImageFile)
            g_pImageFile = new CFile;
        g_updateWorkerReport.finished = false;
        m_device.Set({{"flash_ms", "200"}, {"read_ms", "0"}});
        m_image = WriteTestImage(files::kImage);
    }
    // The image is never changed, and no link to the device is made while another one
    // still holds it.
    void TearDown() override {
        EXPECT_TRUE(m_image.empty() ? FileSize(files::kImage) == -1
                                    : ReadBytes(files::kImage) == m_image);
        EXPECT_EQ(m_device.Get("source_overlaps"), "0");
    }

    // Runs the device check at once rather than a second after the dialog opened (the app
    // tests time it), and waits for it to let the update go ahead.
    void OpenReady(DialogRunner& dialog) {
        PostMessageA(dialog.Window(), WM_TIMER, TIMER_DEVICE_CHECK, 0);
        ASSERT_TRUE(dialog.WaitForStatus(shown::kReady, kWaitMs)) << dialog.ItemText(IDC_STATUS);
    }

    // After every outcome Update stays disabled and About and Exit can be used.
    void ExpectFinishedButtons(const DialogRunner& dialog, CallerLine = {}) {
        EXPECT_FALSE(dialog.IsItemEnabled(IDC_UPDATE));
        EXPECT_TRUE(dialog.IsItemEnabled(IDC_ABOUT));
        EXPECT_TRUE(dialog.IsItemEnabled(IDOK));
    }

    static std::string RunLog() {
        const Bytes bytes = ReadBytes(files::kRunLog);
        return std::string(bytes.begin(), bytes.end());
    }

    static Log AfterUpdatePressed(const Log& log) {
        auto start = std::find(log.begin(), log.end(), shown::kPleaseWait);
        return start == log.end() ? Log{} : Log(start, log.end());
    }

    ScratchFolder m_folder;
    CurrentFolder m_current{m_folder.Path()};
    SimDeviceState m_device{m_folder.File("state")};
    Bytes m_image; // empty while there is no image
};

// Posts WM_UPDATE_DONE claiming success every few milliseconds, as any program could.
struct ForgedDoneStream {
    explicit ForgedDoneStream(HWND window)
        : thread([this, window] {
              while (!stop) {
                  PostMessageA(window, WM_UPDATE_DONE, 1, 0);
                  Sleep(5);
              }
          }) {}
    ~ForgedDoneStream() {
        stop = true;
        thread.join();
    }
    std::atomic<bool> stop{false};
    std::thread thread;
};

// How a run ends, from what the device and the folder hold when Update is pressed. The
// image's bytes and each of its refusals are the firmware tests'.
// What else goes wrong in the folder or the dialog's queue.
enum class Hitch { kNone, kStagingHeldOpen, kDoneMessageLost };

struct RunEndCase {
    const char* name;
    const char* setting; // a device setting set to 1, or null
    std::uint16_t image; // the image's version, 0 for none
    Hitch hitch;
    Log log;             // the status log from the press of Update
    const char* version; // the version shown at the end
    const char* flashes; // how often the device was flashed
    const char* logged;  // in the run log
    long long staging;   // the staging file's size at the end, -1 for none
};

Log Stopped(const std::string& status) {
    return {shown::kPleaseWait, "<clear>", status};
}

Log ReadBack(const std::string& verdict) {
    return {shown::kPleaseWait, "<clear>", shown::kUpdatingFlash, shown::kDone, shown::kVerifying,
            "<clear>",          verdict};
}

class RunEndTest : public UpdateRunTest, public testing::WithParamInterface<RunEndCase> {};

// Every end leaves Update disabled and the bar at 0.
TEST_P(RunEndTest, ShowsItsLogAndVersion) {
    const RunEndCase& c = GetParam();
    HANDLE held = INVALID_HANDLE_VALUE;
    if (c.hitch == Hitch::kStagingHeldOpen)
        held = CreateFileA(files::kStagingPath, GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                           CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    DialogOptions options;
    options.loseDoneMessages = c.hitch == Hitch::kDoneMessageLost;
    DialogRunner dialog(options);
    ASSERT_NO_FATAL_FAILURE(OpenReady(dialog));
    if (c.setting)
        m_device.Set({{c.setting, "1"}});
    if (c.image == 0) {
        ASSERT_TRUE(DeleteFileA(files::kImage));
        m_image.clear();
    } else if (c.image != 0x0214) {
        m_image = WriteTestImage(files::kImage, c.image);
    }

    dialog.Click(IDC_UPDATE);
    EXPECT_TRUE(dialog.WaitForStatus(c.log.back(), kLongWaitMs)) << dialog.ItemText(IDC_STATUS);
    EXPECT_EQ(AfterUpdatePressed(dialog.Recorded().status), c.log);
    EXPECT_EQ(dialog.ItemText(IDC_CURRENT_VERSION), c.version);
    EXPECT_EQ(m_device.Get("flash_count"), c.flashes);
    EXPECT_EQ(dialog.ProgressPos(), 0);
    ExpectFinishedButtons(dialog);
    EXPECT_THAT(RunLog(), testing::HasSubstr(c.logged));
    EXPECT_EQ(FileSize(files::kStagingPath), c.staging);
    if (held != INVALID_HANDLE_VALUE)
        CloseHandle(held);
}

INSTANTIATE_TEST_SUITE_P(
    Outcomes, RunEndTest,
    testing::Values(RunEndCase{"DeviceNotReady", "probe2", 0x0214, Hitch::kNone,
                               Stopped(shown::kNotReady), "0211", "0", "command 22: 0", -1},
                    RunEndCase{"ImageMissing", nullptr, 0, Hitch::kNone,
                               Stopped(shown::kFileAccessError), "0211", "0", "not opened", -1},
                    RunEndCase{"ImageOfOtherVersion", nullptr, 0x0213, Hitch::kNone,
                               Stopped(shown::kFileVersionError), "0211", "0",
                               "2097152 bytes, version \"0213\", refused", kStagingSize},
                    RunEndCase{"StagingFileHeldOpen", nullptr, 0x0214, Hitch::kStagingHeldOpen,
                               Stopped(shown::kFileAccessError), "0211", "0",
                               "not made or not as written", 0},
                    RunEndCase{"ReadBackErased", "fault_flash_unwritten", 0x0214, Hitch::kNone,
                               ReadBack(shown::kUpdateNg), "****", "1",
                               "flash version word 0xffffffff", -1},
                    RunEndCase{"ReadBackOldVersion", "fault_flash_unchanged", 0x0214, Hitch::kNone,
                               ReadBack(shown::kUpdateNg), "0211", "1", "shown as 0211", -1},
                    RunEndCase{"ReadBackFails", "fault_read_fails", 0x0214, Hitch::kNone,
                               ReadBack(shown::kUpdateNg), "----", "1", "command 50: 0", -1},
                    // A full queue: the next progress tick ends the run.
                    RunEndCase{"DoneMessageLost", nullptr, 0x0214, Hitch::kDoneMessageLost,
                               ReadBack(shown::kUpdateOk), "0214", "1", "command 49: 1 after", -1}),
    [](const testing::TestParamInfo<RunEndCase>& info) { return info.param.name; });

// The device lets go of a filter slowly: the read-back's link waits for the worker's to go,
// however many done messages arrive early. More progress ticks than the bar has steps fill
// it, and it holds. A staging file held without delete sharing fails the completion's
// delete, which leaves the verdict as it is, and the file as the device got it. The run
// log's name is a hard link to the image, which the log replaces rather than writes into.
TEST_F(UpdateRunTest, SuccessfulFlashRunsItsStepsInOrder) {
    ASSERT_TRUE(CreateHardLinkA(files::kRunLog, files::kImage, nullptr));
    DialogRunner dialog;
    ASSERT_NO_FATAL_FAILURE(OpenReady(dialog));
    m_device.Set({{"flash_ms", "3000"}, {"release_ms", "500"}});

    dialog.Click(IDC_UPDATE);
    {
        ForgedDoneStream forged(dialog.Window());
        ASSERT_TRUE(dialog.WaitForStatus(shown::kUpdatingFlash, kLongWaitMs));
        HANDLE held =
            CreateFileA(files::kStagingPath, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                        nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_NE(held, INVALID_HANDLE_VALUE);
        for (int tick = 0; tick < 110; ++tick)
            PostMessageA(dialog.Window(), WM_TIMER, TIMER_PROGRESS, 0);
        EXPECT_TRUE(WaitUntil([&] { return dialog.ProgressPos() == 100; }, kShortWaitMs));
        EXPECT_TRUE(dialog.WaitForStatus(shown::kUpdateOk, kLongWaitMs))
            << dialog.ItemText(IDC_STATUS);
        CloseHandle(held);
    }
    EXPECT_EQ(AfterUpdatePressed(dialog.Recorded().status), ReadBack(shown::kUpdateOk));
    // The device got the staging file's path and the dialog's own window.
    EXPECT_EQ(m_device.Get("flash_count"), "1");
    EXPECT_EQ(m_device.Get("last_flash_path"), files::kStagingPath);
    char window[32];
    snprintf(window, sizeof window, "0x%08lx",
             static_cast<unsigned long>(reinterpret_cast<UINT_PTR>(dialog.Window())));
    EXPECT_EQ(m_device.Get("last_flash_window"), window);
    EXPECT_EQ(m_device.Get("last_flash_window_valid"), "1");
    // Each announcement is the new text itself; the version read back is spoken with it.
    EXPECT_THAT(dialog.Recorded().announced,
                testing::IsSupersetOf(
                    {"Status: Ready.", "Status: Updating Flash...", "Status: Update OK."}));
    EXPECT_EQ(dialog.SpokenName(IDC_CURRENT_VERSION), "Current version 0214");
    std::vector<int> log = dialog.Recorded().progress;
    ASSERT_GE(log.size(), 3u);
    EXPECT_EQ(log.front(), 0);
    EXPECT_EQ(std::count(log.begin(), log.end(), -1), 100);
    EXPECT_EQ(std::vector<int>(log.end() - 2, log.end()), (std::vector<int>{100, 0}));
    // The progress timer went with the run.
    dialog.Call(
        [](TestUpdaterDlg& dlg) { EXPECT_FALSE(KillTimer(dlg.GetSafeHwnd(), TIMER_PROGRESS)); });
    EXPECT_TRUE(dialog.IsOpen());
    EXPECT_TRUE(ReadBytes(files::kStagingPath) == ExpectedStaging(m_image));
    EXPECT_THAT(RunLog(), testing::StartsWith("=== "));
}
// What any program can post (done messages, device-check ticks, clicks on buttons disabled
// or enabled from outside) before, during and after a run changes nothing; the verdict comes
// from the flash, which fails here: the version stays, the staging file goes, and the run
// log records the flash command's failure. The log held 3 MiB of garbage: this run's
// record is all it holds now.
TEST_F(UpdateRunTest, ForgedMessagesChangeNothing) {
    m_device.Set({{"flash_ms", "6000"}, {"fault_power_loss", "1"}});
    WriteBytes(files::kRunLog, Bytes(3 << 20, 'x'));
    DialogRunner dialog;
    ASSERT_NO_FATAL_FAILURE(OpenReady(dialog));
    PostMessageA(dialog.Window(), WM_UPDATE_DONE, 1, 0);
    ASSERT_TRUE(dialog.Flush());
    EXPECT_EQ(dialog.ItemText(IDC_STATUS), shown::kReady);
    EXPECT_TRUE(dialog.IsItemEnabled(IDC_UPDATE));

    dialog.Click(IDC_UPDATE);
    ASSERT_TRUE(dialog.WaitForStatus(shown::kUpdatingFlash, kLongWaitMs));
    // A device-check tick and clicks; Exit only during the run, after it Exit may close.
    auto forge = [&](std::initializer_list<int> buttons) {
        PostMessageA(dialog.Window(), WM_TIMER, TIMER_DEVICE_CHECK, 0);
        for (int button : buttons)
            dialog.Click(button);
        ASSERT_TRUE(dialog.Flush());
    };
    ForgedDoneStream forged(dialog.Window());
    ASSERT_NO_FATAL_FAILURE(forge({IDC_UPDATE, IDC_ABOUT, IDOK}));
    EXPECT_EQ(dialog.ItemText(IDC_STATUS), shown::kUpdatingFlash);
    EXPECT_EQ(FileSize(files::kStagingPath), kStagingSize);
    for (int button : {IDC_UPDATE, IDC_ABOUT, IDOK})
        EXPECT_FALSE(dialog.IsItemEnabled(button)) << button;
    EXPECT_EQ(dialog.ThreadWindow(shown::kAboutTitle.c_str()), nullptr);
    // Buttons enabled by another program are still not the dialog's to act on.
    for (int button : {IDC_UPDATE, IDOK})
        EnableWindow(GetDlgItem(dialog.Window(), button), TRUE);
    ASSERT_NO_FATAL_FAILURE(forge({IDC_UPDATE, IDOK}));
    EXPECT_TRUE(dialog.IsOpen());
    EXPECT_EQ(dialog.ItemText(IDC_STATUS), shown::kUpdatingFlash);
    // Held until the worker has finished, the dialog finds forged messages claiming success
    // queued ahead of the worker's own.
    dialog.Call([](TestUpdaterDlg&) {
        EXPECT_TRUE(WaitUntil([] { return g_updateWorkerReport.finished.load(); }, kLongWaitMs));
    });

    ASSERT_TRUE(dialog.WaitForStatus(shown::kFlashFailed, kLongWaitMs))
        << dialog.ItemText(IDC_STATUS);
    ASSERT_NO_FATAL_FAILURE(forge({IDC_UPDATE}));
    EXPECT_EQ(AfterUpdatePressed(dialog.Recorded().status),
              (Log{shown::kPleaseWait, "<clear>", shown::kUpdatingFlash, shown::kDone,
                   shown::kUpdateNg}));
    EXPECT_EQ(m_device.Get("flash_count"), "1");
    EXPECT_EQ(dialog.ItemText(IDC_CURRENT_VERSION), "0211");
    ExpectFinishedButtons(dialog);
    EXPECT_EQ(FileSize(files::kStagingPath), -1);
    EXPECT_THAT(RunLog(), testing::AllOf(testing::StartsWith("=== "),
                                         testing::HasSubstr("command 49: 0 after"),
                                         testing::SizeIs(testing::Lt(4096))));
}

} // namespace
