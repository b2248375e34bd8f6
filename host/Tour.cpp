#include "Tour.h"

#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "ClientLook.h"
#include "MessageBoxWatcher.h"
#include "SearchWindow.h"
#include "WindowDriver.h"
#include "WindowLook.h"
#include "WindowPicture.h"

namespace {

namespace ctl = windriver::search_ids;
using windriver::Require;
using windriver::Result;
using windriver::Utf8;

constexpr int kPageSize = 10;

class Tour {
public:
    Tour(DemoClient& client, const DemoDirectory& directory, TourServices services,
         QZP::QZTransmit& transmit, const DemoOptions& options)
        : m_client(client), m_directory(directory), m_services(services), m_transmit(transmit),
          m_options(options), m_wait(10000 + 4 * options.latencyMs),
          m_search(&windriver::FindSearchWindow) {}

    int Run();

private:
    // Steps
    void UsersForm();
    void NickSearch();
    void NextPageFromCache();
    void RequeryPastCache();
    void AddFriend();
    void RowMenu();
    void ZoneSearch();
    void BadZoneId();
    void NotSignedIn();
    void QueryFailed();
    void ClientLog();

    // Step bookkeeping. A check that fails marks its step; an action that cannot be taken (a
    // control hidden or disabled, no query to answer) ends the step there and the tour with it,
    // since every later step starts from where this one should have left the window.
    using StepFn = void (Tour::*)();
    void RunStep(const char* name, const wchar_t* picture, StepFn step);
    void Check(bool ok, const std::string& what);
    void Check(const Result& result, const std::string& what);
    void CheckText(int id, const std::wstring& expected, const std::string& what);
    void CheckShown(int id, bool shown, const std::string& what);
    void CheckEnabled(int id, bool enabled, const std::string& what);
    void CheckFocus(int id, const std::string& what);
    void CheckBox(std::size_t boxesBefore, const std::wstring& text, const std::wstring& caption);
    void CheckPageLabelDrawn();
    void TakePicture();
    void EndStep(bool broken, const std::string& why);
    void Line(const std::string& line);
    std::wstring Picture(const std::wstring& suffix = L"") const;

    // The server's side: the oldest query the service holds is answered by the directory.
    void Answer();
    // Waits (bounded) for what the step is waiting for; a step that never sees it is broken.
    void WaitFor(const std::function<bool()>& done, const std::string& what);

    HWND Window() const { return m_search.Dialog(); }
    HWND Control(int id) const { return m_search.Control(id); }
    std::wstring Text(int id) const { return m_search.Text(id); }
    void CheckUserRows(const std::vector<const UserInfo*>& store, std::size_t first);
    std::vector<const UserInfo*> UserBatch(const std::vector<const UserInfo*>& matches, std::size_t round) const;

    DemoClient& m_client;
    const DemoDirectory& m_directory;
    TourServices m_services;
    QZP::QZTransmit& m_transmit;
    const DemoOptions& m_options;
    const DWORD m_wait;
    windriver::DialogDriver m_search;
    windriver::MessageBoxWatcher m_boxes;

    FILE* m_log = nullptr;
    int m_step = 0;
    std::string m_stepName;
    std::wstring m_pictureName;
    bool m_picture = true;
    std::vector<std::string> m_passed, m_failed;
    int m_failedSteps = 0;

    // Carried from step to step
    std::wstring m_nick;
    std::vector<const UserInfo*> m_userStore;
    std::uint64_t m_addedFriend = 0;
    std::wstring m_zoneName;
    int m_industryItem = 0;
    std::uint64_t m_joinedZone = 0;
};

void Tour::Line(const std::string& line) {
    std::fwrite(line.data(), 1, line.size(), m_log);
    std::fputc('\n', m_log);
    std::fflush(m_log);
    std::fwrite(line.data(), 1, line.size(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

std::wstring Tour::Picture(const std::wstring& suffix) const {
    return m_options.tourDir + L"\\" + m_pictureName + suffix + L".png";
}

void Tour::Check(bool ok, const std::string& what) { (ok ? m_passed : m_failed).push_back(what); }

void Tour::Check(const Result& result, const std::string& what) {
    Check(static_cast<bool>(result), what + (result ? "" : " (" + result.Why() + ")"));
}

void Tour::CheckText(int id, const std::wstring& expected, const std::string& what) {
    const std::wstring actual = Text(id);
    Check(actual == expected, what + " reads \"" + Utf8(expected) + "\"" +
                                  (actual == expected ? "" : " (it reads \"" + Utf8(actual) + "\")"));
}

void Tour::CheckShown(int id, bool shown, const std::string& what) {
    Check(m_search.Shown(id) == shown, what + (shown ? " shown" : " hidden"));
}

void Tour::CheckEnabled(int id, bool enabled, const std::string& what) {
    Check(Control(id) && m_search.Enabled(id) == enabled, what + (enabled ? " enabled" : " disabled"));
}

void Tour::CheckFocus(int id, const std::string& what) {
    const int focused = m_search.FocusedId();
    Check(focused == id, "keyboard focus in " + what +
                             (focused == id ? "" : " (it is on control " + std::to_string(focused) + ")"));
}

void Tour::CheckPageLabelDrawn() {
    ::RedrawWindow(Window(), nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    const int ink = windriver::InkPixelsOnScreen(Control(ctl::PageLabel));
    Check(ink > 20, "page label drawn on screen (" + std::to_string(ink) + " pixels of ink)");
}

void Tour::CheckBox(std::size_t boxesBefore, const std::wstring& text, const std::wstring& caption) {
    const auto& seen = m_boxes.Seen();
    Check(seen.size() == boxesBefore + 1, "a message box was shown");
    if (seen.size() != boxesBefore + 1) return;
    const windriver::SeenMessageBox& box = seen.back();
    Check(box.text == text, "box text \"" + Utf8(text) + "\"" +
          (box.text == text ? "" : " (it read \"" + Utf8(box.text) + "\")"));
    Check(box.caption == caption, "box caption \"" + Utf8(caption) + "\"" +
          (box.caption == caption ? "" : " (it read \"" + Utf8(box.caption) + "\")"));
    Check(box.owner == Window(), "box owned by the search window");
    const bool chinese = box.buttons == std::vector<std::wstring>{L"确定"};
    Check(chinese, "box button reads \"确定\"" +
          (chinese || box.buttons.empty() ? std::string() : " (it reads \"" + Utf8(box.buttons.front()) + "\")"));
}

void Tour::Answer() {
    QZP::SearchRequestPtr oldest;
    for (const QZP::SearchRequestPtr& request : m_services.held.Requests()) {
        if (!request->IsAnswered()) {
            oldest = request;
            break;
        }
    }
    Require(Result::Check(oldest != nullptr, "no query was sent for the server to answer"));
    m_services.directory.OnQuery(oldest);
}

void Tour::WaitFor(const std::function<bool()>& done, const std::string& what) {
    Require(Result::Check(windriver::PumpUntil(done, m_wait), what + " did not happen"));
}

void Tour::TakePicture() {
    const bool saved = windriver::SaveWindowPng(Window(), Picture());
    Check(saved, "picture " + Utf8(m_pictureName) + ".png");
}

void Tour::RunStep(const char* name, const wchar_t* picture, StepFn step) {
    ++m_step;
    m_stepName = name;
    wchar_t number[8];
    swprintf(number, 8, L"%02d-", m_step);
    m_pictureName = number + std::wstring(picture);
    m_picture = true;
    m_passed.clear();
    m_failed.clear();
    try {
        (this->*step)();
    } catch (const windriver::StepFailed& broken) {
        EndStep(true, broken.what());
        throw;
    }
    EndStep(false, std::string());
}

void Tour::EndStep(bool broken, const std::string& why) {
    if (!broken && m_picture) TakePicture();
    if (broken) m_failed.push_back("the step broke off: " + why);
    char head[64];
    std::snprintf(head, sizeof head, "%s %02d %s:", m_failed.empty() ? "PASS" : "FAIL", m_step,
                  m_stepName.c_str());
    std::string line = head;
    if (!m_failed.empty()) {
        ++m_failedSteps;
        line += " NOT SHOWN:";
        for (const auto& f : m_failed) line += " [" + f + "]";
        line += "; shown:";
    }
    for (std::size_t i = 0; i < m_passed.size(); ++i) line += (i ? "; " : " ") + m_passed[i];
    Line(line);
}

// Batch `round` of the directory's answer to a repeated query.
std::vector<const UserInfo*> Tour::UserBatch(const std::vector<const UserInfo*>& matches,
                                             std::size_t round) const {
    const std::size_t first = round * (m_options.batch - m_options.overlap);
    std::vector<const UserInfo*> batch;
    for (std::size_t i = first; i < matches.size() && i < first + m_options.batch; ++i)
        batch.push_back(matches[i]);
    return batch;
}

void Tour::CheckUserRows(const std::vector<const UserInfo*>& store, std::size_t first) {
    const std::size_t expected = std::min<std::size_t>(kPageSize, store.size() - first);
    const int rows = m_search.RowCount(ctl::ListUser);
    Check(rows == static_cast<int>(expected), std::to_string(expected) + " rows listed" +
          (rows == static_cast<int>(expected) ? "" : " (" + std::to_string(rows) + " are)"));
    int wrong = -1;
    for (int r = 0; r < rows && r < static_cast<int>(expected); ++r) {
        const UserInfo& user = *store[first + r];
        if (m_search.Cell(ctl::ListUser, r, 0) != user.account || m_search.Cell(ctl::ListUser, r, 1) != user.nickname ||
            m_search.Cell(ctl::ListUser, r, 2) != user.GetStateText() ||
            m_search.Cell(ctl::ListUser, r, 3) != user.company) {
            wrong = r;
            break;
        }
    }
    Check(wrong < 0, "rows are records " + std::to_string(first + 1) + " to " +
          std::to_string(first + expected) + " of the results (account, nickname, presence, company)" +
          (wrong < 0 ? "" : " (row " + std::to_string(wrong) + " reads \"" + Utf8(m_search.Cell(ctl::ListUser, wrong, 0)) +
                                "\" \"" + Utf8(m_search.Cell(ctl::ListUser, wrong, 1)) + "\")"));
}

void Tour::UsersForm() {
    Require(m_search.Click(m_client.Control(demo_ids::FindUsers), "the client's 查找用户 button"));
    WaitFor([&] { return ::IsWindowVisible(Window()) != FALSE; }, "the search window \"查询用户/商圈\" showing");
    Check(m_search.SelectedTab(ctl::Tab) == 0, "users tab in front");
    Check(m_search.TabText(ctl::Tab, 0) == L"查找用户" && m_search.TabText(ctl::Tab, 1) == L"查找商圈",
          "tabs 查找用户 and 查找商圈");
    Check(m_search.Checked(ctl::RadioCompany), "by-company radio checked");
    CheckEnabled(ctl::EditCompany, true, "company edit");
    CheckFocus(ctl::EditCompany, "the company edit");
    CheckEnabled(ctl::EditNick, false, "nickname edit");
    CheckEnabled(ctl::EditAccount, false, "account edit");
    CheckShown(ctl::Find, true, "Find");
    CheckEnabled(ctl::Find, true, "Find");
    CheckText(ctl::Find, L"查找", "Find");
    CheckShown(ctl::Back, false, "Back");
    CheckShown(ctl::ListUser, false, "user list");
    CheckShown(ctl::PageLabel, false, "page label");
    CheckText(ctl::Close, L"关闭", "Close");
    Check(windriver::ClientLookIs(Window(), !windriver::ClassicClient()),
          windriver::ClassicClient() ? "drawn classic, as the client is" : "drawn by the visual style, as the client is");
    Check(windriver::LabelsSitOnTheirBackground(Window(), windriver::kUserFormLabels), "labels drawn on the page");
}

void Tour::NickSearch() {
    m_nick = DemoDirectory::CommonNickFragment();
    const auto matches = m_directory.UsersByNick(m_nick);
    Check(matches.size() >= 2 * m_options.batch, std::to_string(matches.size()) + " users have \"" +
          Utf8(m_nick) + "\" in their nickname");
    Require(m_search.Click(ctl::RadioNick));
    CheckEnabled(ctl::EditNick, true, "nickname edit");
    CheckEnabled(ctl::EditCompany, false, "company edit");
    Require(m_search.Type(ctl::EditNick, m_nick));
    Require(m_search.Click(ctl::Find));
    CheckText(ctl::Find, L"正在查找", "Find while the query is out");
    CheckEnabled(ctl::Find, false, "Find while the query is out");
    CheckEnabled(ctl::Tab, false, "tab control while the query is out");
    Answer();
    WaitFor([&] { return m_search.Shown(ctl::ListUser) && m_search.RowCount(ctl::ListUser) > 0; },
            "the first page arriving");
    m_userStore = UserBatch(matches, 0);
    CheckUserRows(m_userStore, 0);
    CheckText(ctl::PageLabel, L"第1页", "page label");
    CheckPageLabelDrawn();
    CheckFocus(ctl::ListUser, "the user list");
    CheckEnabled(ctl::PrevPage, false, "上一页");
    CheckEnabled(ctl::NextPage, true, "下一页");
    CheckText(ctl::NextPage, L"下一页", "下一页");
    CheckEnabled(ctl::Add, false, "加为好友 with no row selected");
    CheckEnabled(ctl::View, false, "查看资料 with no row selected");
    CheckShown(ctl::Find, false, "Find");
    CheckEnabled(ctl::Back, true, "Back");
    CheckEnabled(ctl::Tab, true, "tab control");
    HWND list = Control(ctl::ListUser);
    Check(windriver::TextIsCrisp(Window(), list, windriver::ListCellRect(list, 0, 0)),
          "the account \"" + Utf8(m_search.Cell(ctl::ListUser, 0, 0)) + "\" drawn black and sharp");
    Check(windriver::LabelsSitOnTheirBackground(Window(), windriver::kPager), "the pager drawn on the page");
}

void Tour::NextPageFromCache() {
    Require(m_search.Click(ctl::NextPage));
    // Nothing was answered since the click: the page came from what was received.
    Check(m_services.held.PendingCount() == 0, "no query sent");
    CheckText(ctl::PageLabel, L"第2页", "page label right after the click");
    CheckUserRows(m_userStore, kPageSize);
    CheckText(ctl::NextPage, L"下一页", "下一页 (no query sent)");
    CheckEnabled(ctl::PrevPage, true, "上一页");
    CheckEnabled(ctl::NextPage, true, "下一页 (the server may have more)");
}

void Tour::RequeryPastCache() {
    const auto matches = m_directory.UsersByNick(m_nick);
    std::vector<const UserInfo*> store = m_userStore;
    std::size_t added = 0;
    for (const UserInfo* user : UserBatch(matches, 1)) {
        if (std::find(store.begin(), store.end(), user) == store.end()) {
            store.push_back(user);
            ++added;
        }
    }
    Require(m_search.Click(ctl::NextPage));
    CheckText(ctl::NextPage, L"正在查找", "下一页 while the query is out");
    CheckEnabled(ctl::NextPage, false, "下一页 while the query is out");
    Answer();
    const std::size_t rows = std::min<std::size_t>(kPageSize, store.size() - kPageSize);
    WaitFor([&] {
        return Text(ctl::NextPage) == L"下一页" && m_search.RowCount(ctl::ListUser) == static_cast<int>(rows);
    }, "the following batch arriving");
    m_passed.push_back("the following batch arrived (" + std::to_string(added) + " new of " +
                       std::to_string(m_options.batch) + ", " + std::to_string(m_options.overlap) + " repeated)");
    m_userStore = store;
    CheckText(ctl::PageLabel, L"第2页", "page label (the short page filled up)");
    CheckPageLabelDrawn();
    CheckUserRows(m_userStore, kPageSize);
    CheckEnabled(ctl::PrevPage, true, "上一页");
    CheckEnabled(ctl::NextPage, true, "下一页");
}

void Tour::AddFriend() {
    const std::size_t first = kPageSize;
    const int rows = m_search.RowCount(ctl::ListUser);
    int stranger = -1, own = -1;
    for (int r = 0; r < rows && first + r < m_userStore.size(); ++r) {
        const UserInfo& user = *m_userStore[first + r];
        if (user.id == m_transmit.GetSettings().selfId) own = r;
        else if (stranger < 0 && !m_client.IsFriend(user.id)) stranger = r;
    }
    Require(Result::Check(stranger >= 0, "no row of a stranger on the page"));
    const UserInfo& user = *m_userStore[first + stranger];
    Require(m_search.SelectRow(ctl::ListUser, stranger));
    CheckEnabled(ctl::Add, true, "加为好友 for " + Utf8(user.nickname));
    CheckEnabled(ctl::View, true, "查看资料");
    CheckText(ctl::Add, L"加为好友", "Add");
    Require(m_search.Click(ctl::Add));
    m_addedFriend = user.id;
    Check(m_client.IsFriend(user.id), Utf8(user.nickname) + " is now a friend of the client");
    const auto log = m_client.LogLines();
    Check(!log.empty() && log.back().find(L"加为好友：" + user.nickname) == 0,
          "log: \"" + Utf8(log.empty() ? std::wstring() : log.back()) + "\"");
    Require(m_search.Click(ctl::View));
    const auto log2 = m_client.LogLines();
    Check(!log2.empty() && log2.back().find(L"查看资料：" + user.nickname) == 0 &&
          log2.back().find(user.company) != std::wstring::npos,
          "log: \"" + Utf8(log2.empty() ? std::wstring() : log2.back()) + "\"");
    if (own >= 0) {
        Require(m_search.SelectRow(ctl::ListUser, own));
        CheckEnabled(ctl::Add, false, "加为好友 on the signed-in user's own row");
        CheckEnabled(ctl::View, true, "查看资料 on the own row");
    } else {
        // Away and back: selecting the row that is selected already changes nothing.
        Require(m_search.SelectRow(ctl::ListUser, stranger == 0 ? rows - 1 : 0));
    }
    Require(m_search.SelectRow(ctl::ListUser, stranger));
    CheckEnabled(ctl::Add, false, "加为好友 on " + Utf8(user.nickname) + " selected again");
    CheckEnabled(ctl::View, true, "查看资料 on the new friend");
}

// The context menu of a row, open over it: the row's actions and copying its account.
void Tour::RowMenu() {
    HWND list = m_search.Control(ctl::ListUser);
    const int row = 1;
    Require(Result::Check(m_search.RowCount(ctl::ListUser) > row, "no second row to open a menu on"));
    RECT rc = {};
    rc.left = LVIR_BOUNDS;
    ::SendMessageW(list, LVM_GETITEMRECT, row, reinterpret_cast<LPARAM>(&rc));
    POINT at = {rc.left + 30, (rc.top + rc.bottom) / 2};
    ::ClientToScreen(list, &at);
    std::vector<windriver::MenuItem> items;
    const bool opened = windriver::WithPopupMenu(
        [&] { ::SendMessageW(list, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(list), MAKELPARAM(at.x, at.y)); },
        [&](HWND menuWindow, HMENU menu) {
            items = windriver::MenuItems(menu);
            // Inside the menu's loop nothing has been painted yet since it opened.
            ::UpdateWindow(list);
            ::UpdateWindow(menuWindow);
            TakePicture();  // the window with the menu open over the row
            ::EndMenu();
        });
    m_picture = false;
    Require(Result::Check(opened, "a right-click on a row opened no menu"));
    m_search.Settle();
    Check(m_search.SelectedRow(ctl::ListUser) == row, "the right-click selected its row");
    const wchar_t* const expected[] = {L"加为好友", L"查看资料", L"", L"复制账号"};
    Check(items.size() == 4, "four items");
    for (std::size_t i = 0; i < items.size() && i < 4; ++i)
        Check(items[i].text == expected[i], "item " + std::to_string(i) + " \"" + Utf8(items[i].text) + "\"");
    if (items.size() == 4)
        Check(items[0].enabled == m_search.Enabled(ctl::Add), "加为好友 enabled as the button is");
}

void Tour::ZoneSearch() {
    Require(m_search.ClickTab(ctl::Tab, 1));
    Check(m_search.SelectedTab(ctl::Tab) == 1, "zones tab in front");
    Check(m_search.Checked(ctl::RadioZoneById), "by-ID radio checked");
    CheckEnabled(ctl::EditZoneId, true, "zone ID edit");
    CheckFocus(ctl::EditZoneId, "the zone ID edit");
    CheckEnabled(ctl::EditZoneName, false, "zone name edit");
    CheckEnabled(ctl::ComboIndustry, false, "industry box");
    CheckShown(ctl::ListUser, false, "user list");
    const auto& industries = m_directory.Industries();
    bool listed = m_search.ComboCount(ctl::ComboIndustry) == static_cast<int>(industries.size() + 1) &&
                  m_search.ComboItem(ctl::ComboIndustry, 0) == L"----不限行业----";
    for (std::size_t i = 0; listed && i < industries.size(); ++i)
        listed = m_search.ComboItem(ctl::ComboIndustry, static_cast<int>(i) + 1) == industries[i];
    Check(listed, "industry box lists ----不限行业---- and the client's " + std::to_string(industries.size()) + " industries");

    // The name fragment and industry with the most zones, so the page has something to show.
    std::map<std::pair<std::wstring, std::uint16_t>, std::size_t> counts;
    for (const ZoneInfo& zone : m_directory.Zones())
        for (std::size_t i = 0; i + 2 <= zone.name.size(); ++i)
            ++counts[{zone.name.substr(i, 2), zone.industry}];
    std::size_t best = 0;
    std::uint16_t industry = 0;
    for (const auto& entry : counts) {
        if (entry.second > best) {
            best = entry.second;
            m_zoneName = entry.first.first;
            industry = entry.first.second;
        }
    }
    m_industryItem = industry + 1;
    const auto matches = m_directory.ZonesByName(m_zoneName, industry);

    Require(m_search.Click(ctl::RadioZoneByName));
    CheckEnabled(ctl::EditZoneName, true, "zone name edit");
    CheckEnabled(ctl::ComboIndustry, true, "industry box");
    CheckEnabled(ctl::EditZoneId, false, "zone ID edit");
    Require(m_search.Type(ctl::EditZoneName, m_zoneName));
    Require(m_search.Choose(ctl::ComboIndustry, m_industryItem));
    Check(windriver::LabelsSitOnTheirBackground(Window(), windriver::kZoneFormLabels), "labels drawn on the page");
    Require(m_search.Click(ctl::Find));
    CheckText(ctl::Find, L"正在查找", "Find while the query is out");
    Answer();
    WaitFor([&] { return m_search.Shown(ctl::ListZone) && m_search.RowCount(ctl::ListZone) > 0; },
            "zones named \"" + Utf8(m_zoneName) + "\" in " + Utf8(industries[industry]) + " arriving");
    const std::size_t expected = std::min({matches.size(), m_options.batch, std::size_t{kPageSize}});
    const int rows = m_search.RowCount(ctl::ListZone);
    bool same = rows == static_cast<int>(expected);
    for (int r = 0; same && r < rows; ++r) {
        const ZoneInfo& zone = *matches[r];
        same = m_search.Cell(ctl::ListZone, r, 0) == std::to_wstring(zone.id) &&
               m_search.Cell(ctl::ListZone, r, 1) == zone.name && m_search.Cell(ctl::ListZone, r, 2) == industries[industry];
    }
    Check(same, std::to_string(expected) + " zones listed with ID, name and industry " + Utf8(industries[industry]) +
          (same ? "" : " (" + std::to_string(rows) + " rows, first \"" + Utf8(m_search.Cell(ctl::ListZone, 0, 1)) + "\")"));
    CheckText(ctl::PageLabel, L"第1页", "page label");
    CheckText(ctl::Add, L"加入商圈", "Add");
    CheckShown(ctl::ListUser, false, "user list");
    CheckFocus(ctl::ListZone, "the zone list");

    int row = -1;
    for (int r = 0; r < rows && r < static_cast<int>(matches.size()); ++r)
        if (!m_client.IsZoneMember(matches[r]->id)) { row = r; break; }
    Require(Result::Check(row >= 0, "no zone the client has not joined"));
    const ZoneInfo& zone = *matches[row];
    Require(m_search.SelectRow(ctl::ListZone, row));
    CheckEnabled(ctl::Add, true, "加入商圈 for " + Utf8(zone.name));
    Require(m_search.Click(ctl::Add));
    m_joinedZone = zone.id;
    Check(m_client.IsZoneMember(zone.id), "the client joined " + Utf8(zone.name));
    Require(m_search.Click(ctl::View));
    const auto log = m_client.LogLines();
    Check(log.size() >= 2 && log[log.size() - 2].find(L"加入商圈：" + zone.name) == 0 &&
          log.back().find(L"查看商圈资料：" + zone.name) == 0,
          "log: \"" + Utf8(log.size() >= 2 ? log[log.size() - 2] : L"") + "\", \"" +
          Utf8(log.empty() ? std::wstring() : log.back()) + "\"");
    // Selected again after another row, as a user clicks away and back: selecting the row that is
    // selected already changes nothing, so nothing is asked again.
    Require(m_search.SelectRow(ctl::ListZone, row == 0 ? rows - 1 : 0));
    Require(m_search.SelectRow(ctl::ListZone, row));
    CheckEnabled(ctl::Add, false, "加入商圈 on " + Utf8(zone.name) + " selected again");
}

void Tour::BadZoneId() {
    m_picture = false;  // the pictures are taken while the box is up
    Require(m_search.Click(ctl::Back));
    CheckShown(ctl::ListZone, false, "zone list after Back");
    CheckFocus(ctl::EditZoneName, "the zone name edit (searched by name)");
    Require(m_search.Click(ctl::RadioZoneById));
    Require(m_search.Type(ctl::EditZoneId, L"12a"));
    const std::size_t boxes = m_boxes.Seen().size();
    Require(m_search.Click(ctl::Find));  // returns once the box is closed
    CheckBox(boxes, L"请输入查询条件", L"查询错误");
    CheckEnabled(ctl::Find, true, "Find after the box");
    CheckText(ctl::Find, L"查找", "Find");
    CheckText(ctl::EditZoneId, L"12a", "zone ID edit (kept)");
    CheckShown(ctl::ListZone, false, "zone list");
}

void Tour::NotSignedIn() {
    m_picture = false;
    Require(m_search.Click(m_client.Control(demo_ids::SignInOut), "the client's 注销 button"));
    Check(!m_client.IsSignedIn(), "the client signed out");
    Check(windriver::WindowText(m_client.Control(demo_ids::SignInOut)) == L"登录", "the client's button reads 登录");
    Require(m_search.Click(ctl::RadioZoneByName));
    Require(m_search.Type(ctl::EditZoneName, m_zoneName));
    Require(m_search.Choose(ctl::ComboIndustry, m_industryItem));
    const std::size_t boxes = m_boxes.Seen().size();
    Require(m_search.Click(ctl::Find));
    CheckBox(boxes, L"请先登录！", L"查询失败");
    CheckEnabled(ctl::Find, true, "Find (nothing was sent)");
    CheckText(ctl::Find, L"查找", "Find");
    CheckEnabled(ctl::Tab, true, "tab control");
    Require(m_search.Click(m_client.Control(demo_ids::SignInOut), "the client's 登录 button"));
    Check(m_client.IsSignedIn(), "the client signed in again");
}

void Tour::QueryFailed() {
    m_picture = false;
    const QZP::TransportSettings saved = m_transmit.GetSettings();
    QZP::TransportSettings failing = saved;
    failing.failureRate = 1.0;
    m_transmit.SetSettings(failing);
    const std::size_t boxes = m_boxes.Seen().size();
    Require(m_search.Click(ctl::Find));
    CheckText(ctl::Find, L"正在查找", "Find while the query is out");
    Answer();
    WaitFor([&] { return m_boxes.Seen().size() > boxes; }, "a box saying the query failed");
    CheckBox(boxes, L"查询失败，服务器连接超时！", L"查询失败");
    WaitFor([&] { return Text(ctl::Find) == L"查找" && m_search.Enabled(ctl::Find); }, "Find coming back");
    CheckEnabled(ctl::Find, true, "Find after the failure");
    CheckText(ctl::Find, L"查找", "Find");
    CheckEnabled(ctl::Tab, true, "tab control");
    CheckShown(ctl::ListZone, false, "zone list");
    m_transmit.SetSettings(saved);
}

void Tour::ClientLog() {
    m_picture = false;
    Require(m_search.Click(ctl::Close));
    WaitFor([&] { return !::IsWindowVisible(Window()); }, "关闭 hiding the search window");
    const auto log = m_client.LogLines();
    auto has = [&](const std::wstring& start) {
        return std::any_of(log.begin(), log.end(), [&](const std::wstring& l) { return l.find(start) == 0; });
    };
    const UserInfo* friendUser = m_directory.FindUser(m_addedFriend);
    const ZoneInfo* zone = m_directory.FindZone(m_joinedZone);
    Check(friendUser && has(L"加为好友：" + friendUser->nickname), "log has the new friend");
    Check(friendUser && has(L"查看资料：" + friendUser->nickname), "log has the friend's profile");
    Check(zone && has(L"加入商圈：" + zone->name), "log has the joined zone");
    Check(zone && has(L"查看商圈资料：" + zone->name), "log has the zone's profile");
    Check(has(L"已注销") && has(L"已登录"), "log has signing out and in");
    const bool saved = windriver::SaveWindowPng(m_client.Window(), Picture());
    Check(saved, "picture " + Utf8(m_pictureName) + ".png");
}

// Makes the folder and the folders above it that are missing.
void MakeFolders(const std::wstring& path) {
    for (std::size_t i = 0; i <= path.size(); ++i) {
        if (i == path.size() || path[i] == L'\\' || path[i] == L'/') {
            const std::wstring part = path.substr(0, i);
            // "C:" and "" are drives and roots, not folders to make.
            if (!part.empty() && part.back() != L':') CreateDirectoryW(part.c_str(), nullptr);
        }
    }
}

int Tour::Run() {
    MakeFolders(m_options.tourDir);
    m_log = _wfopen((m_options.tourDir + L"\\tour.log").c_str(), L"wb");
    if (!m_log) {
        std::fprintf(stderr, "cannot write %s\\tour.log\n", Utf8(m_options.tourDir).c_str());
        return 2;
    }
    if (m_options.batch <= kPageSize || m_options.batch >= 2 * kPageSize) {
        Line("FAIL 00 Options: the tour pages through two pages of one batch and needs --batch from 11 to 19");
        std::fclose(m_log);
        return 2;
    }
    if (!m_boxes.Installed()) {
        Line("FAIL 00 Options: no hook for message boxes");
        std::fclose(m_log);
        return 2;
    }
    // Queries fail only where the tour asks them to.
    QZP::TransportSettings settings = m_transmit.GetSettings();
    settings.failureRate = 0.0;
    m_transmit.SetSettings(settings);
    // The window with a box over it, and the box, as each box shows.
    m_boxes.OnShown([this](HWND box) {
        Check(windriver::SaveWindowPng(Window(), Picture()), "picture of the window with its box " + Utf8(m_pictureName) + ".png");
        Check(windriver::SaveWindowPng(box, Picture(L"-box")), "picture of the box " + Utf8(m_pictureName) + "-box.png");
    });

    const struct {
        const char* name;
        const wchar_t* picture;
        StepFn step;
    } steps[] = {
        {"UsersForm", L"users-form", &Tour::UsersForm},
        {"NickSearch", L"nick-search", &Tour::NickSearch},
        {"NextPageFromCache", L"next-page-cache", &Tour::NextPageFromCache},
        {"RequeryPastCache", L"requery", &Tour::RequeryPastCache},
        {"AddFriend", L"add-friend", &Tour::AddFriend},
        {"RowMenu", L"row-menu", &Tour::RowMenu},
        {"ZoneSearch", L"zone-search", &Tour::ZoneSearch},
        {"BadZoneId", L"bad-zone-id", &Tour::BadZoneId},
        {"NotSignedIn", L"not-signed-in", &Tour::NotSignedIn},
        {"QueryFailed", L"query-failed", &Tour::QueryFailed},
        {"ClientLog", L"client", &Tour::ClientLog},
    };
    std::size_t done = 0;
    try {
        for (; done < std::size(steps); ++done) RunStep(steps[done].name, steps[done].picture, steps[done].step);
    } catch (const windriver::StepFailed&) {
        // Every later step would start from a window this one did not leave as it should.
        for (++done; done < std::size(steps); ++done) {
            ++m_step;
            ++m_failedSteps;
            char line[128];
            std::snprintf(line, sizeof line, "FAIL %02d %s: not run, an earlier step broke off", m_step,
                          steps[done].name);
            Line(line);
        }
    }

    char summary[96];
    std::snprintf(summary, sizeof summary, "%d of %d steps showed what they should", m_step - m_failedSteps, m_step);
    Line(summary);
    std::fclose(m_log);
    return m_failedSteps == 0 ? 0 : 1;
}

}  // namespace

int RunTour(DemoClient& client, const DemoDirectory& directory, TourServices services,
            QZP::QZTransmit& transmit, const DemoOptions& options) {
    Tour tour(client, directory, services, transmit, options);
    return tour.Run();
}
