// A dialog is created from a resource template on the test display, and its controls
// read back the template's texts.
#include <gtest/gtest.h>

#include <windows.h>

#include "foundation_res.h"

namespace {

INT_PTR CALLBACK PassiveDialogProc(HWND, UINT message, WPARAM, LPARAM) {
    return message == WM_INITDIALOG;
}

TEST(DialogTemplateTest, ControlTextComesFromTheTemplate) {
    HWND dialog = CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_CHAIN_TEST),
                                     nullptr, PassiveDialogProc, 0);
    ASSERT_NE(nullptr, dialog) << "no window: is there a display?";

    char text[64] = {};
    GetDlgItemTextA(dialog, IDC_CHAIN_TEXT, text, sizeof text);
    EXPECT_STREQ("Text from the template", text);
    GetWindowTextA(dialog, text, sizeof text);
    EXPECT_STREQ("Chain Test", text);

    EXPECT_TRUE(DestroyWindow(dialog));
}

} // namespace
