// The UI driver against a small dialog of its own, before it meets the updater.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "tests/e2e/TestWindow_res.h"
#include "tests/support/Programs.h"
#include "tests/support/Timeouts.h"
#include "tools/uidriver/EscapedText.h"
#include "tools/uidriver/UiWindow.h"

using uidriver::CloseRequest;
using uidriver::UiWindow;

namespace {

const char kTitle[] = "Driver Test Window";

class UiDriverTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_window = UiWindow::WaitFor(kTitle, kLongWaitMs,
                                     m_programs.Start("uidriver_testwin.exe", kTitle).Id());
        ASSERT_TRUE(m_window.Exists());
    }

    StartedPrograms m_programs;
    UiWindow m_window;
};

// States are read without the program's help and every wait ends with its timeout, even
// while the program is held; a click is posted, never sent.
TEST_F(UiDriverTest, ReadsAndWaitsWithoutWaitingOnAHeldProgram) {
    std::string text;
    ASSERT_TRUE(m_window.ReadText(0, text));
    EXPECT_EQ(kTitle, text);
    EXPECT_EQ(42, m_window.ReadProgress(IDC_TEST_PROGRESS));
    EXPECT_FALSE(m_window.IsEnabled(IDC_TEST_DISABLED));
    EXPECT_FALSE(m_window.IsEnabled(4711)) << "a missing control is not enabled";
    EXPECT_FALSE(m_window.Click(IDC_TEST_DISABLED)) << "a disabled button cannot be clicked";

    DWORD before = GetTickCount();
    ASSERT_TRUE(m_window.Click(IDC_TEST_BLOCK));
    EXPECT_LT(GetTickCount() - before, 500u) << "a click must be posted, not sent";
    // Block is greyed out while the program is held.
    ASSERT_TRUE(m_window.WaitForEnabled(IDC_TEST_BLOCK, false, kShortWaitMs));
    EXPECT_TRUE(m_window.IsEnabled(IDOK));
    before = GetTickCount();
    EXPECT_FALSE(m_window.WaitForText(IDC_TEST_LOG, "never shown", kAbsentMs));
    EXPECT_FALSE(m_window.WaitForEnabled(IDC_TEST_DISABLED, true, kAbsentMs));
    EXPECT_FALSE(UiWindow::WaitGone(kTitle, kAbsentMs));
    EXPECT_FALSE(UiWindow::WaitFor("No Such Window", kAbsentMs).Exists());
    const DWORD elapsed = GetTickCount() - before;
    EXPECT_GE(elapsed, 1150u);
    EXPECT_LT(elapsed, 5000u);
    EXPECT_TRUE(m_window.WaitForText(IDC_TEST_LOG, "Unblocked.\r\n", kWaitMs));
}

// Each is refused and logged by the window.
TEST_F(UiDriverTest, EveryCloseRequestReachesTheWindow) {
    const struct {
        CloseRequest request;
        const char* logged;
    } cases[] = {
        {CloseRequest::Message, "refused 1: close\r\n"},
        {CloseRequest::SystemMenu, "refused 2: sysclose\r\n"},
        {CloseRequest::Escape, "refused 3: cancel\r\n"},
        {CloseRequest::AltF4, "refused 4: sysclose\r\n"},
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(m_window.RequestClose(c.request));
        EXPECT_TRUE(m_window.WaitForText(IDC_TEST_LOG, c.logged, kWaitMs)) << c.logged;
    }
    EXPECT_TRUE(m_window.Exists());
}

TEST_F(UiDriverTest, ToolExitCodesTellTheOutcome) {
    const std::string title = std::string("\"") + kTitle + "\"";
    const std::string log = " " + std::to_string(IDC_TEST_LOG) + " ";
    const std::string disabled = " " + std::to_string(IDC_TEST_DISABLED);
    const struct {
        std::string arguments;
        int code;
    } cases[] = {
        {"wait-text " + title + log + "Idle.\\r\\n " + std::to_string(kWaitMs), 0},
        {"wait-text " + title + log + "Idle. " + std::to_string(kAbsentMs), 1},
        {"enabled " + title + disabled, 1},
        {"click " + title + disabled, 4},
        {"get \"No Such Window\"" + log, 3},
        {"wait-text \"No Such Window\"" + log + "Idle. " + std::to_string(kAbsentMs), 1},
        {"get " + title + " not-a-number", 2},
        {"close " + title + " sideways", 2},
        {"close " + title + " sysmenu", 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.code, RunBeside("uidriver.exe", c.arguments)) << c.arguments;
    EXPECT_TRUE(m_window.WaitForText(IDC_TEST_LOG, "refused 1: sysclose\r\n", kWaitMs));
}

TEST(EscapedTextTest, TypedEscapesStandForControlCharacters) {
    const struct {
        const char* typed;
        const char* text;
    } cases[] = {
        {"Line one.\\r\\n", "Line one.\r\n"},
        {"a\\tb\\\\c", "a\tb\\c"},
        {"A blank at the end ", "A blank at the end "},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.text, uidriver::Unescape(c.typed));
        EXPECT_EQ(c.typed, uidriver::Escape(c.text));
    }
    EXPECT_EQ("\\x", uidriver::Unescape("\\x")) << "unknown escapes stay as typed";
    EXPECT_EQ("end\\", uidriver::Unescape("end\\"));
}

} // namespace
