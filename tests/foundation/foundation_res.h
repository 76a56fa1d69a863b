#pragma once
#define IDD_CHAIN_TEST 200
#define IDC_CHAIN_TEXT 1001
