// Resource and control IDs of Search.dll. Included by Search.rc and by the C++ sources, so it
// holds plain #defines only.
#ifndef SEARCH_DIALOG_RESOURCE_H
#define SEARCH_DIALOG_RESOURCE_H

// Resources
#define IDI_SEARCH              128
#define IDD_SEARCH_DIALOG       129
#define IDD_SEARCHING_DIALOG    130
#define IDB_SEPARATOR           131

// Controls of IDD_SEARCH_DIALOG
#define IDC_TAB                 1000
#define IDC_RADIO_COMPANY       1001
#define IDC_RADIO_ONLINE        1002
#define IDC_RADIO_NICK          1003
#define IDC_RADIO_ACCOUNT       1004
#define IDC_EDIT_NICK           1005
#define IDC_EDIT_ACCOUNT        1007
#define IDC_LIST_USER           1008
#define IDC_BTN_BACK            1009
#define IDC_BTN_FIND            1010
#define IDC_BTN_CLOSE           1011
#define IDC_BTN_PREV_PAGE       1012
#define IDC_BTN_NEXT_PAGE       1013
#define IDC_BTN_ADD             1014
#define IDC_BTN_VIEW            1015
#define IDC_STATIC_PAGE         1016
#define IDC_LIST_ZONE           1018
#define IDC_EDIT_ZONE_ID        1019
#define IDC_EDIT_ZONE_NAME      1020
#define IDC_COMBO_INDUSTRY      1024
#define IDC_RADIO_ZONE_BY_ID    1025
#define IDC_RADIO_ZONE_BY_NAME  1026
#define IDC_STATIC_INDUSTRY     1027
#define IDC_STATIC_CRITERIA     1028
#define IDC_SEPARATOR           1029
#define IDC_GROUP_EXACT         1030
#define IDC_EDIT_COMPANY        1031

// Commands of a result row's context menu beyond Add and View, which reuse their buttons' IDs
#define ID_ROW_COPY             32771

#endif
