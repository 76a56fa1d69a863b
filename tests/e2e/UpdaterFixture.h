// Runs the real ZrcUpdater.exe as its own process against the simulated device, each
// test in a scratch folder of its own with a made firmware image and a fresh device.
#pragma once

#include <gtest/gtest.h>

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "ChildProcess.h"
#include "FirmwareFiles.h"
#include "Programs.h"
#include "ScratchFolder.h"
#include "ShownTexts.h"
#include "SimDeviceState.h"
#include "UiWindow.h"
#include "UpdaterIdentity.h"
#include "resource.h"

class UpdaterFixture : public ::testing::Test {
protected:
    void SetUp() override;
    // Checks that the image was never changed.
    void TearDown() override { ExpectImageUnchanged(); }

    // Starts the updater and waits until its status log reads `status`; a fatal failure
    // when the window or the text does not appear. Call inside ASSERT_NO_FATAL_FAILURE.
    void StartShowing(const std::string& status, uidriver::UiWindow& window);
    // StartShowing "Ready.", then presses Update and waits until the flash runs. Call
    // inside ASSERT_NO_FATAL_FAILURE.
    void StartFlashing(uidriver::UiWindow& window);
    // Expects the process to end without ever showing the updater's main window.
    void ExpectEndsWithoutWindow(const uidriver::ChildProcess& process);

    // Replaces the image with a made one: 0x200000 bytes and version 0x0214 are valid.
    void WriteImage(std::uint16_t version = 0x0214, std::size_t length = kImageSize);
    // Call inside ASSERT_NO_FATAL_FAILURE.
    void RemoveImage();
    // The image is still the one the test wrote (or still absent).
    void ExpectImageUnchanged();
    bool StagingFileExists() const;
    // Expects the run log in the folder to hold each of `parts` and no whole path (the
    // folder's own path, or any drive-letter path).
    void ExpectRunLogHolds(const std::vector<std::string>& parts) const;

    // Checks the status text, the current version and the three buttons together.
    void ExpectScreen(const uidriver::UiWindow& window, const std::string& status,
                      const std::string& currentVersion, bool update, bool about, bool exit);
    // Closes the updater through its Exit button and waits for its process to end.
    void ExitUpdater(const uidriver::UiWindow& window);
    // Waits until the updater has handled the messages posted to it before this call, and
    // what those posted in turn: a marker posted behind them is seen once it is handled.
    static bool Handled(const uidriver::UiWindow& window);

    static const DWORD kStartMs = 30000; // start-up and device check under a busy Wine
    static const DWORD kFlashMs = 60000; // a short simulated flash with its read-back
    static const DWORD kGoneMs = 20000;

    ScratchFolder m_folder;
    // Settings written before the program reads them, and what it recorded of flashes.
    SimDeviceState m_device{m_folder.File("device")};
    StartedPrograms m_programs{m_folder.Path()}; // ended before the folder goes

private:
    Bytes m_image; // empty while no image should exist
};
