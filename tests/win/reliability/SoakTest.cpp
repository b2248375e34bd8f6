// Ten thousand random user operations against a server on its own thread that answers now, late,
// very late or never, sometimes twice, with batches that overlap, repeat, come back empty, fail or
// run to thousands of records. Among the operations are gestures that open loops while replies
// land: the row menu kept open a while, a client's call that runs a loop in which the user keeps
// clicking, the industry list dropped with its keys, Close with a query out. After every step the
// window must be consistent: not busy unless a query is out, each page showing exactly the records
// its label names from the search in front, the pager following the page, View following the
// selection, one command, never a box inside a box nor for a window that is not shown, every action
// handed to the client naming the record under the gesture, and every Find or page turn clicked
// during a client's call carried out. The seed is printed; SEARCH_SOAK_SEED replays a run.
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "SearchWindowFixture.h"
#include "Watchdog.h"

namespace {

constexpr int kSteps = 10000;
constexpr unsigned kDefaultSeed = 20261207;

// Every search carries a tag: in its text after '#', or as the zone ID itself. The server answers
// a search with identifiers (tag << 32) | n, n counting that search's records from 1 in the order
// it first sends them. A store that keeps each identifier once, in arrival order, then shows on
// page N exactly n = (N-1)*10 + 1, (N-1)*10 + 2, ... of the tag of the search in front.
constexpr int kTagShift = 32;
// Back then Enter sends the same criteria, so the same tag, as a new search while the abandoned
// one may still be held here. A request for a tag that arrives while an earlier one is held
// means the earlier was abandoned: its answer neither counts for the tag nor carries numbers a
// page could show, so merging it anywhere fails the row checks.
constexpr std::uint64_t kAbandonedBase = 1ull << 31;

std::uint64_t TagOf(const QZP::SearchQuery& query) {
    if (query.kind == QZP::SearchQuery::Kind::ZoneByID)
        return query.zoneId;
    const std::size_t hash = query.text.find(L'#');
    return hash == std::wstring::npos ? 0 : std::wcstoull(query.text.c_str() + hash + 1, nullptr, 10);
}

// The server: holds each request for a random while, then answers it.
class RandomServer {
public:
    RandomServer(QZP::ScriptedService& service, unsigned seed)
        : m_service(service), m_rng(seed), m_thread([this] { Run(); }) {}
    ~RandomServer() {
        m_stop = true;
        m_thread.join();
    }
    int Answered() const { return m_answered.load(); }
    // The request answered last is answered again at once, with a hundred thousand records or so.
    // True when the answer went to the command (it is not gone).
    bool RepeatLastAnswerLarge() {
        m_repeat = kRepeatAsked;
        const ULONGLONG until = ::GetTickCount64() + 5000;
        while (m_repeat == kRepeatAsked && ::GetTickCount64() < until)
            ::Sleep(1);
        return m_repeat.exchange(kRepeatNone) == kRepeatSent;
    }

private:
    struct Held {
        QZP::SearchRequestPtr request;
        std::chrono::steady_clock::time_point due;
        bool abandoned;
        bool again;  // a second answer to a request answered already
    };

    void Run() {
        std::size_t seen = 0;
        std::vector<Held> held;
        while (!m_stop.load()) {
            const auto now = std::chrono::steady_clock::now();
            for (QZP::SearchRequestPtr request; (request = m_service.Request(seen)); ++seen) {
                const std::uint64_t tag = TagOf(request->Query());
                // A second answer still counts for a re-query of its search (the library cannot
                // tell the two apart), not for a new search of the same tag.
                for (Held& earlier : held)
                    earlier.abandoned |= TagOf(earlier.request->Query()) == tag && (!earlier.again || request->Round() == 0);
                const unsigned roll = m_rng() % 100;
                if (roll < 5)
                    continue;  // never answered: only Back or a reset gets the window out
                const int delayMs = roll < 55 ? 0 : roll < 85 ? 1 + m_rng() % 30 : 100 + m_rng() % 300;
                held.push_back({request, now + std::chrono::milliseconds(delayMs), false, false});
            }
            std::vector<Held> again;
            if (m_repeat == kRepeatAsked) {
                m_repeat = m_lastAnswered && Answer(*m_lastAnswered, false, true, true) ? kRepeatSent : kRepeatRefused;
            }
            for (auto it = held.begin(); it != held.end();) {
                if (it->due > now) {
                    ++it;
                    continue;
                }
                const bool failed = !Answer(*it->request, it->abandoned, it->again, false);
                if (!it->again)
                    m_lastAnswered = it->request;
                // Now and then the server answers once more, later; most often what the transport
                // reported as a time-out.
                if (!it->again && m_rng() % 100 < (failed ? 50u : 5u))
                    again.push_back({it->request, now + std::chrono::milliseconds(1 + m_rng() % 200), false, true});
                it = held.erase(it);
            }
            held.insert(held.end(), again.begin(), again.end());
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    }

    // False when the answer was a failure, or refused (its command is gone).
    bool Answer(QZP::SearchRequest& request, bool abandoned, bool again, bool large) {
        const std::uint64_t tag = TagOf(request.Query());
        std::uint64_t uncounted = 0;
        std::uint64_t& sent = abandoned ? uncounted : m_sent[tag];
        if (request.Round() == 0 && !again)
            sent = 0;  // a new search: its records count from 1 again
        const std::uint64_t base = abandoned ? kAbandonedBase : 0;  // numbers no page may show
        const unsigned roll = m_rng() % 100;
        bool ok = true;
        std::uint64_t first = 0;
        std::uint64_t count = 0;
        if (large) {
            first = sent + 1;
            count = 60000 + m_rng() % 60000;
        } else if (roll < 8) {
            ok = false;
        } else if (roll < 16) {
            // empty: nothing (more) found
        } else if (roll < 26 && sent > 0) {
            first = 1 + m_rng() % sent;  // only records sent before
            count = 1 + m_rng() % std::min<std::uint64_t>(15, sent - first + 1);
        } else {
            const std::uint64_t overlap = m_rng() % (std::min<std::uint64_t>(3, sent) + 1);
            first = sent + 1 - overlap;
            // Now and then thousands: a merge long enough for the user to act while it runs.
            count = roll < 30 || (again && roll < 60) ? 1000 + m_rng() % 8000 : 1 + m_rng() % 15;
        }
        // A large repeat is not counted: the window may take it back again (a merge cancelled), and
        // the answers after it then go on where the store ends, either way.
        if (ok && count > 0 && !large)
            sent = std::max(sent, first + count - 1);
        bool accepted = false;
        if (request.Query().IsUserQuery()) {
            UserInfoSet batch;
            for (std::uint64_t n = first; n < first + count; ++n)
                batch.push_back(MakeUser((tag << kTagShift) | (base + n), static_cast<int>(n % 6)));
            accepted = again ? request.AnswerUsersAgain(ok, batch) : request.AnswerUsers(ok, batch);
        } else {
            ZoneInfoSet batch;
            for (std::uint64_t n = first; n < first + count; ++n)
                batch.push_back(MakeZone((tag << kTagShift) | (base + n), static_cast<std::uint16_t>(n % 5)));
            accepted = again ? request.AnswerZonesAgain(ok, batch) : request.AnswerZones(ok, batch);
        }
        ++m_answered;
        return accepted && ok && !request.FailureInjected();
    }

    QZP::ScriptedService& m_service;
    std::mt19937 m_rng;
    std::map<std::uint64_t, std::uint64_t> m_sent;  // records sent per tag
    std::atomic<bool> m_stop{false};
    enum { kRepeatNone, kRepeatAsked, kRepeatSent, kRepeatRefused };
    std::atomic<int> m_repeat{kRepeatNone};
    QZP::SearchRequestPtr m_lastAnswered;  // the server thread's
    std::atomic<int> m_answered{0};
    std::thread m_thread;
};

// Boxes as the window shows them: recorded, with the messages that would reach a real box's loop
// dispatched while it is up, the depth of boxes within boxes kept, and those shown for a window not
// on the screen counted.
int g_boxDepth = 0;
int g_deepestBox = 0;
int g_boxes = 0;
int g_boxesUnseen = 0;
int PresentWithALoop(HWND owner, const wchar_t* text, const wchar_t* caption, UINT) {
    ++g_boxDepth;
    ++g_boxes;
    g_boxesUnseen += owner && ::IsWindowVisible(owner) ? 0 : 1;
    g_deepestBox = std::max(g_deepestBox, g_boxDepth);
    RecordedBoxes().push_back({nullptr, text, caption, 0});
    MSG msg;
    for (int i = 0; i < 50 && ::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE); ++i) {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
    --g_boxDepth;
    return IDOK;
}

// The identifier a list row stands for: "acc<id>" for users, the decimal id for zones.
std::uint64_t RowId(const std::wstring& cell, bool users) {
    return std::wcstoull(cell.c_str() + (users ? 3 : 0), nullptr, 10);
}

// Pumps for about `ms` milliseconds, as a loop that waits on the user does.
void PumpFor(int ms) {
    const ULONGLONG until = ::GetTickCount64() + static_cast<ULONGLONG>(ms);
    do {
        MSG msg;
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
        ::Sleep(1);
    } while (::GetTickCount64() < until);
}

enum Op { kTab, kBack, kNext, kPrev, kFind, kEnter, kEscape, kSelect, kAdd, kView, kReopen,
          kMenu, kClientLoop, kDropDown, kClose, kMergeRace, kOps };
const char* const kOpNames[] = {"tab", "Back", "Next", "Previous", "Find", "Enter", "Escape", "select",
                                "Add", "View", "close and reopen", "row menu", "a client's loop",
                                "industry list", "Close with a query out", "away during a merge"};

}  // namespace

class SoakTest : public SearchWindowTest {
protected:
    bool Usable(int id) const { return Shown(id) && Enabled(id); }
    // As a user would: only what is shown and enabled can be clicked.
    bool TryClick(int id) {
        if (!Usable(id))
            return false;
        ::SendMessageW(Control(id), BM_CLICK, 0, 0);
        return true;
    }
    int CurrentTab() const {
        return ::SendMessageW(Control(ids::Tab), TCM_GETCURSEL, 0, 0) == 1 ? 1 : 0;
    }
    int FrontList() const { return CurrentTab() == 0 ? ids::ListUser : ids::ListZone; }
    bool Busy() const { return Text(ids::Find) == L"正在查找"; }

    // A gesture on row `row`: the first action handed to the client afterwards must name the
    // record the row showed, whatever landed meanwhile.
    void ExpectActionOn(int row, const std::function<void()>& gesture) {
        const std::uint64_t id = RowId(Cell(FrontList(), row, 0), CurrentTab() == 0);
        const std::size_t before = m_handler.calls.size();
        gesture();
        const auto action = std::find_if(m_handler.calls.begin() + static_cast<std::ptrdiff_t>(before),
                                         m_handler.calls.end(), [](const HandlerCall& c) { return c.op.rfind("Is", 0) != 0; });
        if (action != m_handler.calls.end()) {
            EXPECT_EQ(action->id, id) << action->op << " on another record than the gesture's";
        }
    }

    // The row menu of a random row, kept open a random while, then a random command or dismissed.
    // Now and then the user first pages on past the results kept: a re-query goes out, and its
    // answer, which turns a full page, comes while the menu is open.
    void UseRowMenu(std::mt19937& rng) {
        const int list = FrontList();
        if (rng() % 2) {
            for (int i = 0; i < 20 && !Busy() && TryClick(ids::NextPage);)
                ++i;
            // One query a step: with the re-query out, the client's answer runs no loop of clicks.
            if (Busy())
                m_handler.during = nullptr;
        }
        const int rows = Shown(list) ? RowCount(list) : 0;
        if (rows == 0)
            return;
        const int row = static_cast<int>(rng() % static_cast<unsigned>(rows));
        const std::wstring cell = Cell(list, row, 0);
        const int item = static_cast<int>(rng() % 4);  // Add, View, the separator: dismissed, copy
        const int openMs = static_cast<int>(rng() % 40);
        RECT rc = {};
        rc.left = LVIR_BOUNDS;
        ::SendMessageW(Control(list), LVM_GETITEMRECT, row, reinterpret_cast<LPARAM>(&rc));
        POINT pt = {rc.left + 10, (rc.top + rc.bottom) / 2};
        ::ClientToScreen(Control(list), &pt);
        PutOnClipboard(L"");
        bool copied = false;
        ExpectActionOn(row, [&] {
            m_reached.menus += windriver::WithPopupMenu(
                [&] { ::SendMessageW(Control(list), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(Control(list)), MAKELPARAM(pt.x, pt.y)); },
                [&](HWND menuWindow, HMENU menu) {
                    if (Busy())
                        PumpUntilAnswered();
                    PumpFor(openMs);
                    const auto items = windriver::MenuItems(menu);
                    if (item == 2 || items.size() != 4 || !items[static_cast<std::size_t>(item)].enabled) {
                        ::EndMenu();
                        return;
                    }
                    copied = item == 3;
                    windriver::ChooseMenuItem(menuWindow, menu, item);
                });
        });
        if (copied) {
            EXPECT_EQ(ClipboardText(), cell) << "copied another row than the menu's";
        }
    }

    // Pumps until the server has answered once more and the transport has delivered it, 400 ms at
    // most (a query may never be answered).
    void PumpUntilAnswered() {
        const int answered = m_server->Answered();
        for (int waited = 0; waited < 400 && (m_server->Answered() == answered || m_transmit->QueuedAnswers() > 0 ||
                                              m_transmit->CallbackRunning());
             waited += 5)
            PumpFor(5);
    }

    // The next call into the client runs a loop for a while, in which the user goes on: goes back,
    // pages, finds, presses Enter. A Find or page turn clicked there, the last click, must be
    // carried out once the call returns (checked after the step).
    void ArmClientLoop(std::mt19937& rng) {
        m_handler.during = [this, &rng](const HandlerCall&) {
            m_handler.during = nullptr;  // one loop; calls made inside it run none
            const int clicks = static_cast<int>(rng() % 4);
            for (int i = 0; i < clicks && Dialog() && !m_clickedInCall; ++i) {
                PumpFor(static_cast<int>(rng() % 10));
                const int t = CurrentTab();
                const int what = static_cast<int>(rng() % 5);
                if (what < 2) {
                    TryClick(what == 0 ? ids::Back : ids::PrevPage);
                } else if (what == 2 && Usable(ids::NextPage)) {
                    NoteClick(t, ids::NextPage);
                    TryClick(ids::NextPage);
                } else if (Usable(ids::Find) && FillForm(rng)) {
                    m_formGesture[t] = true;
                    NoteClick(t, ids::Find);
                    what == 3 ? (void)TryClick(ids::Find) : PressKey(t == 0 ? ids::EditNick : ids::EditZoneName, VK_RETURN);
                }
            }
            PumpFor(static_cast<int>(rng() % 20));
        };
    }
    void NoteClick(int tab, int id) {
        ++m_reached.clicksInCalls;
        m_clickedInCall = true;
        m_atClick = {id, m_service.QueryCount(), g_boxes, Text(ids::PageLabel), FirstColumn(FrontList()), tab};
    }

    // While a batch merges into the results in front (a further answer: the tabs are free), the
    // user pages on into what it brings, ends the other tab's search (Back, or Find from its form,
    // which cancels every merge) and comes back: records taken back must leave the page.
    void AwayDuringAMerge(std::mt19937& rng) {
        const int t = CurrentTab();
        if (!Shown(FrontList()) || !Usable(ids::Tab))
            return;
        if (!m_server->RepeatLastAnswerLarge())
            return;
        for (const ULONGLONG until = ::GetTickCount64() + 1000; !m_transmit->CallbackRunning();)
            if (::GetTickCount64() > until)
                return;
        ++m_reached.merges;
        for (int i = 0; i < 3; ++i)
            TryClick(ids::NextPage);
        // Nothing pumped until the step ends: the merge is still running.
        if (!Usable(ids::Tab))
            return;
        windriver::ClickTabItem(Control(ids::Tab), 1 - t);
        if (!TryClick(ids::Back) && FillForm(rng)) {
            m_formGesture[1 - t] = true;
            TryClick(ids::Find);
        }
        if (Usable(ids::Tab))
            windriver::ClickTabItem(Control(ids::Tab), t);
    }

    // The industry list dropped on the zones form, an item highlighted, then Enter or Escape: the
    // list takes the key and closes, nothing is searched, the window stays.
    void UseIndustryList(std::mt19937& rng) {
        if (!Usable(ids::ComboIndustry))
            return;
        const std::size_t queries = m_service.QueryCount();
        const HWND combo = Control(ids::ComboIndustry);
        ::SetFocus(combo);
        ::SendMessageW(combo, CB_SHOWDROPDOWN, TRUE, 0);
        PressKey(ids::ComboIndustry, VK_DOWN);
        PressKey(ids::ComboIndustry, rng() % 2 ? VK_ESCAPE : VK_RETURN);
        EXPECT_FALSE(::SendMessageW(combo, CB_GETDROPPEDSTATE, 0, 0)) << "a key left the industry list open";
        EXPECT_TRUE(m_service.QueryCount() == queries && ::IsWindowVisible(Dialog())) << "a key for the open list searched or closed";
        ::SendMessageW(combo, CB_SHOWDROPDOWN, FALSE, 0);
    }

    // Fills the form in front with fresh criteria; false when no form is in front.
    bool FillForm(std::mt19937& rng) {
        const std::wstring tag = std::to_wstring(++m_nextTag);
        if (Shown(ids::RadioNick)) {
            const int radios[] = {ids::RadioCompany, ids::RadioNick, ids::RadioAccount};
            const int edits[] = {ids::EditCompany, ids::EditNick, ids::EditAccount};
            const int pick = static_cast<int>(rng() % 3);
            ::SendMessageW(Control(radios[pick]), BM_CLICK, 0, 0);
            const std::wstring text = L"王#" + tag;
            ::SendMessageW(Control(edits[pick]), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
            return true;
        }
        if (Shown(ids::RadioZoneById)) {
            if (rng() % 2) {
                ::SendMessageW(Control(ids::RadioZoneById), BM_CLICK, 0, 0);
                ::SendMessageW(Control(ids::EditZoneId), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(tag.c_str()));
            } else {
                ::SendMessageW(Control(ids::RadioZoneByName), BM_CLICK, 0, 0);
                const std::wstring text = L"商圈#" + tag;
                ::SendMessageW(Control(ids::EditZoneName), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
                ::SendMessageW(Control(ids::ComboIndustry), CB_SETCURSEL, rng() % 4, 0);
            }
            return true;
        }
        return false;
    }

    void Act(Op op, std::mt19937& rng) {
        switch (op) {
        case kTab:
            if (Usable(ids::Tab))
                ClickTab(1 - CurrentTab());
            break;
        case kBack:
            TryClick(ids::Back);
            break;
        case kNext:
            TryClick(ids::NextPage);
            break;
        case kPrev:
            TryClick(ids::PrevPage);
            break;
        case kFind:
            if (Usable(ids::Find) && FillForm(rng))
                TryClick(ids::Find);
            break;
        case kEnter:
        case kEscape: {
            const int targets[] = {ids::EditNick, ids::EditCompany, ids::EditZoneId, ids::EditZoneName,
                                   ids::RadioNick, ids::ComboIndustry, ids::ListUser, ids::ListZone};
            const int target = targets[rng() % 8];
            if (Shown(target))
                PressKey(target, op == kEnter ? VK_RETURN : VK_ESCAPE);
            break;
        }
        case kSelect: {
            const int list = Shown(ids::ListUser) ? ids::ListUser : ids::ListZone;
            const int rows = Shown(list) ? RowCount(list) : 0;
            if (rows > 0)
                SelectRow(static_cast<int>(rng() % rows));
            break;
        }
        case kAdd:
        case kView: {
            const int selected = Shown(FrontList()) ? m_driver.SelectedRow(FrontList()) : -1;
            if (selected >= 0)
                ExpectActionOn(selected, [&] { TryClick(op == kAdd ? ids::Add : ids::View); });
            break;
        }
        case kReopen:
            TryClick(ids::Close);
            m_search->StartSearch(nullptr, rng() % 2 == 0);
            break;
        case kMenu:
            // Now and then the right-click's question to the client runs a loop too.
            if (rng() % 3 == 0)
                ArmClientLoop(rng);
            UseRowMenu(rng);
            m_handler.during = nullptr;
            break;
        case kClientLoop: {
            // The loop comes with the action or the selection's question to the client.
            ArmClientLoop(rng);
            const int list = FrontList();
            const int rows = Shown(list) ? RowCount(list) : 0;
            const int selected = Shown(list) ? m_driver.SelectedRow(list) : -1;
            if (rows > 0 && (selected < 0 || rng() % 2))
                SelectRow(static_cast<int>(rng() % static_cast<unsigned>(rows)));
            else if (selected >= 0)
                ExpectActionOn(selected, [&] { TryClick(rng() % 2 ? ids::Add : ids::View); });
            m_handler.during = nullptr;
            break;
        }
        case kDropDown:
            UseIndustryList(rng);
            break;
        case kMergeRace:
            AwayDuringAMerge(rng);
            break;
        case kClose:
            // A query out (one is sent from the form if none is), Close, and its answer comes to
            // the hidden window; then it is opened again afresh.
            if (!Busy() && Usable(ids::Find) && FillForm(rng))
                TryClick(ids::Find);
            TryClick(ids::Close);
            PumpUntilAnswered();
            m_search->StartSearch(nullptr, rng() % 2 == 0);
            break;
        default:
            break;
        }
        Pump();
    }

    // The checks that hold after every step.
    void CheckWindow(int step) {
        SCOPED_TRACE("step " + std::to_string(step));
        ASSERT_NE(Dialog(), nullptr);
        EXPECT_EQ(m_transmit->LiveCommands(), 1u);
        EXPECT_LE(g_deepestBox, 1) << "a box inside a box";
        EXPECT_EQ(g_boxesUnseen, 0) << "a box for a window that is not shown";

        const bool busy = Busy();
        EXPECT_EQ(Enabled(ids::Tab), !busy);
        if (busy) {
            EXPECT_FALSE(Enabled(ids::NextPage));
            EXPECT_FALSE(Enabled(ids::PrevPage));
            EXPECT_EQ(Text(ids::NextPage), L"正在查找");
        } else {
            EXPECT_EQ(Text(ids::Find), L"查找");
            EXPECT_EQ(Text(ids::NextPage), L"下一页");
        }

        const int t = CurrentTab();
        const int list = t == 0 ? ids::ListUser : ids::ListZone;
        if (!Shown(list))
            return;
        const std::wstring label = Text(ids::PageLabel);
        ASSERT_EQ(label.substr(0, 1), L"第") << "a result view always has a page";
        const int page = std::stoi(label.substr(1));
        const int rows = RowCount(list);
        ASSERT_GE(rows, 1) << "an empty page";
        ASSERT_LE(rows, 10);
        for (int r = 0; r < rows; ++r) {
            const std::uint64_t id = RowId(Cell(list, r, 0), t == 0);
            EXPECT_EQ(id >> kTagShift, m_searchTag[t]) << "row " << r << " of another search";
            EXPECT_EQ(id & 0xFFFFFFFFu, static_cast<std::uint64_t>((page - 1) * 10 + r + 1))
                << "row " << r << " of page " << page;
        }
        EXPECT_EQ(Enabled(ids::View), m_driver.SelectedRow(list) >= 0) << "View does not follow the selection";
        if (!busy) {
            EXPECT_EQ(Enabled(ids::PrevPage), page > 1);
            if (t == 0 && Checked(ids::RadioAccount)) {
                EXPECT_FALSE(Enabled(ids::NextPage)) << "an account names one user";
            }
        }
    }

    // How often the gestures met what they are there for.
    struct {
        int menus = 0, clicksInCalls = 0, merges = 0;
    } m_reached;
    RandomServer* m_server = nullptr;
    std::uint64_t m_nextTag = 0;
    std::uint64_t m_searchTag[2] = {0, 0};
    // A Find or page turn clicked during a client's call in this step, and what stood then.
    bool m_clickedInCall = false;
    bool m_formGesture[2] = {false, false};
    struct {
        int id;
        std::size_t queries;
        int boxes;
        std::wstring label;
        std::vector<std::wstring> rows;
        int tab;
    } m_atClick = {};
};

TEST_F(SoakTest, TenThousandRandomStepsAgainstAnErraticServer) {
    unsigned seed = kDefaultSeed;
    if (const char* text = std::getenv("SEARCH_SOAK_SEED"))
        seed = static_cast<unsigned>(std::strtoul(text, nullptr, 10));
    std::printf("soak seed %u (replay with SEARCH_SOAK_SEED=%u)\n", seed, seed);
    std::fflush(stdout);

    m_handler.industries = {L"金融", L"制造", L"零售"};
    SetSkinMessageBoxPresenter(&PresentWithALoop);
    wintest::Watchdog watchdog(60000);
    RandomServer server(m_service, seed + 1);
    m_server = &server;
    std::mt19937 rng(seed);
    const int weights[kOps] = {6, 8, 14, 8, 16, 6, 3, 8, 4, 4, 3, 5, 5, 3, 2, 3};
    std::discrete_distribution<int> pick(std::begin(weights), std::end(weights));
    int performed[kOps] = {};
    std::deque<std::string> history;  // printed when a step fails

    Start(true);
    for (int step = 0; step < kSteps && !HasFailure(); ++step) {
        Op op = static_cast<Op>(pick(rng));
        watchdog.Step("soak step " + std::to_string(step) + ": " + kOpNames[op] + " (seed " +
                      std::to_string(seed) + ")");
        const bool formShown[2] = {Shown(ids::RadioNick) || Shown(ids::RadioCompany),
                                   Shown(ids::RadioZoneById)};
        const std::size_t queriesBefore = m_service.QueryCount();
        const int boxesBefore = g_boxes;
        m_clickedInCall = false;
        m_formGesture[0] = m_formGesture[1] = false;
        Act(op, rng);
        ++performed[op];
        EXPECT_LE(g_boxes - boxesBefore, 1) << "step " << step << ": more than one box for one step";

        history.push_back("step " + std::to_string(step) + ": " + kOpNames[op] + " on tab " +
                          std::to_string(CurrentTab()) + (formShown[0] || formShown[1] ? " (form)" : "") +
                          ", boxes " + std::to_string(g_boxes - boxesBefore));
        // A query sent from a form starts that tab's search; one from a result view continues it.
        if (m_service.QueryCount() > queriesBefore) {
            history.back() += ", sent tag " + std::to_string(TagOf(m_service.Queries().back()));
            EXPECT_EQ(m_service.QueryCount(), queriesBefore + 1) << "step " << step;
            const QZP::SearchQuery query = m_service.Queries().back();
            const int t = query.IsUserQuery() ? 0 : 1;
            if (formShown[t] || m_formGesture[t])
                m_searchTag[t] = TagOf(query);
            else
                EXPECT_EQ(TagOf(query), m_searchTag[t]) << "step " << step << ": a re-query of another search";
        }
        // Carried out: it sent a query, showed a box or turned the page (a partial page that records
        // reached meanwhile fills up instead); or refused where the user sees it, the button no
        // longer offered; or the user went on to another tab.
        if (m_clickedInCall && CurrentTab() == m_atClick.tab) {
            EXPECT_TRUE(m_service.QueryCount() > m_atClick.queries || g_boxes > m_atClick.boxes ||
                        Text(ids::PageLabel) != m_atClick.label || FirstColumn(FrontList()) != m_atClick.rows ||
                        !Usable(m_atClick.id))
                << "step " << step << ": a click during the client's call was dropped";
        }
        CheckWindow(step);
        const int list = CurrentTab() == 0 ? ids::ListUser : ids::ListZone;
        history.back() += Shown(list) ? ", " + std::to_string(RowCount(list)) + " rows" : ", form";
        if (Text(ids::Find) == L"正在查找")
            history.back() += ", busy";
        if (history.size() > 20)
            history.pop_front();
    }
    if (HasFailure()) {
        std::printf("the last steps:\n");
        for (const std::string& line : history)
            std::printf("  %s\n", line.c_str());
    }
    std::printf("soak: %d steps, %zu queries, %d answered, %d boxes;", kSteps, m_service.QueryCount(),
                server.Answered(), g_boxes);
    for (int op = 0; op < kOps; ++op)
        std::printf(" %s %d", kOpNames[op], performed[op]);
    std::printf("; menus opened %d, clicks during a client's call %d, merges met %d\n", m_reached.menus,
                m_reached.clicksInCalls, m_reached.merges);
    EXPECT_GT(server.Answered(), 500) << "the server took part";
}
