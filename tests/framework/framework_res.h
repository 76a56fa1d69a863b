#pragma once
#define IDD_FRAMEWORK_TEST 300
#define IDC_TEST_EDIT      1001
#define IDC_TEST_START     1002
#define IDC_TEST_PROGRESS  1003
