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
#include "tools/uidriver/UiWindow.h"

class UpdaterFixture : public ::testing::Test {
protected:
    void SetUp() override;
    // The image was never changed.
    void TearDown() override;

    // Starts the updater until its status log reads `status`; inside ASSERT_NO_FATAL_FAILURE.
    void StartShowing(const std::string& status, uidriver::UiWindow& window);
    // Clicks Exit and waits for the process to end.
    void ExitUpdater(const uidriver::UiWindow& window);

    bool StagingFileExists() const;
    // Each of `parts` is in the run log, and no whole path (the folder's own, or any other).
    void ExpectRunLogHolds(const std::vector<std::string>& parts, CallerLine = {}) const;
    // A control's text; "" (and a failure) when it cannot be read.
    static std::string Text(const uidriver::UiWindow& window, int controlId);
    // Which of Update, About and Exit are enabled.
    struct Buttons {
        bool update, about, exit;
    };
    static constexpr Buttons kAllEnabled{true, true, true};
    static constexpr Buttons kAllButUpdate{false, true, true};
    // The status text, the current version and the three buttons together.
    void ExpectScreen(const uidriver::UiWindow& window, const std::string& status,
                      const std::string& currentVersion, Buttons enabled, CallerLine = {});

    ScratchFolder m_folder;
    // Settings written before the program reads them, and what it recorded of flashes.
    SimDeviceState m_device{m_folder.File("device")};
    StartedPrograms m_programs{m_folder.Path()}; // ended before the folder goes
    uidriver::ChildProcess* m_updater = nullptr; // the one StartShowing started last

private:
    const std::string m_imagePath = m_folder.File(files::kImage);
    Bytes m_image;
};
