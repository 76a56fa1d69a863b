#include "UpdaterFixture.h"

#include <filesystem>
#include <fstream>
#include <iterator>

#include "BinFolder.h"
#include "FirmwareImage.h"
#include "SimSettings.h"

using uidriver::ChildProcess;
using uidriver::UiWindow;

namespace {

std::vector<std::uint8_t> ReadFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(file), {});
}

} // namespace

void UpdaterFixture::SetUp() {
    char current[MAX_PATH] = {};
    GetCurrentDirectoryA(MAX_PATH, current);
    const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
    m_folder = std::string(current) + "\\work\\" + info->test_suite_name() + "." + info->name();
    for (char& c : m_folder)
        if (c == '/')
            c = '.';
    std::error_code ignored;
    std::filesystem::remove_all(m_folder, ignored);
    std::string device = m_folder + "\\device";
    ASSERT_TRUE(std::filesystem::create_directories(device));
    m_deviceFolder.assign(device.begin(), device.end());
    // The updater inherits this, and so the simulated device it loads lives here.
    SetEnvironmentVariableA("ZRCSIM_STATE", device.c_str());
    SetDevice("flash_ms", "1500");
    SetDevice("read_ms", "200");
    WriteImage();
}

void UpdaterFixture::TearDown() {
    for (auto& process : m_processes)
        process->Terminate();
    if (m_image.empty())
        EXPECT_FALSE(std::filesystem::exists(Path("zrcup0214.bin")));
    else
        EXPECT_TRUE(ReadFile(Path("zrcup0214.bin")) == m_image) << "the image was changed";
}

UiWindow UpdaterFixture::StartUpdater() {
    m_processes.push_back(std::make_unique<ChildProcess>());
    if (!m_processes.back()->Start(m_folder, BinProgram("ZrcUpdater.exe")))
        return UiWindow();
    return UiWindow::WaitFor(updater::kMainTitle, kStartMs, m_processes.back()->Id());
}

void UpdaterFixture::StartShowing(const std::string& status, UiWindow& window) {
    window = StartUpdater();
    ASSERT_TRUE(window.Exists());
    ASSERT_TRUE(window.WaitForText(updater::kStatus, status, kStartMs));
}

ChildProcess& UpdaterFixture::StartBeside(const char* program, const std::string& arguments) {
    m_processes.push_back(std::make_unique<ChildProcess>());
    EXPECT_TRUE(m_processes.back()->Start(m_folder, BinProgram(program), arguments)) << program;
    return *m_processes.back();
}

void UpdaterFixture::WriteImage(std::uint16_t version, std::size_t length) {
    m_image = MakeImage(PayloadFromSeed(7), version, length);
    std::ofstream file(Path("zrcup0214.bin"), std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(m_image.data()), m_image.size());
    ASSERT_TRUE(file.good());
}

void UpdaterFixture::RemoveImage() {
    ASSERT_TRUE(std::filesystem::remove(Path("zrcup0214.bin")));
    m_image.clear();
}

void UpdaterFixture::SetDevice(const std::string& key, const std::string& value) {
    ASSERT_TRUE(SimSettings::IsKnownKey(key)) << key;
    SimSettings settings(m_deviceFolder);
    settings.Load();
    settings.Set(key, value);
    ASSERT_TRUE(settings.Save());
}

std::string UpdaterFixture::DeviceRecord(const std::string& key) {
    SimSettings settings(m_deviceFolder);
    settings.Load();
    return settings.Get(key);
}

void UpdaterFixture::SetFlashVersion(const char* version) {
    ChildProcess tool;
    DWORD code = 99;
    ASSERT_TRUE(tool.Start(m_folder, BinProgram("zrcsim.exe"), std::string("version ") + version));
    ASSERT_TRUE(tool.WaitForExit(kStartMs, &code));
    ASSERT_EQ(0u, code);
}

bool UpdaterFixture::StagingFileExists() const {
    return std::filesystem::exists(Path("update_temp.bin"));
}

void UpdaterFixture::ExpectScreen(const UiWindow& window, const std::string& status,
                                  const std::string& currentVersion, bool update, bool about,
                                  bool exit) {
    std::string text;
    EXPECT_TRUE(window.ReadText(updater::kStatus, text));
    EXPECT_EQ(status, text);
    EXPECT_TRUE(window.ReadText(updater::kCurrentVersion, text));
    EXPECT_EQ(currentVersion, text);
    EXPECT_TRUE(window.ReadText(updater::kNewVersion, text));
    EXPECT_EQ("0214", text);
    EXPECT_EQ(update, window.IsEnabled(updater::kUpdate)) << "Update";
    EXPECT_EQ(about, window.IsEnabled(updater::kAbout)) << "About";
    EXPECT_EQ(exit, window.IsEnabled(updater::kExit)) << "Exit";
}

void UpdaterFixture::ExitUpdater(const UiWindow& window) {
    DWORD process = window.ProcessId();
    ASSERT_TRUE(window.Click(updater::kExit));
    EXPECT_TRUE(UiWindow::WaitGone(updater::kMainTitle, kGoneMs, process));
    for (auto& started : m_processes) {
        if (started->Id() == process) {
            EXPECT_TRUE(started->WaitForExit(kGoneMs));
        }
    }
}
