// Ten thousand random user operations against a server on its own thread that answers now, late,
// very late or never, with batches that overlap, repeat, come back empty or fail. After every step
// the window must be consistent: not busy unless a query is out, each page showing exactly the
// records its label names from the search in front, the pager following the page, one command, and
// never a box inside a box. The seed is printed; SEARCH_SOAK_SEED replays a run.
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <deque>
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

private:
    struct Held {
        QZP::SearchRequestPtr request;
        std::chrono::steady_clock::time_point due;
        bool abandoned;
    };

    void Run() {
        std::size_t seen = 0;
        std::vector<Held> held;
        while (!m_stop.load()) {
            const auto now = std::chrono::steady_clock::now();
            for (QZP::SearchRequestPtr request; (request = m_service.Request(seen)); ++seen) {
                const std::uint64_t tag = TagOf(request->Query());
                for (Held& earlier : held)
                    earlier.abandoned |= TagOf(earlier.request->Query()) == tag;
                const unsigned roll = m_rng() % 100;
                if (roll < 5)
                    continue;  // never answered: only Back or a reset gets the window out
                const int delayMs = roll < 55 ? 0 : roll < 85 ? 1 + m_rng() % 30 : 100 + m_rng() % 300;
                held.push_back({request, now + std::chrono::milliseconds(delayMs), false});
            }
            for (auto it = held.begin(); it != held.end();) {
                if (it->due > now) {
                    ++it;
                    continue;
                }
                Answer(*it->request, it->abandoned);
                it = held.erase(it);
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    }

    void Answer(QZP::SearchRequest& request, bool abandoned) {
        const std::uint64_t tag = TagOf(request.Query());
        std::uint64_t uncounted = 0;
        std::uint64_t& sent = abandoned ? uncounted : m_sent[tag];
        if (request.Round() == 0)
            sent = 0;  // a new search: its records count from 1 again
        const std::uint64_t base = abandoned ? kAbandonedBase : 0;  // numbers no page may show
        const unsigned roll = m_rng() % 100;
        bool ok = true;
        std::uint64_t first = 0;
        std::uint64_t count = 0;
        if (roll < 8) {
            ok = false;
        } else if (roll < 16) {
            // empty: nothing (more) found
        } else if (roll < 26 && sent > 0) {
            first = 1 + m_rng() % sent;  // only records sent before
            count = 1 + m_rng() % std::min<std::uint64_t>(15, sent - first + 1);
        } else {
            const std::uint64_t overlap = m_rng() % (std::min<std::uint64_t>(3, sent) + 1);
            first = sent + 1 - overlap;
            count = 1 + m_rng() % 15;
        }
        if (ok && count > 0)
            sent = std::max(sent, first + count - 1);
        if (request.Query().IsUserQuery()) {
            UserInfoSet batch;
            for (std::uint64_t n = first; n < first + count; ++n)
                batch.push_back(MakeUser((tag << kTagShift) | (base + n), static_cast<int>(n % 6)));
            request.AnswerUsers(ok, batch);
        } else {
            ZoneInfoSet batch;
            for (std::uint64_t n = first; n < first + count; ++n)
                batch.push_back(MakeZone((tag << kTagShift) | (base + n), static_cast<std::uint16_t>(n % 5)));
            request.AnswerZones(ok, batch);
        }
        ++m_answered;
    }

    QZP::ScriptedService& m_service;
    std::mt19937 m_rng;
    std::map<std::uint64_t, std::uint64_t> m_sent;  // records sent per tag
    std::atomic<bool> m_stop{false};
    std::atomic<int> m_answered{0};
    std::thread m_thread;
};

// Boxes as the window shows them: recorded, with the messages that would reach a real box's loop
// dispatched while it is up, and the depth of boxes within boxes kept.
int g_boxDepth = 0;
int g_deepestBox = 0;
int g_boxes = 0;
int PresentWithALoop(HWND, const wchar_t* text, const wchar_t* caption, UINT) {
    ++g_boxDepth;
    ++g_boxes;
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

enum Op { kTab, kBack, kNext, kPrev, kFind, kEnter, kEscape, kSelect, kAdd, kView, kReopen, kOps };
const char* const kOpNames[] = {"tab", "Back", "Next", "Previous", "Find", "Enter",
                                "Escape", "select", "Add", "View", "close and reopen"};

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
            TryClick(ids::Add);
            break;
        case kView:
            TryClick(ids::View);
            break;
        case kReopen:
            TryClick(ids::Close);
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

        const bool busy = Text(ids::Find) == L"正在查找";
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
        if (!busy) {
            EXPECT_EQ(Enabled(ids::PrevPage), page > 1);
            if (t == 0 && Checked(ids::RadioAccount)) {
                EXPECT_FALSE(Enabled(ids::NextPage)) << "an account names one user";
            }
        }
    }

    std::uint64_t m_nextTag = 0;
    std::uint64_t m_searchTag[2] = {0, 0};
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
    std::mt19937 rng(seed);
    const int weights[kOps] = {6, 8, 14, 8, 16, 6, 3, 8, 4, 4, 3};
    std::discrete_distribution<int> pick(std::begin(weights), std::end(weights));
    int performed[kOps] = {};
    std::deque<std::string> history;  // printed when a step fails

    Start(true);
    for (int step = 0; step < kSteps && !HasFailure(); ++step) {
        const Op op = static_cast<Op>(pick(rng));
        watchdog.Step("soak step " + std::to_string(step) + ": " + kOpNames[op] + " (seed " +
                      std::to_string(seed) + ")");
        const bool formShown[2] = {Shown(ids::RadioNick) || Shown(ids::RadioCompany),
                                   Shown(ids::RadioZoneById)};
        const std::size_t queriesBefore = m_service.QueryCount();
        const int boxesBefore = g_boxes;
        Act(op, rng);
        ++performed[op];
        EXPECT_LE(g_boxes - boxesBefore, 1) << "step " << step << ": more than one box for one step";

        history.push_back("step " + std::to_string(step) + ": " + kOpNames[op] + " on tab " +
                          std::to_string(CurrentTab()) + (formShown[0] || formShown[1] ? " (form)" : "") +
                          ", boxes " + std::to_string(g_boxes - boxesBefore));
        // A query sent from a form starts that tab's search; one from a result view continues it.
        if (m_service.QueryCount() > queriesBefore) {
            history.back() += ", sent tag " + std::to_string(TagOf(m_service.Queries().back()));
            ASSERT_EQ(m_service.QueryCount(), queriesBefore + 1) << "step " << step;
            const QZP::SearchQuery query = m_service.Queries().back();
            const int t = query.IsUserQuery() ? 0 : 1;
            if (formShown[t])
                m_searchTag[t] = TagOf(query);
            else
                EXPECT_EQ(TagOf(query), m_searchTag[t]) << "step " << step << ": a re-query of another search";
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
    std::printf("\n");
    EXPECT_GT(server.Answered(), 500) << "the server took part";
}
