// Every text the search window shows, in one place.
#pragma once

namespace search_text {
// Industry box
inline constexpr const wchar_t kAnyIndustry[] = L"----不限行业----";
inline constexpr const wchar_t kUnknownIndustry[] = L"未知";

// Tabs and list headings
inline constexpr const wchar_t kTabUsers[] = L"查找用户";
inline constexpr const wchar_t kTabZones[] = L"查找商圈";
inline constexpr const wchar_t kColAccount[] = L"账号";
inline constexpr const wchar_t kColNickname[] = L"昵称";
inline constexpr const wchar_t kColState[] = L"状态";
inline constexpr const wchar_t kColCompany[] = L"公司";
inline constexpr const wchar_t kColZoneId[] = L"ID";
inline constexpr const wchar_t kColZoneName[] = L"名字";
inline constexpr const wchar_t kColIndustry[] = L"行业";

// Buttons and the pager
inline constexpr const wchar_t kFind[] = L"查找";
inline constexpr const wchar_t kSearching[] = L"正在查找";
inline constexpr const wchar_t kNextPage[] = L"下一页";
inline constexpr const wchar_t kAddFriend[] = L"加为好友";
inline constexpr const wchar_t kJoinZone[] = L"加入商圈";
inline constexpr const wchar_t kNoRecords[] = L"没有记录";

// A row's context menu (besides Add's caption)
inline constexpr const wchar_t kViewInfo[] = L"查看资料";
inline constexpr const wchar_t kCopyAccount[] = L"复制账号";
inline constexpr const wchar_t kCopyZoneId[] = L"复制商圈ID";
inline constexpr const wchar_t kPageFormat[] = L"第%d页";

// Message boxes
inline constexpr const wchar_t kCaptionQueryError[] = L"查询错误";
inline constexpr const wchar_t kCaptionQueryFailed[] = L"查询失败";
inline constexpr const wchar_t kNeedNickname[] = L"请指定昵称";
inline constexpr const wchar_t kNeedAccount[] = L"请指定帐号";
inline constexpr const wchar_t kNeedCompany[] = L"请指定公司名称";
inline constexpr const wchar_t kNeedCriteria[] = L"请输入查询条件";
inline constexpr const wchar_t kSignInFirst[] = L"请先登录！";
inline constexpr const wchar_t kCannotConnect[] = L"查询失败，未能连接服务器！";
inline constexpr const wchar_t kServerTimeout[] = L"查询失败，服务器连接超时！";
inline constexpr const wchar_t kNothingFound[] = L"未找到匹配的记录！";
}  // namespace search_text
