#pragma once
// The log, Block and the progress bar carry the ids of the updater's status log, About and
// progress bar, so that the same driver calls work on both.
#include "app/resource.h"

#define IDD_TEST_WINDOW   200
#define IDC_TEST_LOG      IDC_STATUS
#define IDC_TEST_BLOCK    IDC_ABOUT
#define IDC_TEST_DISABLED 1232
#define IDC_TEST_PROGRESS IDC_PROGRESS
