// The test dialog: one control of each skinned kind.
#pragma once

#define IDD_SKIN_TEST 300
#define IDC_TEST_TAB 1000
#define IDC_TEST_LIST 1001
#define IDC_TEST_RADIO1 1002
#define IDC_TEST_RADIO2 1003
#define IDC_TEST_RADIO3 1004
#define IDC_TEST_EDIT 1005
#define IDC_TEST_BUTTON 1006
#define IDC_TEST_STATIC 1007
#define IDC_TEST_COMBO 1008
#define IDC_TEST_GROUP 1009

// A tab control with labels and an edit on its page.
#define IDD_SKIN_TAB_PAGE 301
#define IDC_PAGE_TAB 1100
#define IDC_PAGE_STATIC 1101
#define IDC_PAGE_RADIO 1102
#define IDC_PAGE_EDIT 1103
#define IDC_OFF_PAGE_STATIC 1104
