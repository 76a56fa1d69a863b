#pragma once

// The ids match the updater's main dialog, so the same driver calls work on both.
#define IDD_TEST_WINDOW   200
#define IDC_TEST_LOG      1053
#define IDC_TEST_START    1013
#define IDC_TEST_BLOCK    1231
#define IDC_TEST_DISABLED 1232
#define IDC_TEST_PROGRESS 1230
#define IDC_TEST_GUARD    1240
