#include "Tour.h"

#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "WindowPicture.h"
#include "WindowText.h"

namespace {

// Controls of the search window, by the IDs its template gives them.
namespace ctl {
enum : int {
    Tab = 1000, RadioCompany = 1001, RadioNick = 1003, RadioAccount = 1004, EditNick = 1005,
    EditAccount = 1007, ListUser = 1008, Back = 1009, Find = 1010, Close = 1011, PrevPage = 1012,
    NextPage = 1013, Add = 1014, View = 1015, PageLabel = 1016, ListZone = 1018, EditZoneId = 1019,
    EditZoneName = 1020, ComboIndustry = 1024, RadioZoneById = 1025, RadioZoneByName = 1026,
    EditCompany = 1031,
};
}

const wchar_t kSearchCaption[] = L"查询用户/商圈";
constexpr int kPageSize = 10;

std::string Utf8(const std::wstring& text) {
    if (text.empty()) return std::string();
    const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                         nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &out[0], size,
                        nullptr, nullptr);
    return out;
}

std::wstring Text(HWND hWnd) { return WindowText(hWnd); }

bool Shown(HWND hWnd) { return hWnd && IsWindowVisible(hWnd); }
bool Usable(HWND hWnd) { return Shown(hWnd) && IsWindowEnabled(hWnd); }

void DispatchPending() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

// Runs this thread's messages until done() holds or the time is up. Waits on the queue, so a
// result posted from the transport's thread wakes it at once.
bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs) {
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    for (;;) {
        DispatchPending();
        if (done()) return true;
        const ULONGLONG now = GetTickCount64();
        if (now >= deadline) return done();
        const DWORD wait = static_cast<DWORD>(std::min<ULONGLONG>(deadline - now, 10));
        MsgWaitForMultipleObjectsEx(0, nullptr, wait, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    }
}

BOOL CALLBACK FindByCaption(HWND hWnd, LPARAM param) {
    if (Text(hWnd) == kSearchCaption) {
        *reinterpret_cast<HWND*>(param) = hWnd;
        return FALSE;
    }
    return TRUE;
}

std::wstring StateText(std::int32_t state) {
    switch (state) {
    case 2: return L"离开";
    case 3: return L"忙碌";
    case 4: return L"在线";
    default: return L"离线";
    }
}

BOOL CALLBACK FindBoxText(HWND child, LPARAM param) {
    wchar_t name[16] = {};
    GetClassNameW(child, name, 16);
    if (_wcsicmp(name, L"Static") != 0) return TRUE;
    const LONG_PTR kind = GetWindowLongPtrW(child, GWL_STYLE) & SS_TYPEMASK;
    if (kind == SS_ICON || kind == SS_BITMAP) return TRUE;
    std::wstring text = Text(child);
    if (text.empty()) return TRUE;
    *reinterpret_cast<std::wstring*>(param) = std::move(text);
    return FALSE;
}

// Photographs the next message box this thread shows and then closes it. A box is modal: the
// call that shows it returns only once it is closed, so everything happens from inside the box's
// own loop, on a thread timer that fires after the box has been activated and painted.
class BoxCamera {
public:
    BoxCamera() {
        s_active = this;
        m_hook = SetWindowsHookExW(WH_CBT, &BoxCamera::CbtProc, nullptr, GetCurrentThreadId());
    }
    ~BoxCamera() {
        if (m_hook) UnhookWindowsHookEx(m_hook);
        s_active = nullptr;
    }
    BoxCamera(const BoxCamera&) = delete;
    BoxCamera& operator=(const BoxCamera&) = delete;

    bool Installed() const { return m_hook != nullptr; }

    // The next box is photographed to boxPng, and the window behind it (with the box over it) to
    // windowPng.
    void Arm(HWND window, const std::wstring& windowPng, const std::wstring& boxPng) {
        m_window = window;
        m_windowPng = windowPng;
        m_boxPng = boxPng;
        m_armed = true;
        m_box = nullptr;
        m_created.clear();
        m_done = false;
        m_text.clear();
        m_caption.clear();
        m_owner = nullptr;
        m_windowSaved = m_boxSaved = false;
    }

    bool Done() const { return m_done; }
    const std::wstring& BoxText() const { return m_text; }
    const std::wstring& Caption() const { return m_caption; }
    HWND Owner() const { return m_owner; }
    bool WindowSaved() const { return m_windowSaved; }
    bool BoxSaved() const { return m_boxSaved; }

private:
    static LRESULT CALLBACK CbtProc(int code, WPARAM wParam, LPARAM lParam) {
        BoxCamera* self = s_active;
        if (self && self->m_armed) {
            HWND hWnd = reinterpret_cast<HWND>(wParam);
            // Only a window made after arming: the search window itself is activated again when
            // the box goes.
            if (code == HCBT_CREATEWND) {
                auto* create = reinterpret_cast<CBT_CREATEWNDW*>(lParam);
                if (!(create->lpcs->style & WS_CHILD)) self->m_created.insert(hWnd);
            } else if (code == HCBT_ACTIVATE && !self->m_box && self->m_created.count(hWnd)) {
                self->m_box = hWnd;
                SetTimer(nullptr, 0, 150, &BoxCamera::OnTimer);
            }
        }
        return CallNextHookEx(nullptr, code, wParam, lParam);
    }

    static void CALLBACK OnTimer(HWND, UINT, UINT_PTR id, DWORD) {
        KillTimer(nullptr, id);
        BoxCamera* self = s_active;
        if (!self || !self->m_box || !IsWindow(self->m_box)) return;
        HWND box = self->m_box;
        self->m_caption = Text(box);
        self->m_owner = GetWindow(box, GW_OWNER);
        // 0xFFFF is the message text's ID in the system's box; look for the text otherwise.
        if (HWND text = GetDlgItem(box, 0xFFFF)) {
            self->m_text = Text(text);
        } else {
            EnumChildWindows(box, &FindBoxText, reinterpret_cast<LPARAM>(&self->m_text));
        }
        self->m_windowSaved = SaveWindowPng(self->m_window, self->m_windowPng);
        self->m_boxSaved = SaveWindowPng(box, self->m_boxPng);
        self->m_armed = false;
        self->m_done = true;
        // Posted, as the OK button's click: the box's loop takes it and the box returns IDOK.
        PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    }

    static BoxCamera* s_active;
    HHOOK m_hook = nullptr;
    bool m_armed = false;
    bool m_done = false;
    HWND m_window = nullptr;
    HWND m_box = nullptr;
    std::set<HWND> m_created;
    std::wstring m_windowPng, m_boxPng;
    std::wstring m_text, m_caption;
    HWND m_owner = nullptr;
    bool m_windowSaved = false, m_boxSaved = false;
};

BoxCamera* BoxCamera::s_active = nullptr;

class Tour {
public:
    Tour(DemoClient& client, const DemoDirectory& directory, QZP::QZTransmit& transmit,
         const DemoOptions& options)
        : m_client(client), m_directory(directory), m_transmit(transmit), m_options(options),
          m_wait(5000 + 4 * options.latencyMs) {}

    int Run();

private:
    // Steps
    void UsersForm();
    void NickSearch();
    void NextPageFromCache();
    void RequeryPastCache();
    void AddFriend();
    void ZoneSearch();
    void BadZoneId();
    void NotSignedIn();
    void QueryFailed();
    void ClientLog();

    // Step bookkeeping
    void Begin(const char* name, const wchar_t* picture);
    void Check(bool ok, const std::string& what);
    void CheckText(int id, const std::wstring& expected, const std::string& what);
    void CheckShown(int id, bool shown, const std::string& what);
    void CheckEnabled(int id, bool enabled, const std::string& what);
    void CheckBox(const std::wstring& text, const std::wstring& caption);
    void CheckPageLabelDrawn();
    void End(bool picture = true);
    void Line(const std::string& line);
    std::wstring Picture(const std::wstring& suffix = L"") const;

    // The search window, as a user works it
    HWND Window() const;
    HWND Control(int id) const { return GetDlgItem(Window(), id); }
    bool Click(HWND button, const std::string& what);
    bool Click(int id) { return Click(Control(id), "control " + std::to_string(id)); }
    bool Type(int id, const std::wstring& text);
    bool Choose(int id, int item);
    bool SelectRow(int listId, int row);
    bool ClickTab(int index);
    bool Checked(int id) const { return SendMessageW(Control(id), BM_GETCHECK, 0, 0) == BST_CHECKED; }
    int Rows(int listId) const { return static_cast<int>(SendMessageW(Control(listId), LVM_GETITEMCOUNT, 0, 0)); }
    std::wstring Cell(int listId, int row, int column) const;
    bool Busy() const { return m_options.latencyMs >= 50; }
    void CheckUserRows(const std::vector<const UserInfo*>& store, std::size_t first);

    std::vector<const UserInfo*> UserBatch(const std::vector<const UserInfo*>& matches, std::size_t round) const;

    DemoClient& m_client;
    const DemoDirectory& m_directory;
    QZP::QZTransmit& m_transmit;
    const DemoOptions& m_options;
    const DWORD m_wait;
    BoxCamera m_camera;

    FILE* m_log = nullptr;
    int m_step = 0;
    std::string m_stepName;
    std::wstring m_pictureName;
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

HWND Tour::Window() const {
    HWND found = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), &FindByCaption, reinterpret_cast<LPARAM>(&found));
    return found;
}

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

void Tour::Begin(const char* name, const wchar_t* picture) {
    ++m_step;
    m_stepName = name;
    wchar_t number[8];
    swprintf(number, 8, L"%02d-", m_step);
    m_pictureName = number + std::wstring(picture);
    m_passed.clear();
    m_failed.clear();
}

void Tour::Check(bool ok, const std::string& what) { (ok ? m_passed : m_failed).push_back(what); }

void Tour::CheckText(int id, const std::wstring& expected, const std::string& what) {
    const std::wstring actual = Text(Control(id));
    Check(actual == expected, what + " reads \"" + Utf8(expected) + "\"" +
                                  (actual == expected ? "" : " (it reads \"" + Utf8(actual) + "\")"));
}

void Tour::CheckShown(int id, bool shown, const std::string& what) {
    Check(Shown(Control(id)) == shown, what + (shown ? " shown" : " hidden"));
}

void Tour::CheckEnabled(int id, bool enabled, const std::string& what) {
    Check(Control(id) && (IsWindowEnabled(Control(id)) != FALSE) == enabled,
          what + (enabled ? " enabled" : " disabled"));
}

void Tour::CheckPageLabelDrawn() {
    RedrawWindow(Window(), nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    const int ink = InkPixelsOnScreen(Control(ctl::PageLabel));
    Check(ink > 20, "page label drawn on screen (" + std::to_string(ink) + " pixels of ink)");
}

void Tour::CheckBox(const std::wstring& text, const std::wstring& caption) {
    Check(m_camera.Done(), "a message box was shown");
    if (!m_camera.Done()) return;
    Check(m_camera.BoxText() == text, "box text \"" + Utf8(text) + "\"" +
          (m_camera.BoxText() == text ? "" : " (it read \"" + Utf8(m_camera.BoxText()) + "\")"));
    Check(m_camera.Caption() == caption, "box caption \"" + Utf8(caption) + "\"" +
          (m_camera.Caption() == caption ? "" : " (it read \"" + Utf8(m_camera.Caption()) + "\")"));
    Check(m_camera.Owner() == Window(), "box owned by the search window");
    Check(m_camera.WindowSaved(), "picture of the window with its box " + Utf8(m_pictureName) + ".png");
    Check(m_camera.BoxSaved(), "picture of the box " + Utf8(m_pictureName) + "-box.png");
}

void Tour::End(bool picture) {
    if (picture) {
        const bool saved = SaveWindowPng(Window(), Picture());
        Check(saved, "picture " + Utf8(m_pictureName) + ".png");
    }
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

bool Tour::Click(HWND button, const std::string& what) {
    // BM_CLICK works on hidden and disabled buttons too; a user could not press those.
    if (!Usable(button)) {
        Check(false, what + " could be clicked (it is hidden or disabled)");
        return false;
    }
    SendMessageW(button, BM_CLICK, 0, 0);
    DispatchPending();
    return true;
}

bool Tour::Type(int id, const std::wstring& text) {
    HWND edit = Control(id);
    if (!Usable(edit)) {
        Check(false, "edit " + std::to_string(id) + " could take text (it is hidden or disabled)");
        return false;
    }
    SendMessageW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
    DispatchPending();
    return true;
}

bool Tour::Choose(int id, int item) {
    HWND box = Control(id);
    if (!Usable(box)) {
        Check(false, "combo box " + std::to_string(id) + " could be used");
        return false;
    }
    const bool ok = SendMessageW(box, CB_SETCURSEL, static_cast<WPARAM>(item), 0) == item;
    DispatchPending();
    return ok;
}

bool Tour::SelectRow(int listId, int row) {
    HWND list = Control(listId);
    if (!Usable(list) || row >= Rows(listId)) {
        Check(false, "row " + std::to_string(row) + " of list " + std::to_string(listId) + " could be selected");
        return false;
    }
    // A click on a row gives the list the focus, which is also what shows the selection.
    SetFocus(list);
    LVITEMW item = {};
    item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    item.state = 0;
    SendMessageW(list, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&item));
    item.state = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageW(list, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
    DispatchPending();
    return true;
}

bool Tour::ClickTab(int index) {
    HWND tab = Control(ctl::Tab);
    RECT rc = {};
    if (!Usable(tab) || !SendMessageW(tab, TCM_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&rc))) {
        Check(false, "tab item " + std::to_string(index) + " could be clicked");
        return false;
    }
    // Mouse messages at the item's centre: the tab control then notifies its parent itself.
    const LPARAM at = MAKELPARAM((rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2);
    SendMessageW(tab, WM_LBUTTONDOWN, MK_LBUTTON, at);
    SendMessageW(tab, WM_LBUTTONUP, 0, at);
    DispatchPending();
    return true;
}

std::wstring Tour::Cell(int listId, int row, int column) const {
    wchar_t buffer[256] = {};
    LVITEMW item = {};
    item.iSubItem = column;
    item.pszText = buffer;
    item.cchTextMax = 256;
    SendMessageW(Control(listId), LVM_GETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
    return buffer;
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
    const int rows = Rows(ctl::ListUser);
    Check(rows == static_cast<int>(expected), std::to_string(expected) + " rows listed" +
          (rows == static_cast<int>(expected) ? "" : " (" + std::to_string(rows) + " are)"));
    int wrong = -1;
    for (int r = 0; r < rows && r < static_cast<int>(expected); ++r) {
        const UserInfo& user = *store[first + r];
        if (Cell(ctl::ListUser, r, 0) != user.account || Cell(ctl::ListUser, r, 1) != user.nickname ||
            Cell(ctl::ListUser, r, 2) != StateText(user.state) || Cell(ctl::ListUser, r, 3) != user.company) {
            wrong = r;
            break;
        }
    }
    Check(wrong < 0, "rows are records " + std::to_string(first + 1) + " to " +
          std::to_string(first + expected) + " of the results (account, nickname, presence, company)" +
          (wrong < 0 ? "" : " (row " + std::to_string(wrong) + " reads \"" + Utf8(Cell(ctl::ListUser, wrong, 0)) +
                                "\" \"" + Utf8(Cell(ctl::ListUser, wrong, 1)) + "\")"));
}

void Tour::UsersForm() {
    Begin("UsersForm", L"users-form");
    Click(m_client.Control(demo_ids::FindUsers), "the client's 查找用户 button");
    Check(PumpUntil([&] { return Shown(Window()); }, m_wait), "search window \"查询用户/商圈\" shown");
    HWND tab = Control(ctl::Tab);
    Check(SendMessageW(tab, TCM_GETCURSEL, 0, 0) == 0, "users tab in front");
    wchar_t label[32] = {};
    TCITEMW item = {};
    item.mask = TCIF_TEXT;
    item.pszText = label;
    item.cchTextMax = 32;
    SendMessageW(tab, TCM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item));
    const std::wstring first = label;
    SendMessageW(tab, TCM_GETITEMW, 1, reinterpret_cast<LPARAM>(&item));
    Check(first == L"查找用户" && std::wstring(label) == L"查找商圈", "tabs 查找用户 and 查找商圈");
    Check(Checked(ctl::RadioCompany), "by-company radio checked");
    CheckEnabled(ctl::EditCompany, true, "company edit");
    CheckEnabled(ctl::EditNick, false, "nickname edit");
    CheckEnabled(ctl::EditAccount, false, "account edit");
    CheckShown(ctl::Find, true, "Find");
    CheckEnabled(ctl::Find, true, "Find");
    CheckText(ctl::Find, L"查找", "Find");
    CheckShown(ctl::Back, false, "Back");
    CheckShown(ctl::ListUser, false, "user list");
    CheckShown(ctl::PageLabel, false, "page label");
    CheckText(ctl::Close, L"关闭", "Close");
    End();
}

void Tour::NickSearch() {
    Begin("NickSearch", L"nick-search");
    m_nick = DemoDirectory::CommonNickFragment();
    const auto matches = m_directory.UsersByNick(m_nick);
    Check(matches.size() >= 2 * m_options.batch, std::to_string(matches.size()) + " users have \"" +
          Utf8(m_nick) + "\" in their nickname");
    Click(ctl::RadioNick);
    CheckEnabled(ctl::EditNick, true, "nickname edit");
    CheckEnabled(ctl::EditCompany, false, "company edit");
    Type(ctl::EditNick, m_nick);
    Click(ctl::Find);
    if (Busy()) {
        CheckText(ctl::Find, L"正在查找", "Find while the query is out");
        CheckEnabled(ctl::Find, false, "Find while the query is out");
        CheckEnabled(ctl::Tab, false, "tab control while the query is out");
    }
    const bool arrived = PumpUntil([&] {
        return Shown(Control(ctl::ListUser)) && Rows(ctl::ListUser) > 0 && Text(Control(ctl::NextPage)) == L"下一页";
    }, m_wait);
    Check(arrived, "first page arrived");
    m_userStore = UserBatch(matches, 0);
    CheckUserRows(m_userStore, 0);
    CheckText(ctl::PageLabel, L"第1页", "page label");
    CheckPageLabelDrawn();
    CheckEnabled(ctl::PrevPage, false, "上一页");
    CheckEnabled(ctl::NextPage, true, "下一页");
    CheckEnabled(ctl::Add, false, "加为好友 with no row selected");
    CheckEnabled(ctl::View, false, "查看资料 with no row selected");
    CheckShown(ctl::Find, false, "Find");
    CheckEnabled(ctl::Back, true, "Back");
    CheckEnabled(ctl::Tab, true, "tab control");
    End();
}

void Tour::NextPageFromCache() {
    Begin("NextPageFromCache", L"next-page-cache");
    Click(ctl::NextPage);
    // Taken at once, before any answer could arrive: the page came from what was received.
    CheckText(ctl::PageLabel, L"第2页", "page label right after the click");
    CheckUserRows(m_userStore, kPageSize);
    CheckText(ctl::NextPage, L"下一页", "下一页 (no query sent)");
    CheckEnabled(ctl::PrevPage, true, "上一页");
    CheckEnabled(ctl::NextPage, true, "下一页 (the server may have more)");
    End();
}

void Tour::RequeryPastCache() {
    Begin("RequeryPastCache", L"requery");
    const auto matches = m_directory.UsersByNick(m_nick);
    std::vector<const UserInfo*> store = m_userStore;
    std::size_t added = 0;
    for (const UserInfo* user : UserBatch(matches, 1)) {
        if (std::find(store.begin(), store.end(), user) == store.end()) {
            store.push_back(user);
            ++added;
        }
    }
    Click(ctl::NextPage);
    if (Busy()) {
        CheckText(ctl::NextPage, L"正在查找", "下一页 while the query is out");
        CheckEnabled(ctl::NextPage, false, "下一页 while the query is out");
    }
    const std::size_t rows = std::min<std::size_t>(kPageSize, store.size() - kPageSize);
    const bool arrived = PumpUntil([&] {
        return Text(Control(ctl::NextPage)) == L"下一页" && Rows(ctl::ListUser) == static_cast<int>(rows);
    }, m_wait);
    Check(arrived, "the following batch arrived (" + std::to_string(added) + " new of " +
          std::to_string(m_options.batch) + ", " + std::to_string(m_options.overlap) + " repeated)");
    m_userStore = store;
    CheckText(ctl::PageLabel, L"第2页", "page label (the short page filled up)");
    CheckPageLabelDrawn();
    CheckUserRows(m_userStore, kPageSize);
    CheckEnabled(ctl::PrevPage, true, "上一页");
    CheckEnabled(ctl::NextPage, true, "下一页");
    End();
}

void Tour::AddFriend() {
    Begin("AddFriend", L"add-friend");
    const std::size_t first = kPageSize;
    const int rows = Rows(ctl::ListUser);
    int stranger = -1, own = -1;
    for (int r = 0; r < rows && first + r < m_userStore.size(); ++r) {
        const UserInfo& user = *m_userStore[first + r];
        if (user.id == m_transmit.GetSettings().selfId) own = r;
        else if (stranger < 0 && !m_client.IsFriend(user.id)) stranger = r;
    }
    Check(stranger >= 0, "a row of a stranger on the page");
    if (stranger < 0) return End();
    const UserInfo& user = *m_userStore[first + stranger];
    SelectRow(ctl::ListUser, stranger);
    CheckEnabled(ctl::Add, true, "加为好友 for " + Utf8(user.nickname));
    CheckEnabled(ctl::View, true, "查看资料");
    CheckText(ctl::Add, L"加为好友", "Add");
    Click(ctl::Add);
    m_addedFriend = user.id;
    Check(m_client.IsFriend(user.id), Utf8(user.nickname) + " is now a friend of the client");
    const auto log = m_client.LogLines();
    Check(!log.empty() && log.back().find(L"加为好友：" + user.nickname) == 0,
          "log: \"" + Utf8(log.empty() ? std::wstring() : log.back()) + "\"");
    Click(ctl::View);
    const auto log2 = m_client.LogLines();
    Check(!log2.empty() && log2.back().find(L"查看资料：" + user.nickname) == 0 &&
          log2.back().find(user.company) != std::wstring::npos,
          "log: \"" + Utf8(log2.empty() ? std::wstring() : log2.back()) + "\"");
    if (own >= 0) {
        SelectRow(ctl::ListUser, own);
        CheckEnabled(ctl::Add, false, "加为好友 on the signed-in user's own row");
        CheckEnabled(ctl::View, true, "查看资料 on the own row");
    }
    SelectRow(ctl::ListUser, stranger);
    CheckEnabled(ctl::Add, false, "加为好友 on " + Utf8(user.nickname) + " selected again");
    CheckEnabled(ctl::View, true, "查看资料 on the new friend");
    End();
}

void Tour::ZoneSearch() {
    Begin("ZoneSearch", L"zone-search");
    ClickTab(1);
    Check(SendMessageW(Control(ctl::Tab), TCM_GETCURSEL, 0, 0) == 1, "zones tab in front");
    Check(Checked(ctl::RadioZoneById), "by-ID radio checked");
    CheckEnabled(ctl::EditZoneId, true, "zone ID edit");
    CheckEnabled(ctl::EditZoneName, false, "zone name edit");
    CheckEnabled(ctl::ComboIndustry, false, "industry box");
    CheckShown(ctl::ListUser, false, "user list");
    HWND combo = Control(ctl::ComboIndustry);
    const auto& industries = m_directory.Industries();
    bool listed = SendMessageW(combo, CB_GETCOUNT, 0, 0) == static_cast<LRESULT>(industries.size() + 1);
    auto item = [&](int i) {
        wchar_t text[64] = {};
        if (SendMessageW(combo, CB_GETLBTEXTLEN, i, 0) < 64) SendMessageW(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
        return std::wstring(text);
    };
    listed = listed && item(0) == L"----不限行业----";
    for (std::size_t i = 0; listed && i < industries.size(); ++i)
        listed = item(static_cast<int>(i) + 1) == industries[i];
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

    Click(ctl::RadioZoneByName);
    CheckEnabled(ctl::EditZoneName, true, "zone name edit");
    CheckEnabled(ctl::ComboIndustry, true, "industry box");
    CheckEnabled(ctl::EditZoneId, false, "zone ID edit");
    Type(ctl::EditZoneName, m_zoneName);
    Check(Choose(ctl::ComboIndustry, m_industryItem), "industry " + Utf8(industries[industry]) + " chosen");
    Click(ctl::Find);
    const bool arrived = PumpUntil([&] {
        return Shown(Control(ctl::ListZone)) && Rows(ctl::ListZone) > 0 && Text(Control(ctl::NextPage)) == L"下一页";
    }, m_wait);
    Check(arrived, "zones named \"" + Utf8(m_zoneName) + "\" in " + Utf8(industries[industry]) + " arrived");
    const std::size_t expected = std::min({matches.size(), m_options.batch, std::size_t{kPageSize}});
    const int rows = Rows(ctl::ListZone);
    bool same = rows == static_cast<int>(expected);
    for (int r = 0; same && r < rows; ++r) {
        const ZoneInfo& zone = *matches[r];
        same = Cell(ctl::ListZone, r, 0) == std::to_wstring(zone.id) && Cell(ctl::ListZone, r, 1) == zone.name &&
               Cell(ctl::ListZone, r, 2) == industries[industry];
    }
    Check(same, std::to_string(expected) + " zones listed with ID, name and industry " + Utf8(industries[industry]) +
          (same ? "" : " (" + std::to_string(rows) + " rows, first \"" + Utf8(Cell(ctl::ListZone, 0, 1)) + "\")"));
    CheckText(ctl::PageLabel, L"第1页", "page label");
    CheckText(ctl::Add, L"加入商圈", "Add");
    CheckShown(ctl::ListUser, false, "user list");

    int row = -1;
    for (int r = 0; r < rows && r < static_cast<int>(matches.size()); ++r)
        if (!m_client.IsZoneMember(matches[r]->id)) { row = r; break; }
    Check(row >= 0, "a zone the client has not joined");
    if (row < 0) return End();
    const ZoneInfo& zone = *matches[row];
    SelectRow(ctl::ListZone, row);
    CheckEnabled(ctl::Add, true, "加入商圈 for " + Utf8(zone.name));
    Click(ctl::Add);
    m_joinedZone = zone.id;
    Check(m_client.IsZoneMember(zone.id), "the client joined " + Utf8(zone.name));
    Click(ctl::View);
    const auto log = m_client.LogLines();
    Check(log.size() >= 2 && log[log.size() - 2].find(L"加入商圈：" + zone.name) == 0 &&
          log.back().find(L"查看商圈资料：" + zone.name) == 0,
          "log: \"" + Utf8(log.size() >= 2 ? log[log.size() - 2] : L"") + "\", \"" +
          Utf8(log.empty() ? std::wstring() : log.back()) + "\"");
    SelectRow(ctl::ListZone, row);
    CheckEnabled(ctl::Add, false, "加入商圈 on " + Utf8(zone.name) + " selected again");
    End();
}

void Tour::BadZoneId() {
    Begin("BadZoneId", L"bad-zone-id");
    Click(ctl::Back);
    CheckShown(ctl::ListZone, false, "zone list after Back");
    Click(ctl::RadioZoneById);
    Type(ctl::EditZoneId, L"12a");
    m_camera.Arm(Window(), Picture(), Picture(L"-box"));
    Click(ctl::Find);
    PumpUntil([&] { return m_camera.Done(); }, m_wait);
    CheckBox(L"请输入查询条件", L"查询错误");
    DispatchPending();
    CheckEnabled(ctl::Find, true, "Find after the box");
    CheckText(ctl::Find, L"查找", "Find");
    CheckText(ctl::EditZoneId, L"12a", "zone ID edit (kept)");
    CheckShown(ctl::ListZone, false, "zone list");
    End(false);
}

void Tour::NotSignedIn() {
    Begin("NotSignedIn", L"not-signed-in");
    Click(m_client.Control(demo_ids::SignInOut), "the client's 注销 button");
    Check(!m_client.IsSignedIn(), "the client signed out");
    Check(Text(m_client.Control(demo_ids::SignInOut)) == L"登录", "the client's button reads 登录");
    Click(ctl::RadioZoneByName);
    Type(ctl::EditZoneName, m_zoneName);
    Choose(ctl::ComboIndustry, m_industryItem);
    m_camera.Arm(Window(), Picture(), Picture(L"-box"));
    Click(ctl::Find);
    PumpUntil([&] { return m_camera.Done(); }, m_wait);
    CheckBox(L"请先登录！", L"查询失败");
    DispatchPending();
    CheckEnabled(ctl::Find, true, "Find (nothing was sent)");
    CheckText(ctl::Find, L"查找", "Find");
    CheckEnabled(ctl::Tab, true, "tab control");
    Click(m_client.Control(demo_ids::SignInOut), "the client's 登录 button");
    Check(m_client.IsSignedIn(), "the client signed in again");
    End(false);
}

void Tour::QueryFailed() {
    Begin("QueryFailed", L"query-failed");
    const QZP::TransportSettings saved = m_transmit.GetSettings();
    QZP::TransportSettings failing = saved;
    failing.failureRate = 1.0;
    m_transmit.SetSettings(failing);
    m_camera.Arm(Window(), Picture(), Picture(L"-box"));
    Click(ctl::Find);
    if (Busy()) CheckText(ctl::Find, L"正在查找", "Find while the query is out");
    PumpUntil([&] { return m_camera.Done(); }, m_wait);
    CheckBox(L"查询失败，服务器连接超时！", L"查询失败");
    PumpUntil([&] { return Text(Control(ctl::Find)) == L"查找" && IsWindowEnabled(Control(ctl::Find)); }, m_wait);
    CheckEnabled(ctl::Find, true, "Find after the failure");
    CheckText(ctl::Find, L"查找", "Find");
    CheckEnabled(ctl::Tab, true, "tab control");
    CheckShown(ctl::ListZone, false, "zone list");
    m_transmit.SetSettings(saved);
    End(false);
}

void Tour::ClientLog() {
    Begin("ClientLog", L"client");
    Click(ctl::Close);
    Check(PumpUntil([&] { return !Shown(Window()); }, m_wait), "关闭 hid the search window");
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
    const bool saved = SaveWindowPng(m_client.Window(), Picture());
    Check(saved, "picture " + Utf8(m_pictureName) + ".png");
    End(false);
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
    if (!m_camera.Installed()) {
        Line("FAIL 00 Options: no hook for message boxes");
        std::fclose(m_log);
        return 2;
    }
    // Queries fail only where the tour asks them to.
    QZP::TransportSettings settings = m_transmit.GetSettings();
    settings.failureRate = 0.0;
    m_transmit.SetSettings(settings);

    UsersForm();
    NickSearch();
    NextPageFromCache();
    RequeryPastCache();
    AddFriend();
    ZoneSearch();
    BadZoneId();
    NotSignedIn();
    QueryFailed();
    ClientLog();

    char summary[96];
    std::snprintf(summary, sizeof summary, "%d of %d steps showed what they should", m_step - m_failedSteps, m_step);
    Line(summary);
    std::fclose(m_log);
    return m_failedSteps == 0 ? 0 : 1;
}

}  // namespace

int RunTour(DemoClient& client, const DemoDirectory& directory, QZP::QZTransmit& transmit,
            const DemoOptions& options) {
    Tour tour(client, directory, transmit, options);
    return tour.Run();
}
