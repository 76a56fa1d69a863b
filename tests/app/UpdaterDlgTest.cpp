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

#include "ShownTexts.h"
#include "ClassFactory.h"
#include "DeviceLink.h"
#include "DialogRunner.h"
#include "FakeFilters.h"
#include "IconPlacement.h"
#include "UpdaterIdentity.h"
#include "WaitUntil.h"
#include "resource.h"

namespace {

constexpr DWORD kWaitMs = 10000;

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

// Each dialog runs on a thread of its own, in whose apartment the fake filters are
// registered while it runs.
class UpdaterDlgTest : public ::testing::Test {
protected:
    void SetUp() override {
        Source().versionText = "ZRC-SRC4.1.7";
        Script(FakeRole::Splitter).versionText = "ZRC-SPL2.0.3";
    }

    FakeFilterScript& Script(FakeRole role) { return fakes_.Script(role); }
    FakeFilterScript& Source() { return Script(FakeRole::Source); }
    FakeFilterRecord& SourceRecord() { return fakes_.Record(FakeRole::Source); }

    // Options for a dialog over the fake filters; with timedDeviceCheck false the test
    // runs the device check itself. Once the dialog has gone, COM is checked to be still
    // initialised by its thread: the dialog released only its own initialisation.
    DialogOptions Options(bool timedDeviceCheck = true) {
        DialogOptions options;
        options.timedDeviceCheck = timedDeviceCheck;
        options.beforeOpen = [this] {
            EXPECT_TRUE(SUCCEEDED(CoInitialize(nullptr)));
            EXPECT_TRUE(fakes_.Register());
            if (breakGraphManager_) {
                // The filter graph manager cannot be created in this apartment.
                auto* factory = new ClassFactory(RefuseToCreate);
                EXPECT_EQ(S_OK,
                          CoRegisterClassObject(CLSID_FilterGraph, factory, CLSCTX_INPROC_SERVER,
                                                REGCLS_MULTIPLEUSE, &graphCookie_));
                factory->Release();
            }
        };
        options.afterClose = [this] {
            fakes_.Revoke();
            if (graphCookie_)
                CoRevokeClassObject(std::exchange(graphCookie_, 0));
            HRESULT again = CoInitialize(nullptr);
            EXPECT_EQ(S_FALSE, again);
            if (SUCCEEDED(again))
                CoUninitialize();
            CoUninitialize();
        };
        return options;
    }

    // Before any device check: no version read, an empty log, only Exit usable, no link.
    static void ExpectUncheckedScreen(const DialogRunner& dialog) {
        EXPECT_EQ("----", dialog.ItemText(IDC_CURRENT_VERSION));
        EXPECT_EQ("0214", dialog.ItemText(IDC_NEW_VERSION));
        EXPECT_EQ("", dialog.ItemText(IDC_STATUS));
        EXPECT_FALSE(dialog.IsItemEnabled(IDC_UPDATE));
        EXPECT_FALSE(dialog.IsItemEnabled(IDC_ABOUT));
        EXPECT_TRUE(dialog.IsItemEnabled(IDOK));
        dialog.Call([](TestUpdaterDlg& dlg) { EXPECT_EQ(nullptr, dlg.m_pLink); });
    }

    FakeVendorFilters fakes_;
    bool breakGraphManager_ = false;
    DWORD graphCookie_ = 0;
};

struct CheckCase {
    const char* name;
    HRESULT firstProbe;
    HRESULT readStatus;
    DWORD flashWord;
    const char* acceptedVersion; // null: the built-in one
    const char* shownVersion;
    std::string log;
    bool updateEnabled;
};

const CheckCase kCheckCases[] = {
    {"not ready", S_FALSE, S_OK, 0x0211, nullptr, "----", shown::kCheckNotReady, false},
    {"accepted version, upper bits ignored", S_OK, S_OK, 0xABCD0211, nullptr, "0211", shown::kReady,
     true},
    {"new version again", S_OK, S_OK, 0x0214, nullptr, "0214", shown::kReady, true},
    {"erased version word", S_OK, S_OK, 0x1234FFFF, nullptr, "****", shown::kReady, true},
    {"other version", S_OK, S_OK, 0x0213, nullptr, "0213", shown::kVersionError, false},
    {"zero-padded upper case", S_OK, S_OK, 0x00AB, nullptr, "00AB", shown::kVersionError, false},
    {"any version accepted", S_OK, S_OK, 0x0213, "xxxx", "0213", shown::kReady, true},
    {"wildcard is lower case only", S_OK, S_OK, 0x0213, "XXXX", "0213", shown::kVersionError,
     false},
    {"failed read is no version", S_OK, E_FAIL, 0xFFFF, nullptr, "----", shown::kVersionError,
     false},
    {"negative probe is ready", E_FAIL, S_OK, 0x0211, nullptr, "0211", shown::kReady, true},
};

TEST_F(UpdaterDlgTest, DeviceCheckOutcomes) {
    for (const CheckCase& c : kCheckCases) {
        SCOPED_TRACE(c.name);
        Source().probeStatus[0] = c.firstProbe;
        Source().readFlashStatus = c.readStatus;
        Source().flashWord = c.flashWord;
        SourceRecord() = FakeFilterRecord();

        int result = -1;
        DialogRunner dialog(Options(false));
        dialog.Call([&](TestUpdaterDlg& dlg) {
            if (c.acceptedVersion)
                dlg.m_strAcceptedVersion = c.acceptedVersion;
            result = dlg.CheckDevice();
            EXPECT_EQ(c.shownVersion, dlg.m_strCurrentVersion);
            EXPECT_EQ(nullptr, dlg.m_pLink);
        });
        EXPECT_EQ(c.shownVersion, dialog.ItemText(IDC_CURRENT_VERSION));
        EXPECT_EQ(c.log, dialog.ItemText(IDC_STATUS));
        EXPECT_EQ(c.updateEnabled, dialog.IsItemEnabled(IDC_UPDATE));
        EXPECT_TRUE(dialog.IsItemEnabled(IDC_ABOUT));
        EXPECT_TRUE(dialog.IsItemEnabled(IDOK));

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
    {
        DialogRunner dialog(Options(false));
        ASSERT_TRUE(
            WaitUntil([&] { return dialog.ThreadWindow(kMainWindowTitle) != nullptr; }, kWaitMs));
        ExpectUncheckedScreen(dialog);
        dialog.Call([](TestUpdaterDlg& dlg) {
            EXPECT_EQ(0x1A2Bu, dlg.m_dwMicrocodeVersion);
            EXPECT_STREQ("ZRC-SRC4.1.7", dlg.m_filterVersions.szSourceVersion);
            EXPECT_STREQ("ZRC-SPL2.0.3", dlg.m_filterVersions.szSplitterVersion);
            EXPECT_STREQ("", dlg.m_filterVersions.szSinkVersion);
        });
    }
    // The start-up link is gone again, and so are all its filters.
    EXPECT_EQ(0, fakes_.LiveFilters());
}

TEST_F(UpdaterDlgTest, NoGraphManagerShowsTheWarningFirstAndLeavesTheDialogInert) {
    breakGraphManager_ = true;
    DialogRunner dialog(Options());
    HWND warning = nullptr;
    ASSERT_TRUE(WaitUntil(
        [&] { return (warning = dialog.ThreadWindow(kWarningWindowTitle)) != nullptr; }, kWaitMs));
    EXPECT_FALSE(IsWindowVisible(dialog.Window()));
    EXPECT_NE(nullptr,
              FindWindowExA(warning, nullptr, "Static", "USB Device not found or is not ready."));
    PostMessageA(warning, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(
        WaitUntil([&] { return dialog.ThreadWindow(kMainWindowTitle) != nullptr; }, kWaitMs));
    // Longer than the device check's delay: its timer was never set.
    Sleep(DEVICE_CHECK_DELAY_MS + 500);
    ExpectUncheckedScreen(dialog);
    EXPECT_EQ(0, SourceRecord().created);
}

TEST_F(UpdaterDlgTest, MissingSourceFilterIsReportedNotReadyOneSecondLater) {
    Source().createStatus = E_FAIL;
    const DWORD opened = GetTickCount();
    DialogRunner dialog(Options());
    EXPECT_TRUE(dialog.WaitForStatus(shown::kCheckNotReady, kWaitMs))
        << dialog.ItemText(IDC_STATUS);
    EXPECT_GE(GetTickCount() - opened, 900u);
    EXPECT_EQ(nullptr, dialog.ThreadWindow(kWarningWindowTitle));
    EXPECT_TRUE(dialog.IsItemEnabled(IDC_ABOUT));
    EXPECT_FALSE(dialog.IsItemEnabled(IDC_UPDATE));
    dialog.Call([](TestUpdaterDlg& dlg) {
        EXPECT_EQ(0u, dlg.m_dwMicrocodeVersion);
        EXPECT_STREQ("", dlg.m_filterVersions.szSourceVersion);
    });
}

TEST_F(UpdaterDlgTest, MissingSplitterLeavesOnlyItsVersionEmpty) {
    Script(FakeRole::Splitter).createStatus = E_FAIL;
    Source().microcodeVersion = 0x77;
    DialogRunner dialog(Options(false));
    dialog.Call([](TestUpdaterDlg& dlg) {
        EXPECT_EQ(0x77u, dlg.m_dwMicrocodeVersion);
        EXPECT_STREQ("ZRC-SRC4.1.7", dlg.m_filterVersions.szSourceVersion);
        EXPECT_STREQ("", dlg.m_filterVersions.szSplitterVersion);
    });
}

// The Splitter here reports 1 from every Release, as a cached or static object may: the
// start-up link's and each one-shot link's Close must still end.
TEST_F(UpdaterDlgTest, DeviceCheckRunsExactlyOnce) {
    Script(FakeRole::Splitter).releaseReportsOne = true;
    Source().flashWord = 0x0211;
    DialogRunner dialog(Options());
    ASSERT_TRUE(dialog.WaitForStatus(shown::kReady, kWaitMs));
    // Two more periods of the check's timer: it was stopped after the first.
    Sleep(2 * DEVICE_CHECK_DELAY_MS + 500);
    EXPECT_TRUE(dialog.IsItemEnabled(IDC_UPDATE));
    EXPECT_EQ(1, CountCalls(SourceRecord(), "ReadyProbe1"));
    EXPECT_EQ(1, CountCalls(SourceRecord(), "ReadFlashWord"));
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

    DialogRunner dialog(Options(false));
    HWND update = GetDlgItem(dialog.Window(), IDC_UPDATE);
    LOGFONTA font = {};
    EXPECT_NE(0, GetObjectA(reinterpret_cast<HFONT>(SendMessageA(update, WM_GETFONT, 0, 0)),
                            sizeof font, &font));
    EXPECT_EQ(MulDiv(15, dpi, 96), font.lfHeight);
    EXPECT_EQ(FW_BOLD, font.lfWeight);
    const std::pair<WPARAM, int> icons[] = {{ICON_BIG, SM_CXICON}, {ICON_SMALL, SM_CXSMICON}};
    for (const auto& icon : icons) {
        ICONINFO info = {};
        EXPECT_TRUE(GetIconInfo(
            reinterpret_cast<HICON>(SendMessageA(dialog.Window(), WM_GETICON, icon.first, 0)),
            &info));
        BITMAP mask = {};
        GetObjectA(info.hbmMask, sizeof mask, &mask);
        EXPECT_EQ(GetSystemMetrics(icon.second), mask.bmWidth);
        DeleteObject(info.hbmMask);
        DeleteObject(info.hbmColor);
    }
}

// The bar moves only while the flash runs (the update tests step it there); a progress tick
// posted by another program before a run, or a tick of another id, moves nothing.
TEST_F(UpdaterDlgTest, ProgressTicksOutsideTheFlashMoveNothing) {
    DialogRunner dialog(Options(false));
    dialog.Call([](TestUpdaterDlg& dlg) {
        HWND bar = GetDlgItem(dlg.GetSafeHwnd(), IDC_PROGRESS);
        SendMessageA(bar, PBM_SETPOS, 5, 0);
        for (WPARAM id : {TIMER_PROGRESS, UINT_PTR{3}})
            SendMessageA(dlg.GetSafeHwnd(), WM_TIMER, id, 0);
        EXPECT_EQ(5, SendMessageA(bar, PBM_GETPOS, 0, 0));
    });
}

TEST_F(UpdaterDlgTest, HeldLinkIsUsedButNeitherOpenedNorDeleted) {
    int destroyed = 0;
    auto* link = new CountingLink(&destroyed, 1);
    DialogRunner dialog(Options(false));
    dialog.Call([&](TestUpdaterDlg& dlg) {
        dlg.m_pLink = link;
        EXPECT_EQ(1, dlg.ReadFlashVersion());
        EXPECT_EQ(CMD_READ_FLASH_VERSION, link->lastCode);
        EXPECT_EQ(1, dlg.CheckDevice());
        EXPECT_EQ(0, link->opens);
        EXPECT_EQ(0, destroyed);
        EXPECT_EQ(link, dlg.m_pLink);
    });
    EXPECT_EQ("0214", dialog.ItemText(IDC_CURRENT_VERSION));
}

// Exit and the close box both end the dialog; either way a link it still holds is
// deleted, and COM, initialised once by the dialog, is released once (Options checks).
TEST_F(UpdaterDlgTest, ClosingDeletesAHeldLinkAndReleasesComOnce) {
    for (WPARAM closeCommand : {IDOK, IDCANCEL}) {
        SCOPED_TRACE(closeCommand == IDOK ? "Exit" : "close box");
        int destroyed = 0;
        DialogRunner dialog(Options(false));
        dialog.Call([&](TestUpdaterDlg& dlg) { dlg.m_pLink = new CountingLink(&destroyed, 1); });
        PostMessageA(dialog.Window(), WM_COMMAND, closeCommand, 0);
        ASSERT_TRUE(dialog.WaitForExit(kWaitMs));
        EXPECT_EQ(static_cast<INT_PTR>(closeCommand), dialog.Result());
        EXPECT_EQ(1, destroyed);
        EXPECT_EQ(nullptr, dialog.Dialog().m_pLink);
    }
}

TEST(IconPlacementTest, CentresTheIconWithTheOddPixelOnTheFarSide) {
    EXPECT_EQ(2, CentredIconOffset(36, 32));
    EXPECT_EQ(1, CentredIconOffset(33, 32));
    EXPECT_EQ(-15, CentredIconOffset(0, 32));
}

} // namespace
