// Timings of the search window as a client meets it, under Wine: each figure is the median of
// repeated runs, set against a floor measured in the same run, the same way.
//
//   open        Search::StartSearch until the window is idle and painted, against CreateDialog of
//               template 129 from Search.dll with a dialog procedure that does nothing
//   page turn   a click on Next or Previous until the new page is painted, near the start of a
//               40,000-record store and in its middle, against refilling the same list control
//               of the bare dialog with ten rows
//   selection   a row selected in the results list (Add and View follow it) until the window is
//               painted, against selecting the same row of the bare dialog's list holding the same
//               ten rows
//   40k batch   from the moment the answer is handed to the protocol thread (its callback merges
//               it) until the first page is painted, against copying the same batch
//   merge wait  the longest a row selection on the window thread (it reads the selected record
//               under the store lock) takes while a 100,000-record batch is merged on the protocol
//               thread, against the longest the same selection takes over as long with no merge
//
// Driven only as a client drives the window: Search, the transport and a scripted service, and
// messages to the control IDs. Runs by hand, not by scripts/test:
//   scripts/with-wine wine build/windows/bin/window_timing.exe [--quick] [--only open|pages|select|batch|merge]
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "QZTransmit.h"
#include "RecordBuilders.h"
#include "Search.h"
#include "SearchWindow.h"
#include "SkinMessageBox.h"

namespace {

namespace ids = windriver::search_ids;

constexpr DWORD kTimeoutMs = 60000;

using Clock = std::chrono::steady_clock;

double MsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

[[noreturn]] void Fail(const std::string& what) {
    std::fprintf(stderr, "window_timing: %s\n", what.c_str());
    std::fflush(stderr);
    std::exit(1);
}

void Require(bool ok, const char* what) {
    if (!ok)
        Fail(what);
}

// A step of the driver's that could not be taken ends the run with its reason.
void Take(const windriver::Result& step) {
    if (!step)
        Fail(step.Why());
}

void PumpIdle() { windriver::PumpPending(); }

// ---- The client's side ----------------------------------------------------------------------

class QuietHandler : public SearchResultHandler {
public:
    void AddFriend(std::uint64_t, const std::wstring&) override {}
    void ViewUserInfo(std::uint64_t, const std::wstring&) override {}
    void JoinZone(std::uint64_t) override {}
    void ViewZoneInfo(std::uint64_t) override {}
    std::vector<std::wstring> GetIndustryList() override { return {L"软件", L"贸易"}; }
    bool IsFriend(std::uint64_t) override { return false; }
    bool IsZoneMember(std::uint64_t) override { return false; }
};

int g_boxes = 0;
// A message box here means a step went wrong; counting it keeps the run from stopping on a
// modal loop, and the step's own check then fails.
int CountBox(HWND, const wchar_t*, const wchar_t*, UINT) {
    ++g_boxes;
    return IDOK;
}

// ---- Figures ---------------------------------------------------------------------------------

double Median(std::vector<double> values) {
    if (values.empty())
        return 0.0;
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2.0;
}

struct Figure {
    std::string what;
    std::vector<double> ms;
    std::string floorWhat;
    std::vector<double> floorMs;
};

void PrintTable(const std::vector<Figure>& figures) {
    std::printf("\n%-40s %5s %11s   %-36s %11s %8s\n", "measure", "runs", "median ms", "floor",
                "median ms", "ratio");
    for (const Figure& f : figures) {
        const double m = Median(f.ms);
        const double floor = Median(f.floorMs);
        std::printf("%-40s %5zu %11.3f   %-36s %11.3f %7.1fx\n", f.what.c_str(), f.ms.size(), m,
                    f.floorWhat.c_str(), floor, floor > 0 ? m / floor : 0.0);
    }
}

INT_PTR CALLBACK BareDialogProc(HWND, UINT message, WPARAM, LPARAM) {
    return message == WM_INITDIALOG ? TRUE : FALSE;
}

// ---- The window, driven as a client drives it --------------------------------------------------

class Session {
public:
    Session() {
        QZP::TransportSettings settings;
        settings.selfId = 42;
        m_transmit = std::make_unique<QZP::QZTransmit>(m_service, settings);
        m_search = std::make_unique<Search>(m_transmit.get(), &m_handler);
    }
    ~Session() {
        m_search.reset();
        PumpIdle();
        m_transmit.reset();
    }

    void Open() {
        m_search->StartSearch(nullptr, true);
        PumpIdle();
        Require(m_driver.Dialog() != nullptr, "StartSearch showed no search window");
    }
    void Close() {
        m_search->StopSearch();
        PumpIdle();
    }

    HWND List() const { return m_driver.Control(ids::ListUser); }
    // As a user would: only a control that is shown and enabled. The timed steps pump themselves.
    void Click(int id) { Take(m_driver.Click(id)); }
    void SelectRow(int row) { Take(m_driver.SelectRow(ids::ListUser, row)); }

    // Waits for the query the last click sent to reach the service.
    void ExpectQuery() {
        Require(m_service.WaitForQueries(++m_queries, std::chrono::milliseconds(kTimeoutMs)),
                "no query reached the service");
        Require(m_service.PendingCount() == 1, "the query is not waiting for its answer");
    }
    void Answer(const UserInfoSet& batch) {
        Require(m_service.AnswerUsers(true, batch), "no query took the answer");
    }
    bool ProtocolBusy() const {
        return m_transmit->QueuedAnswers() != 0 || m_transmit->CallbackRunning();
    }
    bool ShowsPage(std::uint64_t firstId, const std::wstring& label) const {
        return !ProtocolBusy() && m_driver.RowCount(ids::ListUser) == 10 &&
               m_driver.Cell(ids::ListUser, 0, 0) == L"acc" + std::to_wstring(firstId) &&
               m_driver.Text(ids::PageLabel) == label;
    }
    void WaitForPage(std::uint64_t firstId, const std::wstring& label) {
        Require(windriver::PumpUntil([&] { return ShowsPage(firstId, label); }, kTimeoutMs),
                "the expected page never showed");
        PumpIdle();
    }

    // A nickname search from the form, answered with `batch`, its first page shown.
    void SearchFromForm(const UserInfoSet& batch) {
        Click(ids::RadioNick);
        Take(m_driver.Type(ids::EditNick, L"昵称"));
        Click(ids::Find);
        PumpIdle();
        ExpectQuery();
        Answer(batch);
        WaitForPage(batch.begin()->id, L"第1页");
    }
    void BackToForm() {
        Click(ids::Back);
        PumpIdle();
    }
    // Back, then Find with the same criteria: a new search whose query waits for its answer.
    void SearchAgain() {
        BackToForm();
        Click(ids::Find);
        PumpIdle();
        ExpectQuery();
    }

private:
    QZP::ScriptedService m_service;
    std::unique_ptr<QZP::QZTransmit> m_transmit;
    QuietHandler m_handler;
    std::unique_ptr<Search> m_search;
    // Settles nothing by itself: what a timed step pumps is part of what it measures.
    windriver::DialogDriver m_driver{&windriver::FindSearchWindow, [] {}};
    std::size_t m_queries = 0;
};

HWND OpenBareDialog(HINSTANCE module) {
    HWND bare = ::CreateDialogParamW(module, MAKEINTRESOURCEW(windriver::kSearchWindowTemplate), ::GetDesktopWindow(),
                                     &BareDialogProc, 0);
    Require(bare != nullptr, "CreateDialog of template 129 failed");
    PumpIdle();
    return bare;
}

// Template 129 holds the same list control; given the window's four columns, it is the floor of
// what a page turn must do to the screen.
void PrepareBareList(HWND bare) {
    HWND list = ::GetDlgItem(bare, ids::ListUser);
    const wchar_t* titles[] = {L"账号", L"昵称", L"状态", L"公司"};
    for (int c = 0; c < 4; ++c) {
        LVCOLUMNW column = {};
        column.mask = LVCF_TEXT | LVCF_WIDTH;
        column.cx = 80;
        column.pszText = const_cast<wchar_t*>(titles[c]);
        ::SendMessageW(list, LVM_INSERTCOLUMNW, c, reinterpret_cast<LPARAM>(&column));
    }
    ::ShowWindow(list, SW_SHOW);
    ::SetWindowPos(list, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    PumpIdle();
}

void FillBareList(HWND list, std::uint64_t firstId) {
    ::SendMessageW(list, LVM_DELETEALLITEMS, 0, 0);
    for (int r = 0; r < 10; ++r) {
        const UserInfo user = MakeUser(firstId + static_cast<std::uint64_t>(r));
        const std::wstring texts[] = {user.account, user.nickname, L"在线", user.company};
        LVITEMW item = {};
        item.mask = LVIF_TEXT;
        item.iItem = r;
        item.pszText = const_cast<wchar_t*>(texts[0].c_str());
        ::SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
        for (int c = 1; c < 4; ++c) {
            item.iSubItem = c;
            item.pszText = const_cast<wchar_t*>(texts[c].c_str());
            ::SendMessageW(list, LVM_SETITEMTEXTW, r, reinterpret_cast<LPARAM>(&item));
        }
    }
    PumpIdle();
}

void SelectBareRow(HWND list, int row) {
    LVITEMW item = {};
    item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    item.state = LVIS_SELECTED | LVIS_FOCUSED;
    ::SendMessageW(list, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
    PumpIdle();
}

std::wstring PageLabel(int pageIndex) { return L"第" + std::to_wstring(pageIndex + 1) + L"页"; }

struct Options {
    int openRuns = 21;
    int pageRuns = 31;
    int batchRuns = 9;
    int mergeRuns = 7;
};

Figure MeasureOpen(const Options& o, HINSTANCE module) {
    Figure f{"open the window (StartSearch)", {}, "CreateDialog of template 129", {}};
    Session session;
    // One of each first: the first window of a process pays for class registration and fonts.
    session.Open();
    session.Close();
    ::DestroyWindow(OpenBareDialog(module));
    PumpIdle();
    for (int i = 0; i < o.openRuns; ++i) {
        auto start = Clock::now();
        session.Open();
        f.ms.push_back(MsSince(start));
        session.Close();

        start = Clock::now();
        HWND bare = OpenBareDialog(module);
        f.floorMs.push_back(MsSince(start));
        ::DestroyWindow(bare);
        PumpIdle();
    }
    return f;
}

std::vector<Figure> MeasurePageTurns(const Options& o, HINSTANCE module) {
    constexpr int kStore = 40000;
    constexpr int kMiddlePage = kStore / 10 / 2;
    Session session;
    session.Open();
    std::printf("filling a %d-record store...\n", kStore);
    session.SearchFromForm(Users(1, kStore));

    HWND bare = OpenBareDialog(module);
    ::SetWindowPos(bare, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOACTIVATE);
    PrepareBareList(bare);
    HWND bareList = ::GetDlgItem(bare, ids::ListUser);

    Figure nextStart{"Next near the start (page 1 to 2)", {}, "ten rows into the bare list", {}};
    Figure prevStart{"Previous near the start (page 2 to 1)", {}, "ten rows into the bare list", {}};
    Figure nextMiddle{"Next in the middle (page 2001 to 2002)", {}, "ten rows into the bare list", {}};
    Figure prevMiddle{"Previous in the middle (2002 to 2001)", {}, "ten rows into the bare list", {}};

    auto turns = [&](int fromPage, Figure& next, Figure& previous) {
        const std::uint64_t first = static_cast<std::uint64_t>(fromPage) * 10 + 1;
        for (int i = 0; i < o.pageRuns; ++i) {
            auto start = Clock::now();
            session.Click(ids::NextPage);
            PumpIdle();
            next.ms.push_back(MsSince(start));
            Require(session.ShowsPage(first + 10, PageLabel(fromPage + 1)), "Next showed the wrong page");

            start = Clock::now();
            FillBareList(bareList, first + 10);
            next.floorMs.push_back(MsSince(start));

            start = Clock::now();
            session.Click(ids::PrevPage);
            PumpIdle();
            previous.ms.push_back(MsSince(start));
            Require(session.ShowsPage(first, PageLabel(fromPage)), "Previous showed the wrong page");

            start = Clock::now();
            FillBareList(bareList, first);
            previous.floorMs.push_back(MsSince(start));
        }
    };
    // Warm both paths once, then the pages near the start.
    session.Click(ids::NextPage);
    session.Click(ids::PrevPage);
    FillBareList(bareList, 1);
    PumpIdle();
    turns(0, nextStart, prevStart);

    std::printf("paging to page %d...\n", kMiddlePage + 1);
    for (int p = 0; p < kMiddlePage; ++p) {
        session.Click(ids::NextPage);
        PumpIdle();
    }
    Require(session.ShowsPage(static_cast<std::uint64_t>(kMiddlePage) * 10 + 1,
                              PageLabel(kMiddlePage)),
            "paging to the middle ended on the wrong page");
    turns(kMiddlePage, nextMiddle, prevMiddle);

    ::DestroyWindow(bare);
    session.Close();
    return {nextStart, prevStart, nextMiddle, prevMiddle};
}

// Each selection enables or disables Add and View, whose buttons repaint and ask the dialog for
// their colours.
Figure MeasureSelection(const Options& o, HINSTANCE module) {
    Figure f{"select a row (page 1)", {}, "select the row in the bare list", {}};
    Session session;
    session.Open();
    session.SearchFromForm(Users(1, 40));
    HWND bare = OpenBareDialog(module);
    ::SetWindowPos(bare, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOACTIVATE);
    PrepareBareList(bare);
    HWND bareList = ::GetDlgItem(bare, ids::ListUser);
    FillBareList(bareList, 1);
    // Rows three apart, so that each selection moves; both lists show the same ten rows.
    for (int i = 0; i < o.pageRuns * 2 + 1; ++i) {
        const int row = (i * 3) % 10;
        auto start = Clock::now();
        session.SelectRow(row);
        PumpIdle();
        const double ms = MsSince(start);
        start = Clock::now();
        SelectBareRow(bareList, row);
        const double floorMs = MsSince(start);
        if (i == 0)
            continue;  // the first of each warms its path
        f.ms.push_back(ms);
        f.floorMs.push_back(floorMs);
    }
    ::DestroyWindow(bare);
    session.Close();
    return f;
}

Figure MeasureBatchToFirstPage(const Options& o) {
    constexpr int kBatch = 40000;
    Figure f{"40k batch: callback to first page", {}, "copy of the 40k batch", {}};
    const UserInfoSet batch = Users(500001, kBatch);
    Session session;
    session.Open();
    session.SearchFromForm(Users(1, 10));
    std::vector<double> handOver;
    for (int i = 0; i < o.batchRuns; ++i) {
        session.SearchAgain();

        auto start = Clock::now();
        {
            const UserInfoSet copy = batch;
            f.floorMs.push_back(MsSince(start));
        }

        start = Clock::now();
        session.Answer(batch);  // the stand-in service copies the batch here, on this thread
        handOver.push_back(MsSince(start));
        start = Clock::now();
        session.WaitForPage(500001, L"第1页");
        f.ms.push_back(MsSince(start));
    }
    std::printf("40k batch: handing it to the transport took %.3f ms (median), before the timed part\n",
                Median(handOver));
    session.Close();
    return f;
}

Figure MeasureMergeWait(const Options& o) {
    constexpr int kBatch = 100000;
    Figure f{"longest wait on the store, 100k merge", {}, "same selections, no merge", {}};
    const UserInfoSet batch = Users(1000001, kBatch);
    Session session;
    session.Open();
    session.SearchFromForm(Users(1, 10));
    std::vector<double> spans;
    std::vector<double> counts;
    for (int i = 0; i < o.mergeRuns; ++i) {
        if (i > 0) {
            session.SearchAgain();
            session.Answer(Users(1, 10));
            session.WaitForPage(1, L"第1页");
        }
        // A full page whose batch brought new records: Next asks the server for more.
        session.Click(ids::NextPage);
        PumpIdle();
        session.ExpectQuery();

        double longest = 0.0;
        int selections = 0;
        session.Answer(batch);
        const auto mergeStart = Clock::now();
        while (session.ProtocolBusy()) {
            const auto start = Clock::now();
            session.SelectRow(selections % 10);  // LVN_ITEMCHANGED reads the record under the lock
            longest = std::max(longest, MsSince(start));
            ++selections;
        }
        const double span = MsSince(mergeStart);
        f.ms.push_back(longest);
        spans.push_back(span);
        counts.push_back(selections);
        // The page moves on from the full first page onto the batch's first records.
        session.WaitForPage(1000001, L"第2页");

        // The same selections for as long (and at least as many), nothing merging.
        double quietLongest = 0.0;
        const auto quietStart = Clock::now();
        for (int n = 0; n < selections || MsSince(quietStart) < span; ++n) {
            const auto start = Clock::now();
            session.SelectRow(n % 10);
            quietLongest = std::max(quietLongest, MsSince(start));
        }
        f.floorMs.push_back(quietLongest);
        PumpIdle();
    }
    std::printf("100k merge: protocol thread busy %.1f ms (median), %.0f selections during it (median)\n",
                Median(spans), Median(counts));
    session.Close();
    return f;
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    std::string only;
    const auto usage = [] {
        std::fprintf(stderr, "usage: window_timing.exe [--quick] [--only open|pages|select|batch|merge]\n");
        return 2;
    };
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--quick") == 0) {
            options = Options{5, 7, 3, 3};
        } else if (std::strcmp(argv[i], "--only") == 0 && i + 1 < argc) {
            only = argv[++i];
            if (only != "open" && only != "pages" && only != "select" && only != "batch" && only != "merge")
                return usage();
        } else {
            return usage();
        }
    }
    const auto wanted = [&only](const char* figure) { return only.empty() || only == figure; };
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_LISTVIEW_CLASSES | ICC_TAB_CLASSES};
    ::InitCommonControlsEx(&controls);
    SetSkinMessageBoxPresenter(&CountBox);
    HINSTANCE module = ::GetModuleHandleW(L"Search.dll");
    Require(module != nullptr, "Search.dll is not loaded");

    std::vector<Figure> figures;
    if (wanted("open"))
        figures.push_back(MeasureOpen(options, module));
    if (wanted("pages")) {
        for (Figure& f : MeasurePageTurns(options, module))
            figures.push_back(std::move(f));
    }
    if (wanted("select"))
        figures.push_back(MeasureSelection(options, module));
    if (wanted("batch"))
        figures.push_back(MeasureBatchToFirstPage(options));
    if (wanted("merge"))
        figures.push_back(MeasureMergeWait(options));
    Require(g_boxes == 0, "a message box came up during the runs");
    PrintTable(figures);
    return 0;
}
