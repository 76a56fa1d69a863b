#include "UpdaterFixture.h"

#include "Programs.h"
#include "WaitUntil.h"

using uidriver::ChildProcess;
using uidriver::UiWindow;

namespace {

const char kImage[] = "zrcup0214.bin";

} // namespace

void UpdaterFixture::SetUp() {
    m_device.Set({{"flash_ms", "1500"}, {"read_ms", "200"}});
    WriteImage();
}

void UpdaterFixture::StartShowing(const std::string& status, UiWindow& window) {
    ChildProcess& updater = m_programs.Start("ZrcUpdater.exe");
    window = UiWindow::WaitFor(kMainWindowTitle, kStartMs, updater.Id());
    ASSERT_TRUE(window.Exists());
    ASSERT_TRUE(window.WaitForText(IDC_STATUS, status, kStartMs));
}

void UpdaterFixture::StartFlashing(UiWindow& window) {
    ASSERT_NO_FATAL_FAILURE(StartShowing(shown::kReady, window));
    ASSERT_TRUE(window.Click(IDC_UPDATE));
    ASSERT_TRUE(window.WaitForText(IDC_STATUS, shown::kUpdatingFlash, kStartMs));
}

void UpdaterFixture::ExpectEndsWithoutWindow(const ChildProcess& process) {
    bool showedWindow = false;
    EXPECT_TRUE(WaitUntil(
        [&] {
            showedWindow |= UiWindow::Find(kMainWindowTitle, process.Id()).Exists();
            return process.WaitForExit(0);
        },
        kStartMs));
    EXPECT_FALSE(showedWindow);
}

void UpdaterFixture::WriteImage(std::uint16_t version, std::size_t length) {
    m_image = WriteTestImage(m_folder.File(kImage), version, length);
}

void UpdaterFixture::RemoveImage() {
    ASSERT_TRUE(DeleteFileA(m_folder.File(kImage).c_str()));
    m_image.clear();
}

void UpdaterFixture::ExpectImageUnchanged() {
    if (m_image.empty())
        EXPECT_EQ(-1, FileSize(m_folder.File(kImage)));
    else
        EXPECT_TRUE(ReadBytes(m_folder.File(kImage)) == m_image) << "the image was changed";
}

bool UpdaterFixture::StagingFileExists() const {
    return FileSize(m_folder.File("update_temp.bin")) >= 0;
}

void UpdaterFixture::ExpectRunLogHolds(const std::vector<std::string>& parts) const {
    const Bytes bytes = ReadBytes(m_folder.File("ZrcUpdater.log"));
    const std::string log(bytes.begin(), bytes.end());
    for (const std::string& part : parts)
        EXPECT_NE(std::string::npos, log.find(part)) << part << "\n" << log;
    EXPECT_EQ(std::string::npos, log.find(":\\")) << log;
    EXPECT_EQ(std::string::npos, log.find(m_folder.Path().substr(2))) << log;
}

void UpdaterFixture::ExpectScreen(const UiWindow& window, const std::string& status,
                                  const std::string& currentVersion, bool update, bool about,
                                  bool exit) {
    std::string text;
    EXPECT_TRUE(window.ReadText(IDC_STATUS, text));
    EXPECT_EQ(status, text);
    EXPECT_TRUE(window.ReadText(IDC_CURRENT_VERSION, text));
    EXPECT_EQ(currentVersion, text);
    EXPECT_TRUE(window.ReadText(IDC_NEW_VERSION, text));
    EXPECT_EQ("0214", text);
    EXPECT_EQ(update, window.IsEnabled(IDC_UPDATE)) << "Update";
    EXPECT_EQ(about, window.IsEnabled(IDC_ABOUT)) << "About";
    EXPECT_EQ(exit, window.IsEnabled(IDOK)) << "Exit";
}

void UpdaterFixture::ExitUpdater(const UiWindow& window) {
    DWORD process = window.ProcessId();
    EXPECT_TRUE(window.Click(IDOK));
    EXPECT_TRUE(UiWindow::WaitGone(kMainWindowTitle, kGoneMs, process));
    if (ChildProcess* started = m_programs.Find(process)) {
        EXPECT_TRUE(started->WaitForExit(kGoneMs));
    }
}

bool UpdaterFixture::Handled(const UiWindow& window) {
    // A changed text limit of the status log is the marker: nothing else sets it, and it
    // changes nothing the user sees. Handling a message may post another (Alt+F4 posts
    // the close command), so the marker goes round twice.
    HWND status = GetDlgItem(window.Handle(), IDC_STATUS);
    for (int round = 0; round < 2; ++round) {
        static WPARAM marker = 0x7000;
        PostMessageA(status, EM_SETLIMITTEXT, ++marker, 0);
        DWORD_PTR limit = 0;
        if (!WaitUntil(
                [&] {
                    return SendMessageTimeoutA(status, EM_GETLIMITTEXT, 0, 0, SMTO_NORMAL, 1000,
                                               &limit) &&
                           limit == marker;
                },
                kStartMs))
            return false;
    }
    return true;
}
