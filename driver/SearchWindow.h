// The search window of Search.dll as a driver sees it: its caption and its controls' IDs.
#pragma once

#include <vector>

#include "WindowDriver.h"

namespace windriver {

namespace search_ids {
enum : int {
    Tab = 1000, RadioCompany = 1001, RadioOnline = 1002, RadioNick = 1003, RadioAccount = 1004,
    EditNick = 1005, EditAccount = 1007, ListUser = 1008, Back = 1009, Find = 1010, Close = 1011,
    PrevPage = 1012, NextPage = 1013, Add = 1014, View = 1015, PageLabel = 1016, ListZone = 1018,
    EditZoneId = 1019, EditZoneName = 1020, ComboIndustry = 1024, RadioZoneById = 1025,
    RadioZoneByName = 1026, StaticIndustry = 1027, StaticCriteria = 1028, Separator = 1029,
    GroupExact = 1030, EditCompany = 1031,
};
}  // namespace search_ids

inline constexpr wchar_t kSearchWindowCaption[] = L"查询用户/商圈";
inline constexpr int kSearchWindowTemplate = 129;

// The labels of each form (the heading, the radio buttons, the industry label): each is drawn on
// the tab page it lies on.
inline const std::vector<int> kUserFormLabels = {search_ids::StaticCriteria, search_ids::RadioCompany,
                                                 search_ids::RadioNick, search_ids::RadioAccount};
inline const std::vector<int> kZoneFormLabels = {search_ids::StaticCriteria, search_ids::RadioZoneById,
                                                 search_ids::RadioZoneByName, search_ids::StaticIndustry};
// The pager under a result list, on the tab page too: its label and its buttons.
inline const std::vector<int> kPager = {search_ids::PageLabel, search_ids::View, search_ids::PrevPage,
                                        search_ids::NextPage};

// This thread's search window, or null.
inline HWND FindSearchWindow() { return FindThreadWindow(kSearchWindowCaption); }

}  // namespace windriver
