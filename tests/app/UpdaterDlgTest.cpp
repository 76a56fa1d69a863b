// The main dialog in a real filter graph with fake vendor filters: what it reads when it
// opens, the one-time device check and version gate, its timers and its closing.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <windows.h>
#include <uuids.h>

#include <cstdlib>
#include <string>
#include <utility>

#include "app/IconPlacement.h"
#include "app/resource.h"
#include "app/UpdaterIdentity.h"
#include "device/GraphDeviceLink.h"
#include "sim/ClassFactory.h"
#include "tests/support/CallerLine.h"
#include "tests/support/DialogRunner.h"
#include "tests/support/FakeFilters.h"
#include "tests/support/ShownTexts.h"
#include "tests/support/Timeouts.h"
#include "tests/support/WaitUntil.h"

namespace {

HRESULT RefuseToCreate(REFIID, void** ppv) {
    *ppv = nullptr;
    return E_OUTOFMEMORY;
}

// Each dialog's thread registers the fake filters; once it has gone, so have its filters.
class UpdaterDlgTest : public ::testing::Test {
protected:
    void TearDown() override { EXPECT_EQ(0, m_fakes.LiveFilters()); }

    FakeFilterScript& Source() { return m_fakes.Script(FilterRole::Source); }
    FakeFilterRecord& SourceRecord() { return m_fakes.Record(FilterRole::Source); }

    // A dialog over the fake filters. Once it has gone, COM is still initialised by its
    // thread: the dialog released only its own initialisation.
    DialogOptions Options(bool timedDeviceCheck = true) {
        DialogOptions options;
        options.timedDeviceCheck = timedDeviceCheck;
        options.beforeOpen = [this] {
            EXPECT_TRUE(SUCCEEDED(CoInitialize(nullptr)));
            EXPECT_TRUE(m_fakes.Register());
            if (m_breakGraphManager) {
                // The filter graph manager cannot be created in this apartment.
                auto* factory = new ClassFactory(RefuseToCreate);
                EXPECT_EQ(S_OK,
                          CoRegisterClassObject(CLSID_FilterGraph, factory, CLSCTX_INPROC_SERVER,
                                                REGCLS_MULTIPLEUSE, &m_graphCookie));
                factory->Release();
            }
        };
        options.afterClose = [this] {
            m_fakes.Revoke();
            if (m_graphCookie)
                CoRevokeClassObject(std::exchange(m_graphCookie, 0));
            EXPECT_EQ(S_FALSE, CoInitialize(nullptr));
            CoUninitialize();
            CoUninitialize();
        };
        return options;
    }

    // Before any device check: no version read, an empty log, only Exit usable, no link.
    static void ExpectUncheckedScreen(const DialogRunner& dialog, CallerLine = {}) {
        EXPECT_EQ("----", dialog.ItemText(IDC_CURRENT_VERSION));
        EXPECT_EQ("0214", dialog.ItemText(IDC_NEW_VERSION));
        EXPECT_EQ("", dialog.ItemText(IDC_STATUS));
        EXPECT_FALSE(dialog.IsItemEnabled(IDC_UPDATE));
        EXPECT_FALSE(dialog.IsItemEnabled(IDC_ABOUT));
        EXPECT_TRUE(dialog.IsItemEnabled(IDOK));
        dialog.Call([](TestUpdaterDlg& dlg) { EXPECT_EQ(nullptr, dlg.m_pLink); });
    }

    FakeVendorFilters m_fakes;
    bool m_breakGraphManager = false;
    DWORD m_graphCookie = 0;
};

struct CheckCase {
    const char* name;
    bool ready;
    DWORD flashWord;
    const char* shownVersion;
    std::string log;                              // the gate is open with "Ready."
    HRESULT FakeFilterScript::*failing = nullptr; // a Source status that is E_FAIL
};

class DeviceCheckTest : public UpdaterDlgTest, public testing::WithParamInterface<CheckCase> {};

TEST_P(DeviceCheckTest, ShowsTheVersionAndOpensTheGateOnlyForAnAcceptedOne) {
    const CheckCase& c = GetParam();
    Source().probeStatus[0] = c.ready ? S_OK : S_FALSE;
    Source().flashWord = c.flashWord;
    if (c.failing)
        Source().*c.failing = E_FAIL;

    DialogRunner dialog(Options(false));
    // The check's timer, due now.
    PostMessageA(dialog.Window(), WM_TIMER, TIMER_DEVICE_CHECK, 0);
    ASSERT_TRUE(dialog.WaitForStatus(c.log, kWaitMs)) << dialog.ItemText(IDC_STATUS);
    ASSERT_TRUE(dialog.Flush()); // the check has returned
    EXPECT_EQ(c.shownVersion, dialog.ItemText(IDC_CURRENT_VERSION));
    // A screen reader says each version with its label.
    EXPECT_EQ("Current version " + std::string(c.shownVersion),
              dialog.SpokenName(IDC_CURRENT_VERSION));
    EXPECT_EQ("New version 0214", dialog.SpokenName(IDC_NEW_VERSION));
    EXPECT_EQ(c.log == shown::kReady, dialog.IsItemEnabled(IDC_UPDATE));
    EXPECT_TRUE(dialog.IsItemEnabled(IDC_ABOUT));
    EXPECT_TRUE(dialog.IsItemEnabled(IDOK));
    // The flash is read only from a ready device, and only then is the wait announced.
    EXPECT_THAT(SourceRecord().calls, testing::Contains("ReadFlashWord").Times(c.ready ? 1 : 0));
    EXPECT_THAT(dialog.Recorded().status,
                testing::Contains(shown::kCheckingFlash).Times(c.ready ? 1 : 0));
}

INSTANTIATE_TEST_SUITE_P(
    Outcomes, DeviceCheckTest,
    testing::Values(CheckCase{"NotReady", false, 0x0211, "----", shown::kCheckNotReady},
                    // A failed read is not taken for a blank flash.
                    CheckCase{"FailedRead", true, 0x0211, "----", shown::kVersionError,
                              &FakeFilterScript::readFlashStatus},
                    // The version shown and the gate are the decisions' tables; these rows
                    // wire them to the screen.
                    CheckCase{"AcceptedVersion", true, 0xABCD0211, "0211", shown::kReady},
                    CheckCase{"OtherVersion", true, 0x0213, "0213", shown::kVersionError}),
    [](const testing::TestParamInfo<CheckCase>& info) { return info.param.name; });

// What the start-up link read is the About box's, end to end. A link the dialog still holds
// when it closes goes with it, and its filters with it (TearDown checks).
TEST_F(UpdaterDlgTest, OpensUncheckedAndDeletesALinkLeftAtClose) {
    DialogRunner dialog(Options(false));
    ASSERT_TRUE(
        WaitUntil([&] { return dialog.ThreadWindow(kMainWindowTitle) != nullptr; }, kWaitMs));
    ExpectUncheckedScreen(dialog);
    dialog.Call([&](TestUpdaterDlg& dlg) {
        dlg.m_pLink = new CGraphDeviceLink;
        EXPECT_EQ(1, dlg.m_pLink->Open(CONFIG_SOURCE_SPLITTER, 0));
    });
}

TEST_F(UpdaterDlgTest, NoGraphManagerShowsTheWarningFirstAndLeavesTheDialogInert) {
    m_breakGraphManager = true;
    DialogRunner dialog(Options());
    HWND warning = nullptr;
    ASSERT_TRUE(WaitUntil(
        [&] { return (warning = dialog.ThreadWindow(shown::kWarningTitle.c_str())) != nullptr; },
        kWaitMs));
    EXPECT_FALSE(IsWindowVisible(dialog.Window()));
    EXPECT_NE(nullptr,
              FindWindowExA(warning, nullptr, "Static", "USB Device not found or is not ready."));
    PostMessageA(warning, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(
        WaitUntil([&] { return dialog.ThreadWindow(kMainWindowTitle) != nullptr; }, kWaitMs));
    // The device check's timer was never set.
    dialog.Call([](TestUpdaterDlg& dlg) {
        EXPECT_FALSE(KillTimer(dlg.GetSafeHwnd(), TIMER_DEVICE_CHECK));
    });
    ExpectUncheckedScreen(dialog);
    EXPECT_EQ(0, SourceRecord().created);
}

// The check runs a second after the dialog opened and stops its timer; a device-check tick
// posted later finds the check done, and a progress tick outside a flash moves nothing.
TEST_F(UpdaterDlgTest, TheDeviceCheckRunsOnceASecondAfterOpening) {
    Source().flashWord = 0x0211;
    const DWORD opened = GetTickCount();
    DialogRunner dialog(Options());
    ASSERT_TRUE(dialog.WaitForStatus(shown::kReady, kWaitMs));
    EXPECT_GE(GetTickCount() - opened, 900u);
    dialog.Call([](TestUpdaterDlg& dlg) {
        EXPECT_FALSE(KillTimer(dlg.GetSafeHwnd(), TIMER_DEVICE_CHECK));
    });
    for (WPARAM id : {TIMER_DEVICE_CHECK, TIMER_PROGRESS, UINT_PTR{3}})
        PostMessageA(dialog.Window(), WM_TIMER, id, 0);
    ASSERT_TRUE(dialog.Flush());
    EXPECT_TRUE(dialog.IsItemEnabled(IDC_UPDATE));
    EXPECT_EQ(0, dialog.ProgressPos());
    EXPECT_THAT(SourceRecord().calls, testing::Contains("ReadFlashWord").Times(1));
}

// The bold Update font (15 pixels at 96 DPI) and the icons follow the system DPI; the suite
// runs this test once more at 144 DPI, which ZRC_TEST_DPI names.
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

TEST(IconPlacementTest, CentresTheIconWithTheOddPixelOnTheFarSide) {
    EXPECT_EQ(2, CentredIconOffset(36, 32));
    EXPECT_EQ(1, CentredIconOffset(33, 32));
    EXPECT_EQ(-15, CentredIconOffset(0, 32));
}

} // namespace
