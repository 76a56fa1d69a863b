#include "tests/e2e/UpdaterFixture.h"

#include "tests/support/WaitUntil.h"

using uidriver::UiWindow;

void UpdaterFixture::SetUp() {
    m_device.Set({{"flash_ms", "1500"}, {"read_ms", "200"}});
    m_image = WriteTestImage(m_imagePath, 0x0214);
}

void UpdaterFixture::TearDown() {
    EXPECT_TRUE(ReadBytes(m_imagePath) == m_image) << "the image was changed";
}

void UpdaterFixture::StartShowing(const std::string& status, UiWindow& window) {
    m_updater = &m_programs.Start("ZrcUpdater.exe");
    // An updater that has ended (crashed, say) shows no window: no need to wait on.
    WaitUntil(
        [&] {
            window = UiWindow::Find(kMainWindowTitle, m_updater->Id());
            return window.Exists() || !m_updater->IsRunning();
        },
        kProgramWaitMs);
    ASSERT_TRUE(window.Exists());
    ASSERT_TRUE(window.WaitForText(IDC_STATUS, status, kProgramWaitMs));
}

void UpdaterFixture::ExitUpdater(const UiWindow& window) {
    EXPECT_TRUE(window.Click(IDOK));
    EXPECT_TRUE(m_updater->WaitForExit(kProgramWaitMs));
}

bool UpdaterFixture::StagingFileExists() const {
    return FileSize(m_folder.File(files::kStaging)) >= 0;
}

void UpdaterFixture::ExpectRunLogHolds(const std::vector<std::string>& parts, CallerLine) const {
    const Bytes bytes = ReadBytes(m_folder.File(files::kRunLog));
    const std::string log(bytes.begin(), bytes.end());
    for (const std::string& part : parts)
        EXPECT_NE(std::string::npos, log.find(part)) << part << "\n" << log;
    EXPECT_EQ(std::string::npos, log.find(":\\")) << log;
    EXPECT_EQ(std::string::npos, log.find(m_folder.Path().substr(2))) << log;
}

std::string UpdaterFixture::Text(const UiWindow& window, int controlId) {
    std::string text;
    EXPECT_TRUE(window.ReadText(controlId, text)) << controlId;
    return text;
}

void UpdaterFixture::ExpectScreen(const UiWindow& window, const std::string& status,
                                  const std::string& currentVersion, Buttons enabled, CallerLine) {
    EXPECT_EQ(status, Text(window, IDC_STATUS));
    EXPECT_EQ(currentVersion, Text(window, IDC_CURRENT_VERSION));
    EXPECT_EQ("0214", Text(window, IDC_NEW_VERSION));
    EXPECT_EQ(enabled.update, window.IsEnabled(IDC_UPDATE)) << "Update";
    EXPECT_EQ(enabled.about, window.IsEnabled(IDC_ABOUT)) << "About";
    EXPECT_EQ(enabled.exit, window.IsEnabled(IDOK)) << "Exit";
}
