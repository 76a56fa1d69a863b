// A dialog from a test template, run modally: its message map, its ways of ending, its
// owner, the single PostNcDestroy, and data exchange in both directions.
#include <gtest/gtest.h>

#include "framework/Framework.h"
#include "tests/framework/framework_res.h"

#include <functional>
#include <string>
#include <tuple>
#include <vector>

namespace {

constexpr UINT WM_TEST_PRIVATE = WM_APP + 1;
constexpr UINT ID_TEST_APP_COMMAND = 0x7001;

// Records the commands that no window handled and that reached the application.
class TestApp : public CWinApp {
public:
    int m_appCommands = 0;

protected:
    void OnAppCommand() { ++m_appCommands; }
    DECLARE_MESSAGE_MAP()
};

const MessageMap* TestApp::GetMessageMap() const {
    static const MessageMapEntry entries[] = {
        OnCommand<&TestApp::OnAppCommand>(ID_TEST_APP_COMMAND),
    };
    static const MessageMap map(CWinApp::GetMessageMap(), entries);
    return &map;
}

TestApp theApp;

class TestDialog : public CDialog {
public:
    explicit TestDialog(CWnd* parent = nullptr) : CDialog(IDD_FRAMEWORK_TEST, parent) {}

    std::function<void(TestDialog&)> m_script; // runs at the end of OnInitDialog
    bool m_refuseCancel = false;
    std::vector<std::string> m_calls;
    int m_postNcDestroyCount = 0;
    std::string m_text;
    CEdit m_edit;

protected:
    BOOL OnInitDialog() override {
        BOOL result = CDialog::OnInitDialog();
        if (m_script)
            m_script(*this);
        return result;
    }
    void DoDataExchange(CDataExchange* pDX) override {
        DDX_Control(pDX, IDC_TEST_EDIT, m_edit);
        DDX_Text(pDX, IDC_TEST_EDIT, m_text);
    }
    void PostNcDestroy() override { ++m_postNcDestroyCount; }
    void OnCancel() override {
        m_calls.push_back("OnCancel");
        if (!m_refuseCancel)
            CDialog::OnCancel();
    }

    void OnStart() { m_calls.push_back("OnStart"); }
    void OnTimer(UINT_PTR id) {
        m_calls.push_back("OnTimer " + std::to_string(id));
        KillTimer(id);
        CDialog::OnTimer(id);
        PostMessage(WM_COMMAND, IDOK);
    }
    LRESULT OnPrivate(WPARAM wParam, LPARAM lParam) {
        m_calls.push_back("OnPrivate");
        return static_cast<LRESULT>(wParam) + lParam;
    }
    // Windows sends a window's start messages before the framework attaches it.
    LRESULT OnStartMessage(WPARAM, LPARAM) {
        m_calls.push_back("a start message once attached");
        return 0;
    }

    DECLARE_MESSAGE_MAP()
};

const MessageMap* TestDialog::GetMessageMap() const {
    static const MessageMapEntry entries[] = {
        OnWmTimer<&TestDialog::OnTimer>(),
        OnClicked<&TestDialog::OnStart>(IDC_TEST_START),
        OnMessage<&TestDialog::OnPrivate>(WM_TEST_PRIVATE),
        OnMessage<&TestDialog::OnStartMessage>(WM_NCCREATE),
        OnMessage<&TestDialog::OnStartMessage>(WM_CREATE),
        OnMessage<&TestDialog::OnStartMessage>(WM_INITDIALOG),
    };
    static const MessageMap map(CDialog::GetMessageMap(), entries);
    return &map;
}

void PostOk(TestDialog& dialog) {
    dialog.PostMessage(WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED));
}

TEST(DialogTest, MapDispatchesClicksTimersAndPrivateMessagesAndDefaultsTheRest) {
    TestDialog dialog;
    LRESULT privateResult = 0;
    char caption[32] = {};
    dialog.m_script = [&](TestDialog& d) {
        // A modal dialog over this one is owned by it and disables it.
        TestDialog inner(&d);
        inner.m_script = [&d](TestDialog& i) {
            EXPECT_EQ(d.m_hWnd, GetWindow(i.m_hWnd, GW_OWNER));
            EXPECT_FALSE(IsWindowEnabled(d.m_hWnd));
            PostOk(i);
        };
        EXPECT_EQ(IDOK, inner.DoModal());
        d.PostMessage(WM_COMMAND, MAKEWPARAM(IDC_TEST_START, BN_CLICKED));
        // A notification other than a click from the same button is not OnStart's.
        d.PostMessage(WM_COMMAND, MAKEWPARAM(IDC_TEST_START, BN_SETFOCUS));
        privateResult = d.SendMessage(WM_TEST_PRIVATE, 40, 2);
        // Unmapped: the default handling sets and reads the caption.
        d.SetWindowText("Renamed");
        GetWindowTextA(d.m_hWnd, caption, sizeof caption);
        d.SendMessage(WM_COMMAND, ID_TEST_APP_COMMAND);
        d.SendMessage(WM_COMMAND, ID_HELP);
        // Messages of a window's start and end that Windows did not send change nothing.
        for (UINT message : {WM_INITDIALOG, WM_NCCREATE, WM_CREATE, WM_DESTROY, WM_NCDESTROY})
            d.SendMessage(message);
        d.SetTimer(5, 10);
    };

    EXPECT_EQ(IDOK, dialog.DoModal());
    EXPECT_EQ((std::vector<std::string>{"OnPrivate", "OnStart", "OnTimer 5"}), dialog.m_calls);
    EXPECT_EQ(42, privateResult);
    EXPECT_STREQ("Renamed", caption);
    EXPECT_EQ(1, theApp.m_appCommands);
    EXPECT_EQ(1, dialog.m_postNcDestroyCount);
    EXPECT_EQ(nullptr, dialog.m_hWnd);
}

// A control never attached is reported once, with the member called, and its calls do
// nothing. A recording handler stands in for the suite's, which would fail the test.
TEST(DialogTest, AControlNeverAttachedIsReportedOnceAndItsCallsDoNothing) {
    static std::vector<std::string> reports;
    const AfxPreconditionHandler suites =
        AfxSetPreconditionHandler([](const char* call) { reports.push_back(call); });
    CProgressCtrl progress;
    CButton button;
    EXPECT_EQ(0, progress.SetPos(40));
    EXPECT_EQ(0, progress.GetPos());
    EXPECT_FALSE(button.EnableWindow(FALSE));
    AfxSetPreconditionHandler(suites);
    EXPECT_EQ((std::vector<std::string>{"SendMessage", "EnableWindow"}), reports);
}

struct EndingCase {
    const char* name;
    void (*post)(TestDialog&);
    bool cancels;
};

const EndingCase kEndings[] = {
    {"OkButton", PostOk, false},
    {"EscapeKey", [](TestDialog& d) { PostMessageA(d.m_edit.m_hWnd, WM_KEYDOWN, VK_ESCAPE, 1); },
     true},
    {"CloseBox", [](TestDialog& d) { d.PostMessage(WM_SYSCOMMAND, SC_CLOSE); }, true},
    {"AltF4", [](TestDialog& d) { d.PostMessage(WM_SYSKEYDOWN, VK_F4, 1 << 29); }, true},
    {"WmClose", [](TestDialog& d) { d.PostMessage(WM_CLOSE); }, true},
};

// A way of closing, and whether OnCancel refuses.
class EndingTest : public testing::TestWithParam<std::tuple<EndingCase, bool>> {};

// Each way of closing, after the edit's text was changed: OK reads the text back and
// ends the dialog; every other way runs OnCancel, which keeps the member and may refuse.
// A refusing dialog is then ended by its timer, through OK.
TEST_P(EndingTest, EndsOnceUnlessOnCancelRefuses) {
    const auto& [c, refuse] = GetParam();
    TestDialog dialog;
    dialog.m_text = "initial";
    dialog.m_refuseCancel = refuse;
    std::string shown;
    dialog.m_script = [&](TestDialog& d) {
        char buffer[32] = {};
        GetDlgItemTextA(d.m_hWnd, IDC_TEST_EDIT, buffer, sizeof buffer);
        shown = buffer;
        d.SetDlgItemText(IDC_TEST_EDIT, "typed by the user");
        c.post(d);
        d.SetTimer(1, 50);
    };
    const bool cancelled = c.cancels && !refuse;
    EXPECT_EQ(cancelled ? IDCANCEL : IDOK, dialog.DoModal());
    std::vector<std::string> calls = {"OnCancel", "OnTimer 1"};
    calls.resize(c.cancels ? (refuse ? 2 : 1) : 0);
    EXPECT_EQ(calls, dialog.m_calls);
    EXPECT_EQ("initial", shown);
    EXPECT_EQ(cancelled ? "initial" : "typed by the user", dialog.m_text);
    EXPECT_EQ(1, dialog.m_postNcDestroyCount);
}

INSTANTIATE_TEST_SUITE_P(Dialog, EndingTest,
                         testing::Combine(testing::ValuesIn(kEndings), testing::Bool()),
                         [](const testing::TestParamInfo<EndingTest::ParamType>& info) {
                             return std::string(std::get<0>(info.param).name) +
                                    (std::get<1>(info.param) ? "Refused" : "");
                         });

} // namespace
