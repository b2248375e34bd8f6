// Every text the search window shows, in one place. The resource script includes this header too:
// the captions of its templates are the SEARCH_TEXT_ macros below, plain UTF-8 literals that the
// script reads under its UTF-8 code page and the code reads as wide strings (L"" joined to a plain
// literal makes the whole literal wide). Everything else is for the code only.
#ifndef SEARCH_SESSION_STRINGS_H
#define SEARCH_SESSION_STRINGS_H

// The search window's template
#define SEARCH_TEXT_WINDOW "查询用户/商圈"
#define SEARCH_TEXT_BY_COMPANY "按公司查询"
#define SEARCH_TEXT_ONLINE "查询在线用户"
#define SEARCH_TEXT_BY_NICK "按用户昵称查询"
#define SEARCH_TEXT_BY_ACCOUNT "按用户账号查询"
#define SEARCH_TEXT_ZONE_BY_ID "按ID查找商圈"
#define SEARCH_TEXT_ZONE_BY_NAME "按名称查找商圈"
#define SEARCH_TEXT_BY_INDUSTRY "按行业查找商圈"
#define SEARCH_TEXT_CRITERIA "查询条件"
#define SEARCH_TEXT_EXACT "精确查找"
#define SEARCH_TEXT_BACK "上一步"
#define SEARCH_TEXT_FIND "查找"
#define SEARCH_TEXT_CLOSE "关闭"
#define SEARCH_TEXT_PREV_PAGE "上一页"
#define SEARCH_TEXT_NEXT_PAGE "下一页"
#define SEARCH_TEXT_ADD_FRIEND "加为好友"
#define SEARCH_TEXT_VIEW_INFO "查看资料"
// The page label's caption until the first view is drawn.
#define SEARCH_TEXT_PAGE_PLACEHOLDER "静态"

// The waiting dialog's template
#define SEARCH_TEXT_PLEASE_WAIT "请稍候..."
#define SEARCH_TEXT_SEARCHING_FOR_YOU "正在为您查找..."

#ifndef RC_INVOKED
namespace search_text {
// The radio buttons of the forms, which also name their edits for screen readers, and the
// industry box's label, which names the box
inline constexpr const wchar_t kByCompany[] = L"" SEARCH_TEXT_BY_COMPANY;
inline constexpr const wchar_t kOnline[] = L"" SEARCH_TEXT_ONLINE;
inline constexpr const wchar_t kByNick[] = L"" SEARCH_TEXT_BY_NICK;
inline constexpr const wchar_t kByAccount[] = L"" SEARCH_TEXT_BY_ACCOUNT;
inline constexpr const wchar_t kZoneById[] = L"" SEARCH_TEXT_ZONE_BY_ID;
inline constexpr const wchar_t kZoneByName[] = L"" SEARCH_TEXT_ZONE_BY_NAME;
inline constexpr const wchar_t kByIndustry[] = L"" SEARCH_TEXT_BY_INDUSTRY;

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
inline constexpr const wchar_t kFind[] = L"" SEARCH_TEXT_FIND;
inline constexpr const wchar_t kSearching[] = L"正在查找";
inline constexpr const wchar_t kNextPage[] = L"" SEARCH_TEXT_NEXT_PAGE;
inline constexpr const wchar_t kAddFriend[] = L"" SEARCH_TEXT_ADD_FRIEND;
inline constexpr const wchar_t kJoinZone[] = L"加入商圈";
inline constexpr const wchar_t kNoRecords[] = L"没有记录";

// A row's context menu (besides Add's caption)
inline constexpr const wchar_t kViewInfo[] = L"" SEARCH_TEXT_VIEW_INFO;
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
#endif

#endif
