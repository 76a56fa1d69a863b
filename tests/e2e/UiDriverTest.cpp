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
const auto RowName = [](const auto& info) { return info.param.name; };

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

struct CloseCase {
    const char* name;
    CloseRequest request;
    const char* logged;
};

class CloseRequestTest : public UiDriverTest, public testing::WithParamInterface<CloseCase> {};

// Each is refused and logged by the window.
TEST_P(CloseRequestTest, ReachesTheWindow) {
    ASSERT_TRUE(m_window.RequestClose(GetParam().request));
    EXPECT_TRUE(m_window.WaitForText(IDC_TEST_LOG, GetParam().logged, kWaitMs));
    EXPECT_TRUE(m_window.Exists());
}

const CloseCase kCloses[] = {
    {"Message", CloseRequest::Message, "refused 1: close\r\n"},
    {"SystemMenu", CloseRequest::SystemMenu, "refused 1: sysclose\r\n"},
    {"Escape", CloseRequest::Escape, "refused 1: cancel\r\n"},
    {"AltF4", CloseRequest::AltF4, "refused 1: sysclose\r\n"},
};
INSTANTIATE_TEST_SUITE_P(Requests, CloseRequestTest, testing::ValuesIn(kCloses), RowName);

struct ToolCase {
    const char* name;
    std::string arguments;
    int code;
    const char* logged = nullptr; // the window's log after a command that reaches it
};

class ToolExitCodeTest : public UiDriverTest, public testing::WithParamInterface<ToolCase> {};

TEST_P(ToolExitCodeTest, TellsTheOutcome) {
    EXPECT_EQ(GetParam().code, RunBeside("uidriver.exe", GetParam().arguments));
    if (GetParam().logged) {
        EXPECT_TRUE(m_window.WaitForText(IDC_TEST_LOG, GetParam().logged, kWaitMs));
    }
}

const std::string kQuoted = std::string("\"") + kTitle + "\"";
const std::string kLog = " " + std::to_string(IDC_TEST_LOG) + " ";
const std::string kDisabled = " " + std::to_string(IDC_TEST_DISABLED);
const ToolCase kTools[] = {
    {"WaitTextShown", "wait-text " + kQuoted + kLog + "Idle.\\r\\n " + std::to_string(kWaitMs), 0},
    {"WaitTextNotShown", "wait-text " + kQuoted + kLog + "Idle. " + std::to_string(kAbsentMs), 1},
    {"EnabledOfADisabledControl", "enabled " + kQuoted + kDisabled, 1},
    {"ClickOnADisabledControl", "click " + kQuoted + kDisabled, 4},
    {"GetWithoutTheWindow", "get \"No Such Window\"" + kLog, 3},
    {"WaitTextWithoutTheWindow",
     "wait-text \"No Such Window\"" + kLog + "Idle. " + std::to_string(kAbsentMs), 1},
    {"GetOfANonNumber", "get " + kQuoted + " not-a-number", 2},
    {"CloseOfAnUnknownKind", "close " + kQuoted + " sideways", 2},
    {"CloseBySystemMenu", "close " + kQuoted + " sysmenu", 0, "refused 1: sysclose\r\n"},
};
INSTANTIATE_TEST_SUITE_P(Tool, ToolExitCodeTest, testing::ValuesIn(kTools), RowName);

struct EscapeCase {
    const char* name;
    const char* typed;
    const char* text;
};

class EscapedTextTest : public testing::TestWithParam<EscapeCase> {};

TEST_P(EscapedTextTest, TypedEscapesStandForControlCharacters) {
    EXPECT_EQ(GetParam().text, uidriver::Unescape(GetParam().typed));
    EXPECT_EQ(GetParam().typed, uidriver::Escape(GetParam().text));
}

const EscapeCase kEscapes[] = {
    {"LineEnd", "Line one.\\r\\n", "Line one.\r\n"},
    {"TabAndBackslash", "a\\tb\\\\c", "a\tb\\c"},
    {"BlankAtTheEnd", "A blank at the end ", "A blank at the end "},
};
INSTANTIATE_TEST_SUITE_P(Texts, EscapedTextTest, testing::ValuesIn(kEscapes), RowName);

TEST(UnescapeTest, UnknownEscapesStayAsTyped) {
    EXPECT_EQ("\\x", uidriver::Unescape("\\x"));
    EXPECT_EQ("end\\", uidriver::Unescape("end\\"));
}

} // namespace
