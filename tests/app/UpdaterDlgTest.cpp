// The main dialog in a real filter graph with fake vendor filters: what it reads when
// it opens, the one-time device check and version gate, its timers and its link use.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>
#include <uuids.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <utility>

#include "ClassFactory.h"
#include "DeviceLink.h"
#include "DialogDriver.h"
#include "FakeFilters.h"
#include "IconPlacement.h"
#include "ThreadWindows.h"
#include "UpdaterIdentity.h"
#include "UpdaterDlg.h"
#include "resource.h"

namespace {

const char kMainTitle[] = "TAVO ZRC-MT40 Updater v0214";

// Opens the dialog's protected parts to the tests.
class TestUpdaterDlg : public CUpdaterDlg {
public:
    using CUpdaterDlg::CheckDevice;
    using CUpdaterDlg::m_dwMicrocodeVersion;
    using CUpdaterDlg::m_filterVersions;
    using CUpdaterDlg::m_pLink;
    using CUpdaterDlg::m_strAcceptedVersion;
    using CUpdaterDlg::m_strCurrentVersion;
    using CUpdaterDlg::ReadFlashVersion;

    HWND Handle() const { return m_hWnd; }
    std::string Text(int id) const { return ControlText(m_hWnd, id); }
    bool Enabled(int id) const { return ControlEnabled(m_hWnd, id); }
    // Stops the timed device check, for tests that run the check themselves.
    void StopDeviceCheckTimer() { ::KillTimer(m_hWnd, TIMER_DEVICE_CHECK); }
};

// A link that counts what is done to it and answers every command with `result`.
class CountingLink : public CDeviceLink {
public:
    CountingLink(int* destroyed, int result) : m_destroyed(destroyed), m_result(result) {}
    ~CountingLink() override { ++*m_destroyed; }

    int Open(int, int) override {
        ++opens;
        return 1;
    }
    int Command(int nCode, void* pArg) override {
        lastCode = nCode;
        if (nCode == CMD_READ_FLASH_VERSION && pArg)
            *static_cast<DWORD*>(pArg) = 0x0214;
        return m_result;
    }
    int ShowPropertyPages(int, void*) override { return 0; }
    void Close() override {}

    int opens = 0;
    int lastCode = 0;

private:
    int* m_destroyed;
    int m_result;
};

HRESULT RefuseToCreate(REFIID, void** ppv) {
    *ppv = nullptr;
    return E_OUTOFMEMORY;
}

int CountCalls(const FakeFilterRecord& record, const char* name) {
    return static_cast<int>(std::count(record.calls.begin(), record.calls.end(), name));
}

class UpdaterDlgTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr)));
        fakes_ = new FakeVendorFilters;
        ASSERT_TRUE(fakes_->Registered());
        Source().versionText = "ZRC-SRC4.1.7";
        Script(FakeRole::Splitter).versionText = "ZRC-SPL2.0.3";
    }
    void TearDown() override {
        if (graphCookie_)
            CoRevokeClassObject(graphCookie_);
        delete fakes_;
        CoUninitialize();
    }

    FakeFilterScript& Script(FakeRole role) { return fakes_->Script(role); }
    FakeFilterScript& Source() { return Script(FakeRole::Source); }
    FakeFilterRecord& SourceRecord() { return fakes_->Record(FakeRole::Source); }

    // Makes the filter graph manager impossible to create in this apartment.
    void BreakGraphManager() {
        auto* factory = new ClassFactory(RefuseToCreate);
        ASSERT_EQ(S_OK, CoRegisterClassObject(CLSID_FilterGraph, factory, CLSCTX_INPROC_SERVER,
                                              REGCLS_MULTIPLEUSE, &graphCookie_));
        factory->Release();
    }

    // Runs the dialog modally with `driver` and expects every step to have run.
    void Run(TestUpdaterDlg& dlg, DialogDriver& driver) {
        driver.Start();
        dlg.DoModal();
        EXPECT_TRUE(driver.Finish()) << "the dialog script did not finish in time";
    }

    // Before any device check: no version read, an empty log, only Exit usable, no link.
    static void ExpectUncheckedScreen(const TestUpdaterDlg& dlg) {
        EXPECT_EQ("----", dlg.Text(IDC_CURRENT_VERSION));
        EXPECT_EQ("0214", dlg.Text(IDC_NEW_VERSION));
        EXPECT_EQ("", dlg.Text(IDC_STATUS));
        EXPECT_FALSE(dlg.Enabled(IDC_UPDATE));
        EXPECT_FALSE(dlg.Enabled(IDC_ABOUT));
        EXPECT_TRUE(dlg.Enabled(IDOK));
        EXPECT_EQ(nullptr, dlg.m_pLink);
    }

    FakeVendorFilters* fakes_ = nullptr;
    DWORD graphCookie_ = 0;
};

struct CheckCase {
    const char* name;
    HRESULT firstProbe;
    HRESULT readStatus;
    DWORD flashWord;
    const char* acceptedVersion; // null: the built-in one
    const char* shownVersion;
    const char* log;
    bool updateEnabled;
};

const CheckCase kCheckCases[] = {
    {"not ready", S_FALSE, S_OK, 0x0211, nullptr, "----",
     "Device Check.. \r\nUSB Device is Not Ready!!\r\n", false},
    {"accepted version, upper bits ignored", S_OK, S_OK, 0xABCD0211, nullptr, "0211", "Ready.\r\n",
     true},
    {"new version again", S_OK, S_OK, 0x0214, nullptr, "0214", "Ready.\r\n", true},
    {"erased version word", S_OK, S_OK, 0x1234FFFF, nullptr, "****", "Ready.\r\n", true},
    {"other version", S_OK, S_OK, 0x0213, nullptr, "0213", "Version error.\r\n", false},
    {"zero-padded upper case", S_OK, S_OK, 0x00AB, nullptr, "00AB", "Version error.\r\n", false},
    {"any version accepted", S_OK, S_OK, 0x0213, "xxxx", "0213", "Ready.\r\n", true},
    {"wildcard is lower case only", S_OK, S_OK, 0x0213, "XXXX", "0213", "Version error.\r\n",
     false},
    {"failed read is no version", S_OK, E_FAIL, 0xFFFF, nullptr, "----", "Version error.\r\n",
     false},
    {"negative probe is ready", E_FAIL, S_OK, 0x0211, nullptr, "0211", "Ready.\r\n", true},
};

TEST_F(UpdaterDlgTest, DeviceCheckOutcomes) {
    for (const CheckCase& c : kCheckCases) {
        SCOPED_TRACE(c.name);
        Source().probeStatus[0] = c.firstProbe;
        Source().readFlashStatus = c.readStatus;
        Source().flashWord = c.flashWord;
        SourceRecord() = FakeFilterRecord();

        TestUpdaterDlg dlg;
        int result = -1;
        DialogDriver driver;
        driver.Then([&] {
            dlg.StopDeviceCheckTimer();
            if (c.acceptedVersion)
                dlg.m_strAcceptedVersion = c.acceptedVersion;
            result = dlg.CheckDevice();
            EXPECT_EQ(c.shownVersion, dlg.Text(IDC_CURRENT_VERSION));
            EXPECT_EQ(c.shownVersion, dlg.m_strCurrentVersion);
            EXPECT_EQ(c.log, dlg.Text(IDC_STATUS));
            EXPECT_EQ(c.updateEnabled, dlg.Enabled(IDC_UPDATE));
            EXPECT_TRUE(dlg.Enabled(IDC_ABOUT));
            EXPECT_TRUE(dlg.Enabled(IDOK));
            EXPECT_EQ(nullptr, dlg.m_pLink);
            return true;
        });
        Run(dlg, driver);

        const FakeFilterRecord& record = SourceRecord();
        if (c.firstProbe == S_FALSE) {
            EXPECT_EQ(0, result);
            EXPECT_EQ(0, CountCalls(record, "ReadyProbe2"));
            EXPECT_EQ(0, CountCalls(record, "ReadyProbe3"));
            EXPECT_EQ(0, CountCalls(record, "ReadFlashWord"));
        } else {
            EXPECT_NE(0, result);
            EXPECT_EQ(1, CountCalls(record, "ReadFlashWord"));
            EXPECT_EQ(0x1FFFFCu, record.flashAddress);
        }
    }
}

TEST_F(UpdaterDlgTest, OpensWithVersionsTitleAndDisabledButtons) {
    Source().microcodeVersion = 0x1A2B;
    Source().sourceWord = 0x55;
    TestUpdaterDlg dlg;
    DialogDriver driver;
    driver.Then([&] {
        char title[64] = {};
        GetWindowTextA(dlg.Handle(), title, sizeof title);
        EXPECT_STREQ(kMainTitle, title);
        ExpectUncheckedScreen(dlg);
        EXPECT_EQ(0x1A2Bu, dlg.m_dwMicrocodeVersion);
        EXPECT_STREQ("ZRC-SRC4.1.7", dlg.m_filterVersions.szSourceVersion);
        EXPECT_STREQ("ZRC-SPL2.0.3", dlg.m_filterVersions.szSplitterVersion);
        EXPECT_STREQ("", dlg.m_filterVersions.szSinkVersion);
        return true;
    });
    Run(dlg, driver);
    // The start-up link is gone again, and so are all its filters.
    EXPECT_EQ(0, fakes_->LiveFilters());
}

TEST_F(UpdaterDlgTest, NoGraphManagerShowsTheWarningFirstAndLeavesTheDialogInert) {
    BreakGraphManager();
    TestUpdaterDlg dlg;
    bool mainVisibleDuringWarning = true;
    DialogDriver driver;
    driver
        .Then([&] {
            HWND warning = FindThreadWindow("Warning!");
            if (!warning)
                return false;
            mainVisibleDuringWarning = IsWindowVisible(dlg.Handle()) != FALSE;
            EXPECT_NE(nullptr, FindWindowExA(warning, nullptr, "Static",
                                             "USB Device not found or is not ready."));
            PostMessageA(warning, WM_COMMAND, IDOK, 0);
            return true;
        })
        .Then([&] { return FindThreadWindow(kMainTitle) != nullptr; })
        .Wait(1500)
        .Then([&] {
            ExpectUncheckedScreen(dlg);
            return true;
        });
    Run(dlg, driver);
    EXPECT_FALSE(mainVisibleDuringWarning);
    EXPECT_EQ(0, SourceRecord().created);
}

TEST_F(UpdaterDlgTest, MissingSourceFilterIsReportedNotReadyOneSecondLater) {
    Source().createStatus = E_FAIL;
    TestUpdaterDlg dlg;
    DialogDriver driver;
    driver.Then([&] { return dlg.Text(IDC_STATUS) != ""; }).Then([&] {
        EXPECT_EQ(nullptr, FindThreadWindow("Warning!"));
        EXPECT_EQ("Device Check.. \r\nUSB Device is Not Ready!!\r\n", dlg.Text(IDC_STATUS));
        EXPECT_TRUE(dlg.Enabled(IDC_ABOUT));
        EXPECT_FALSE(dlg.Enabled(IDC_UPDATE));
        EXPECT_EQ(0u, dlg.m_dwMicrocodeVersion);
        EXPECT_STREQ("", dlg.m_filterVersions.szSourceVersion);
        return true;
    });
    DWORD opened = GetTickCount();
    Run(dlg, driver);
    EXPECT_GE(GetTickCount() - opened, 900u);
}

TEST_F(UpdaterDlgTest, MissingSplitterLeavesOnlyItsVersionEmpty) {
    Script(FakeRole::Splitter).createStatus = E_FAIL;
    Source().microcodeVersion = 0x77;
    TestUpdaterDlg dlg;
    DialogDriver driver;
    driver.Then([&] {
        EXPECT_EQ(0x77u, dlg.m_dwMicrocodeVersion);
        EXPECT_STREQ("ZRC-SRC4.1.7", dlg.m_filterVersions.szSourceVersion);
        EXPECT_STREQ("", dlg.m_filterVersions.szSplitterVersion);
        return true;
    });
    Run(dlg, driver);
}

TEST_F(UpdaterDlgTest, DeviceCheckRunsExactlyOnce) {
    Source().flashWord = 0x0211;
    TestUpdaterDlg dlg;
    DialogDriver driver;
    driver.Then([&] { return dlg.Text(IDC_STATUS) == "Ready.\r\n"; }).Wait(2500).Then([&] {
        EXPECT_TRUE(dlg.Enabled(IDC_UPDATE));
        return true;
    });
    Run(dlg, driver);
    EXPECT_EQ(1, CountCalls(SourceRecord(), "ReadyProbe1"));
    EXPECT_EQ(1, CountCalls(SourceRecord(), "ReadFlashWord"));
}

// A Splitter whose Release always reports 1 (a cached or static object) must not hold up
// the start-up link's Close: the dialog still shows, checks the device and closes.
TEST_F(UpdaterDlgTest, SplitterThatNeverReportsZeroDoesNotHoldTheStart) {
    Script(FakeRole::Splitter).releaseReportsOne = true;
    Source().flashWord = 0x0211;
    TestUpdaterDlg dlg;
    DialogDriver driver;
    driver.Then([&] { return dlg.Text(IDC_STATUS) == "Ready.\r\n"; });
    Run(dlg, driver);
}

// The bold Update font is 15 pixels high at 96 DPI and scales with the system DPI, and the
// icons come at the sizes the system uses. The suite runs this test once more with the
// prefix at 144 DPI (ZRC_TEST_DPI names it).
TEST_F(UpdaterDlgTest, FontAndIconsFollowTheSystemDpi) {
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    if (const char* expected = getenv("ZRC_TEST_DPI")) {
        ASSERT_EQ(atoi(expected), dpi);
    }

    TestUpdaterDlg dlg;
    DialogDriver driver;
    driver.Then([&] {
        HWND update = GetDlgItem(dlg.Handle(), IDC_UPDATE);
        LOGFONTA font = {};
        EXPECT_NE(0, GetObjectA(reinterpret_cast<HFONT>(SendMessageA(update, WM_GETFONT, 0, 0)),
                                sizeof font, &font));
        EXPECT_EQ(MulDiv(15, dpi, 96), font.lfHeight);
        EXPECT_EQ(FW_BOLD, font.lfWeight);
        const std::pair<WPARAM, int> icons[] = {{ICON_BIG, SM_CXICON}, {ICON_SMALL, SM_CXSMICON}};
        for (const auto& icon : icons) {
            ICONINFO info = {};
            EXPECT_TRUE(GetIconInfo(
                reinterpret_cast<HICON>(SendMessageA(dlg.Handle(), WM_GETICON, icon.first, 0)),
                &info));
            BITMAP mask = {};
            GetObjectA(info.hbmMask, sizeof mask, &mask);
            EXPECT_EQ(GetSystemMetrics(icon.second), mask.bmWidth);
            DeleteObject(info.hbmMask);
            DeleteObject(info.hbmColor);
        }
        return true;
    });
    Run(dlg, driver);
}

TEST_F(UpdaterDlgTest, ProgressTimerStepsUpToAHundredAndStops) {
    TestUpdaterDlg dlg;
    DialogDriver driver;
    driver.Then([&] {
        dlg.StopDeviceCheckTimer();
        HWND bar = GetDlgItem(dlg.Handle(), IDC_PROGRESS);
        SendMessageA(bar, PBM_SETPOS, 99, 0);
        SendMessageA(dlg.Handle(), WM_TIMER, TIMER_PROGRESS, 0);
        EXPECT_EQ(100, SendMessageA(bar, PBM_GETPOS, 0, 0));
        SendMessageA(dlg.Handle(), WM_TIMER, TIMER_PROGRESS, 0);
        EXPECT_EQ(100, SendMessageA(bar, PBM_GETPOS, 0, 0));
        // Another timer id moves nothing.
        SendMessageA(bar, PBM_SETPOS, 5, 0);
        SendMessageA(dlg.Handle(), WM_TIMER, 3, 0);
        EXPECT_EQ(5, SendMessageA(bar, PBM_GETPOS, 0, 0));
        return true;
    });
    Run(dlg, driver);
}

TEST_F(UpdaterDlgTest, HeldLinkIsUsedButNeitherOpenedNorDeleted) {
    int destroyed = 0;
    auto* link = new CountingLink(&destroyed, 1);
    TestUpdaterDlg dlg;
    DialogDriver driver;
    driver.Then([&] {
        dlg.StopDeviceCheckTimer();
        dlg.m_pLink = link;
        EXPECT_EQ(1, dlg.ReadFlashVersion());
        EXPECT_EQ(CMD_READ_FLASH_VERSION, link->lastCode);
        EXPECT_EQ("0214", dlg.Text(IDC_CURRENT_VERSION));
        EXPECT_EQ(1, dlg.CheckDevice());
        EXPECT_EQ(0, link->opens);
        EXPECT_EQ(0, destroyed);
        EXPECT_EQ(link, dlg.m_pLink);
        return true;
    });
    Run(dlg, driver);
}

// Exit and the close box both end the dialog; either way a link it still holds is
// deleted and COM, initialised once by the dialog, is released once.
TEST_F(UpdaterDlgTest, ClosingDeletesAHeldLinkAndReleasesComOnce) {
    for (WPARAM closeCommand : {IDOK, IDCANCEL}) {
        SCOPED_TRACE(closeCommand == IDOK ? "Exit" : "close box");
        int destroyed = 0;
        TestUpdaterDlg dlg;
        DialogDriver driver;
        driver.Then([&] {
            dlg.StopDeviceCheckTimer();
            dlg.m_pLink = new CountingLink(&destroyed, 1);
            PostMessageA(dlg.Handle(), WM_COMMAND, closeCommand, 0);
            return true;
        });
        driver.Start();
        EXPECT_EQ(static_cast<INT_PTR>(closeCommand), dlg.DoModal());
        driver.Finish();
        EXPECT_EQ(1, destroyed);
        EXPECT_EQ(nullptr, dlg.m_pLink);
        // The test's own initialisation is still in place: the dialog released only its own.
        HRESULT again = CoInitialize(nullptr);
        EXPECT_EQ(S_FALSE, again);
        if (SUCCEEDED(again))
            CoUninitialize();
    }
}

TEST(IconPlacementTest, CentresTheIconWithTheOddPixelOnTheFarSide) {
    EXPECT_EQ(2, CentredIconOffset(36, 32));
    EXPECT_EQ(1, CentredIconOffset(33, 32));
    EXPECT_EQ(-15, CentredIconOffset(0, 32));
}

} // namespace
