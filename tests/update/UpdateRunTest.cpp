// The update run against the simulated device: the worker thread creates its own
// filter graph, so the device's filters come from the registered simulator, configured
// through its state folder with short timings. What the user sees at the end of a run is
// checked end to end; here it is the order of the calls, the timers and the progress bar.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <initializer_list>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "ShownTexts.h"
#include "DialogRunner.h"
#include "FirmwareFiles.h"
#include "ImageCheck.h"
#include "ScratchFolder.h"
#include "SimDeviceState.h"
#include "UpdateThreadArgs.h"
#include "UpdaterIdentity.h"
#include "WaitUntil.h"
#include "resource.h"

namespace {

const char kImage[] = ".\\zrcup0214.bin";
const char kStaging[] = ".\\update_temp.bin";
constexpr long long kStagingSize = 0x400000;
constexpr DWORD kRunTimeoutMs = 20000;

using Log = std::vector<std::string>;

class UpdateRunTest : public testing::Test {
protected:
    void SetUp() override {
        // Each test is a fresh program run, whose image file object exists from the start.
        if (!g_pImageFile)
            g_pImageFile = new CFile;
        m_device.Set({{"flash_ms", "200"}, {"read_ms", "0"}});
    }

    // Opens the dialog and waits for the device check to let the update go ahead.
    void OpenReady(DialogRunner& dialog) {
        ASSERT_TRUE(dialog.WaitForStatus(shown::kReady, 10000)) << dialog.ItemText(IDC_STATUS);
        ASSERT_TRUE(dialog.IsItemEnabled(IDC_UPDATE));
    }

    // Opens the dialog, presses Update and waits for the flash to begin.
    void StartFlash(DialogRunner& dialog) {
        ASSERT_NO_FATAL_FAILURE(OpenReady(dialog));
        dialog.Click(IDC_UPDATE);
        ASSERT_TRUE(dialog.WaitForStatus(shown::kUpdatingFlash, kRunTimeoutMs));
    }

    // After every outcome Update stays disabled and About and Exit can be used.
    void ExpectFinishedButtons(const DialogRunner& dialog) {
        EXPECT_FALSE(dialog.IsItemEnabled(IDC_UPDATE));
        EXPECT_TRUE(dialog.IsItemEnabled(IDC_ABOUT));
        EXPECT_TRUE(dialog.IsItemEnabled(IDOK));
    }

    static Log AfterUpdatePressed(const Log& log) {
        auto start = std::find(log.begin(), log.end(), shown::kPleaseWait);
        return start == log.end() ? Log{} : Log(start, log.end());
    }

    ScratchFolder m_folder;
    CurrentFolder m_current{m_folder.Path()};
    SimDeviceState m_device{m_folder.File("state")};
};

// What a screen reader is told: the status log's text at each live-region event of the
// dialog's thread, heard through a WinEvent hook installed there.
class Announcements {
public:
    DialogOptions Options() {
        DialogOptions options;
        options.beforeOpen = [] {
            s_hook =
                SetWinEventHook(kLiveRegionChanged, kLiveRegionChanged, nullptr, Heard,
                                GetCurrentProcessId(), GetCurrentThreadId(), WINEVENT_OUTOFCONTEXT);
        };
        options.afterClose = [] { UnhookWinEvent(s_hook); };
        return options;
    }
    std::vector<std::string> Texts() const {
        std::lock_guard<std::mutex> hold(s_lock);
        return s_texts;
    }

private:
    static constexpr DWORD kLiveRegionChanged = 0x8019;

    static void CALLBACK Heard(HWINEVENTHOOK, DWORD, HWND hwnd, LONG, LONG, DWORD, DWORD) {
        char text[256] = {};
        GetWindowTextA(hwnd, text, sizeof text);
        std::lock_guard<std::mutex> hold(s_lock);
        s_texts.push_back(text);
    }

    static inline HWINEVENTHOOK s_hook = nullptr;
    static inline std::mutex s_lock;
    static inline std::vector<std::string> s_texts;
};

// Posts WM_UPDATE_DONE claiming success to the dialog every few milliseconds, as a hostile
// program could, for as long as it exists.
class ForgedDoneStream {
public:
    explicit ForgedDoneStream(HWND window)
        : m_thread([this, window] {
              while (!m_stop) {
                  PostMessageA(window, WM_UPDATE_DONE, 1, 0);
                  Sleep(5);
              }
          }) {}
    ~ForgedDoneStream() {
        m_stop = true;
        m_thread.join();
    }

private:
    std::atomic<bool> m_stop{false};
    std::thread m_thread;
};

// --- Runs that stop before the flash -------------------------------------------------

// The refusals of an image are the firmware tests'.
struct EarlyStopCase {
    const char* name;
    bool imagePresent;
    bool deviceGoesAway;  // not ready when Update is pressed
    bool stagingHeldOpen; // another process holds the staging file
    std::string status;
};

void PrintTo(const EarlyStopCase& c, std::ostream* os) {
    *os << c.name;
}

class EarlyStopTest : public UpdateRunTest, public testing::WithParamInterface<EarlyStopCase> {};

TEST_P(EarlyStopTest, StopsWithItsMessageAndNeverFlashes) {
    const EarlyStopCase& c = GetParam();
    if (c.imagePresent)
        WriteTestImage(kImage);
    HANDLE held = INVALID_HANDLE_VALUE;
    if (c.stagingHeldOpen)
        held = CreateFileA(kStaging, GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);

    DialogRunner dialog;
    ASSERT_NO_FATAL_FAILURE(OpenReady(dialog));
    if (c.deviceGoesAway)
        m_device.Set({{"probe2", "1"}});

    dialog.Click(IDC_UPDATE);
    EXPECT_TRUE(dialog.WaitForStatus(c.status, kRunTimeoutMs)) << dialog.ItemText(IDC_STATUS);
    EXPECT_EQ(AfterUpdatePressed(dialog.StatusLog()),
              (Log{shown::kPleaseWait, "<clear>", c.status}));
    if (held != INVALID_HANDLE_VALUE)
        CloseHandle(held);
    else
        EXPECT_EQ(FileSize(kStaging), -1);
    EXPECT_EQ(dialog.ProgressPos(), 0);
    EXPECT_EQ(dialog.ItemText(IDC_CURRENT_VERSION), "0211");
    EXPECT_EQ(m_device.Get("flash_count"), "0");
    ExpectFinishedButtons(dialog);
}

INSTANTIATE_TEST_SUITE_P(
    Outcomes, EarlyStopTest,
    testing::Values(EarlyStopCase{"DeviceNotReady", true, true, false, shown::kNotReady},
                    EarlyStopCase{"ImageMissing", false, false, false, shown::kFileAccessError},
                    EarlyStopCase{"StagingFileHeldOpen", true, false, true,
                                  shown::kFileAccessError}),
    [](const testing::TestParamInfo<EarlyStopCase>& info) { return info.param.name; });

// --- Runs that flash -----------------------------------------------------------------

TEST_F(UpdateRunTest, SuccessfulFlashRunsItsStepsInOrder) {
    WriteTestImage(kImage);
    Announcements announced;
    DialogRunner dialog(announced.Options());
    ASSERT_NO_FATAL_FAILURE(OpenReady(dialog));
    // The device takes a while to let go of a filter: the read-back's link must not be
    // made before the worker's link is gone, however many done messages arrive early.
    m_device.Set({{"release_ms", "500"}});

    dialog.Click(IDC_UPDATE);
    {
        ForgedDoneStream forged(dialog.Window());
        ASSERT_TRUE(dialog.WaitForStatus(shown::kUpdateOk, kRunTimeoutMs))
            << dialog.ItemText(IDC_STATUS);
    }
    EXPECT_EQ(AfterUpdatePressed(dialog.StatusLog()),
              (Log{shown::kPleaseWait, "<clear>", shown::kUpdatingFlash, shown::kDone,
                   shown::kVerifying, "<clear>", shown::kUpdateOk}));
    // The device got the staging file's path and the dialog's own window.
    EXPECT_EQ(m_device.Get("flash_count"), "1");
    EXPECT_EQ(m_device.Get("last_flash_path"), kStaging);
    char window[32];
    snprintf(window, sizeof window, "0x%08lx",
             static_cast<unsigned long>(reinterpret_cast<UINT_PTR>(dialog.Window())));
    EXPECT_EQ(m_device.Get("last_flash_window"), window);
    EXPECT_EQ(m_device.Get("last_flash_window_valid"), "1");
    EXPECT_EQ(m_device.Get("source_overlaps"), "0");
    EXPECT_THAT(announced.Texts(),
                testing::IsSupersetOf({shown::kReady, shown::kUpdatingFlash, shown::kUpdateOk}));
}

// The version shown stays the one the device check read, the staging file goes, and the
// run log records the flash command's failure.
TEST_F(UpdateRunTest, FailedFlashSaysNgWithoutReadingTheVersionBack) {
    WriteTestImage(kImage);
    m_device.Set({{"fault_flash_fails", "1"}});
    DialogRunner dialog;
    ASSERT_NO_FATAL_FAILURE(OpenReady(dialog));

    dialog.Click(IDC_UPDATE);
    ASSERT_TRUE(dialog.WaitForStatus(shown::kFlashFailed, kRunTimeoutMs))
        << dialog.ItemText(IDC_STATUS);
    EXPECT_EQ(AfterUpdatePressed(dialog.StatusLog()),
              (Log{shown::kPleaseWait, "<clear>", shown::kUpdatingFlash, shown::kDone,
                   shown::kUpdateNg}));
    EXPECT_EQ(dialog.ItemText(IDC_CURRENT_VERSION), "0211");
    ExpectFinishedButtons(dialog);
    EXPECT_EQ(FileSize(kStaging), -1);
    const Bytes bytes = ReadBytes("ZrcUpdater.log");
    EXPECT_THAT(std::string(bytes.begin(), bytes.end()), testing::HasSubstr("command 49: 0 after"));
}

// A device that reports a successful flash but reads back anything but the new version.
struct ReadBackCase {
    const char* name;
    const char* fault;
    const char* shown;
};

void PrintTo(const ReadBackCase& c, std::ostream* os) {
    *os << c.name;
}

class ReadBackTest : public UpdateRunTest, public testing::WithParamInterface<ReadBackCase> {};

TEST_P(ReadBackTest, AnythingButTheNewVersionIsNotGood) {
    const ReadBackCase& c = GetParam();
    WriteTestImage(kImage);
    DialogRunner dialog;
    ASSERT_NO_FATAL_FAILURE(OpenReady(dialog));
    m_device.Set({{c.fault, "1"}});

    dialog.Click(IDC_UPDATE);
    ASSERT_TRUE(dialog.WaitForStatus(shown::kUpdateNg, kRunTimeoutMs))
        << dialog.ItemText(IDC_STATUS);
    EXPECT_EQ(AfterUpdatePressed(dialog.StatusLog()),
              (Log{shown::kPleaseWait, "<clear>", shown::kUpdatingFlash, shown::kDone,
                   shown::kVerifying, "<clear>", shown::kUpdateNg}));
    EXPECT_EQ(dialog.ItemText(IDC_CURRENT_VERSION), c.shown);
    ExpectFinishedButtons(dialog);
}

INSTANTIATE_TEST_SUITE_P(
    Devices, ReadBackTest,
    testing::Values(ReadBackCase{"Erased", "fault_flash_unwritten", "****"},
                    ReadBackCase{"OldVersion", "fault_flash_unchanged", "0211"},
                    ReadBackCase{"ReadFails", "fault_read_fails", "----"}),
    [](const testing::TestParamInfo<ReadBackCase>& info) { return info.param.name; });

// The worker's message can be lost (a full queue): the next progress tick ends the run.
TEST_F(UpdateRunTest, ALostDoneMessageEndsTheRunAtTheNextTick) {
    WriteTestImage(kImage);
    DialogOptions options;
    options.loseDoneMessages = true;
    DialogRunner dialog(options);
    ASSERT_NO_FATAL_FAILURE(OpenReady(dialog));

    dialog.Click(IDC_UPDATE);
    EXPECT_TRUE(dialog.WaitForStatus(shown::kUpdateOk, kRunTimeoutMs))
        << dialog.ItemText(IDC_STATUS);
    ExpectFinishedButtons(dialog);
}

TEST_F(UpdateRunTest, ProgressStepsUntilFullAndHoldsThereUntilTheEnd) {
    WriteTestImage(kImage);
    m_device.Set({{"flash_ms", "3000"}});
    DialogRunner dialog;
    ASSERT_NO_FATAL_FAILURE(StartFlash(dialog));
    // More ticks than the bar has steps, faster than the real timer gives them.
    for (int tick = 0; tick < 110; ++tick)
        PostMessageA(dialog.Window(), WM_TIMER, TIMER_PROGRESS, 0);
    EXPECT_TRUE(WaitUntil([&] { return dialog.ProgressPos() == 100; }, 5000));

    ASSERT_TRUE(dialog.WaitForStatus(shown::kUpdateOk, kRunTimeoutMs));
    std::vector<int> log = dialog.ProgressLog();
    ASSERT_GE(log.size(), 3u);
    EXPECT_EQ(log.front(), 0);
    EXPECT_EQ(std::count(log.begin(), log.end(), -1), 100);
    EXPECT_EQ(std::vector<int>(log.end() - 2, log.end()), (std::vector<int>{100, 0}));
    EXPECT_EQ(dialog.ProgressPos(), 0);
    // The progress timer went with the run.
    dialog.Call(
        [](TestUpdaterDlg& dlg) { EXPECT_FALSE(KillTimer(dlg.GetSafeHwnd(), TIMER_PROGRESS)); });
}

// What any program can post: a done message claiming success before any run, and during
// the flash a device-check tick, a stream of done messages, and clicks on buttons disabled or
// enabled from outside; after the run the same again. None of it reaches the device or
// changes what the dialog shows; the verdict comes from the flash.
TEST_F(UpdateRunTest, ForgedMessagesChangeNothing) {
    WriteTestImage(kImage);
    m_device.Set({{"flash_ms", "6000"}, {"fault_power_loss", "1"}});
    DialogRunner dialog;
    ASSERT_NO_FATAL_FAILURE(OpenReady(dialog));
    PostMessageA(dialog.Window(), WM_UPDATE_DONE, 1, 0);
    ASSERT_TRUE(dialog.Flush());
    EXPECT_EQ(dialog.ItemText(IDC_STATUS), shown::kReady);
    EXPECT_TRUE(dialog.IsItemEnabled(IDC_UPDATE));

    ASSERT_NO_FATAL_FAILURE(StartFlash(dialog));
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
    EXPECT_EQ(FileSize(kStaging), kStagingSize);
    for (int button : {IDC_UPDATE, IDC_ABOUT, IDOK})
        EXPECT_FALSE(dialog.IsItemEnabled(button)) << button;
    EXPECT_EQ(dialog.ThreadWindow(kAboutWindowTitle), nullptr);
    // Buttons enabled by another program are still not the dialog's to act on.
    for (int button : {IDC_UPDATE, IDOK})
        EnableWindow(GetDlgItem(dialog.Window(), button), TRUE);
    ASSERT_NO_FATAL_FAILURE(forge({IDC_UPDATE, IDOK}));
    EXPECT_TRUE(dialog.IsOpen());
    EXPECT_EQ(dialog.ItemText(IDC_STATUS), shown::kUpdatingFlash);
    // Held until the worker has finished, the dialog finds forged messages claiming success
    // queued ahead of the worker's own.
    dialog.Call([](TestUpdaterDlg&) {
        EXPECT_TRUE(WaitUntil([] { return g_updateWorkerReport.finished.load(); }, kRunTimeoutMs));
    });

    const std::string verdict = shown::kFlashFailed;
    ASSERT_TRUE(dialog.WaitForStatus(verdict, kRunTimeoutMs)) << dialog.ItemText(IDC_STATUS);
    ASSERT_NO_FATAL_FAILURE(forge({IDC_UPDATE}));
    EXPECT_EQ(AfterUpdatePressed(dialog.StatusLog()),
              (Log{shown::kPleaseWait, "<clear>", shown::kUpdatingFlash, shown::kDone,
                   shown::kUpdateNg}));
    EXPECT_EQ(m_device.Get("flash_count"), "1");
    ExpectFinishedButtons(dialog);
}

TEST_F(UpdateRunTest, StagingFileThatCannotBeDeletedLeavesTheVerdict) {
    WriteTestImage(kImage);
    m_device.Set({{"flash_ms", "3000"}});
    DialogRunner dialog;
    ASSERT_NO_FATAL_FAILURE(StartFlash(dialog));
    // Open without delete sharing: the completion's delete fails.
    HANDLE held = CreateFileA(kStaging, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);

    EXPECT_TRUE(dialog.WaitForStatus(shown::kUpdateOk, kRunTimeoutMs));
    EXPECT_TRUE(dialog.IsOpen());
    ExpectFinishedButtons(dialog);
    CloseHandle(held);
    EXPECT_EQ(FileSize(kStaging), kStagingSize);
}

} // namespace
