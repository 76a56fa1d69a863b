// Runs the real ZrcUpdater.exe as its own process against the simulated device, each
// test in a scratch folder of its own with a made firmware image and a fresh device.
#pragma once

#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "app/resource.h"
#include "app/UpdaterIdentity.h"
#include "tests/support/CallerLine.h"
#include "tests/support/FileNames.h"
#include "tests/support/FirmwareFiles.h"
#include "tests/support/Programs.h"
#include "tests/support/ScratchFolder.h"
#include "tests/support/ShownTexts.h"
#include "tests/support/SimDeviceState.h"
#include "tests/support/Timeouts.h"
#include "tests/support/WaitUntil.h"
#include "tools/uidriver/UiWindow.h"

class UpdaterFixture : public ::testing::Test {
protected:
    void SetUp() override { m_device.Set({{"flash_ms", "1500"}, {"read_ms", "200"}}); }
    void TearDown() override {
        EXPECT_TRUE(ReadBytes(m_folder.File(files::kImage)) == m_image) << "the image was changed";
    }

    // Starts the updater until its status log reads `status`; inside ASSERT_NO_FATAL_FAILURE.
    void StartShowing(const std::string& status, uidriver::UiWindow& window) {
        m_updater = &m_programs.Start("ZrcUpdater.exe");
        // An updater that has ended (crashed, say) shows no window: no need to wait on.
        WaitUntil(
            [&] {
                window = uidriver::UiWindow::Find(kMainWindowTitle, m_updater->Id());
                return window.Exists() || !m_updater->IsRunning();
            },
            kProgramWaitMs);
        ASSERT_TRUE(window.Exists());
        ASSERT_TRUE(window.WaitForText(IDC_STATUS, status, kProgramWaitMs));
    }
    // Clicks Exit and waits for the process to end.
    void ExitUpdater(const uidriver::UiWindow& window) {
        EXPECT_TRUE(window.Click(IDOK));
        EXPECT_TRUE(m_updater->WaitForExit(kProgramWaitMs));
    }

    bool StagingFileExists() const { return FileSize(m_folder.File(files::kStaging)) >= 0; }
    // Each of `parts` is in the run log, and no whole path (the folder's own, or any other).
    void ExpectRunLogHolds(const std::vector<std::string>& parts, CallerLine = {}) const {
        const Bytes bytes = ReadBytes(m_folder.File(files::kRunLog));
        const std::string log(bytes.begin(), bytes.end());
        for (const std::string& part : parts)
            EXPECT_NE(std::string::npos, log.find(part)) << part << "\n" << log;
        EXPECT_EQ(std::string::npos, log.find(":\\")) << log;
        EXPECT_EQ(std::string::npos, log.find(m_folder.Path().substr(2))) << log;
    }
    // A control's text; "" (and a failure) when it cannot be read.
    static std::string Text(const uidriver::UiWindow& window, int controlId) {
        std::string text;
        EXPECT_TRUE(window.ReadText(controlId, text)) << controlId;
        return text;
    }
    // Which of Update, About and Exit are enabled.
    struct Buttons {
        bool update, about, exit;
    };
    static constexpr Buttons kAllEnabled{true, true, true};
    static constexpr Buttons kAllButUpdate{false, true, true};
    // The status text, the current version and the three buttons together.
    void ExpectScreen(const uidriver::UiWindow& window, const std::string& status,
                      const std::string& currentVersion, Buttons enabled, CallerLine = {}) {
        EXPECT_EQ(status, Text(window, IDC_STATUS));
        EXPECT_EQ(currentVersion, Text(window, IDC_CURRENT_VERSION));
        EXPECT_EQ("0214", Text(window, IDC_NEW_VERSION));
        EXPECT_EQ(enabled.update, window.IsEnabled(IDC_UPDATE)) << "Update";
        EXPECT_EQ(enabled.about, window.IsEnabled(IDC_ABOUT)) << "About";
        EXPECT_EQ(enabled.exit, window.IsEnabled(IDOK)) << "Exit";
    }

    ScratchFolder m_folder;
    const Bytes m_image = WriteTestImage(m_folder.File(files::kImage), 0x0214);
    // Settings written before the program reads them, and what it recorded of flashes.
    SimDeviceState m_device{m_folder.File("device")};
    StartedPrograms m_programs{m_folder.Path()}; // ended before the folder goes
    uidriver::ChildProcess* m_updater = nullptr; // the one StartShowing started last
};
