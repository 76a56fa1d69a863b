// Runs the real ZrcUpdater.exe as its own process against the simulated device, each
// test in a working folder of its own with a made firmware image and a fresh device.
#pragma once

#include <gtest/gtest.h>

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "ChildProcess.h"
#include "UiWindow.h"

// What the user sees of the updater: window titles and control ids.
namespace updater {
const char kMainTitle[] = "TAVO ZRC-MT40 Updater v0214";
const char kCaptureTitle[] = "Corvane - Mpeg Capture";
const int kExit = 1;
const int kUpdate = 1013;
const int kStatus = 1053;
const int kProgress = 1230;
const int kAbout = 1231;
const int kCurrentVersion = 1233;
const int kNewVersion = 1234;
} // namespace updater

class UpdaterFixture : public ::testing::Test {
protected:
    void SetUp() override;
    // Ends what the test left running and checks that the image was never changed.
    void TearDown() override;

    // Starts the updater in the working folder and waits for its main window; an empty
    // window when it did not appear.
    uidriver::UiWindow StartUpdater();
    // Starts the updater and waits until its status log reads `status`; a fatal failure
    // when the window or the text does not appear. Call inside ASSERT_NO_FATAL_FAILURE.
    void StartShowing(const std::string& status, uidriver::UiWindow& window);
    // Starts a program that lies beside the test; its windows are not waited for.
    uidriver::ChildProcess& StartBeside(const char* program, const std::string& arguments);
    // The process of the last StartUpdater or StartBeside.
    uidriver::ChildProcess& LastProcess() { return *m_processes.back(); }

    // Replaces the image with a made one: 0x200000 bytes and version 0x0214 are valid.
    void WriteImage(std::uint16_t version = 0x0214, std::size_t length = 0x200000);
    void RemoveImage();

    // Simulated device: settings written before the program reads them, what it
    // recorded of flashes, and its flash version set through the zrcsim tool.
    void SetDevice(const std::string& key, const std::string& value);
    std::string DeviceRecord(const std::string& key);
    void SetFlashVersion(const char* version);

    bool StagingFileExists() const;
    std::string Path(const char* name) const { return m_folder + "\\" + name; }

    // Checks the status text, the current version and the three buttons together.
    void ExpectScreen(const uidriver::UiWindow& window, const std::string& status,
                      const std::string& currentVersion, bool update, bool about, bool exit);
    // Closes the updater through its Exit button and waits for its process to end.
    void ExitUpdater(const uidriver::UiWindow& window);

    static const DWORD kStartMs = 30000; // start-up and device check under a busy Wine
    static const DWORD kFlashMs = 60000; // a short simulated flash with its read-back
    static const DWORD kGoneMs = 20000;

private:
    std::string m_folder;
    std::wstring m_deviceFolder;
    std::vector<std::uint8_t> m_image; // empty while no image should exist
    std::vector<std::unique_ptr<uidriver::ChildProcess>> m_processes;
};
