// The result side of one tab of the search window: its store, the page shown, what the last batch
// added, and which replies still belong to the search the user is looking at. The search session
// holds one per tab.
//
// Threads. Receive runs on the protocol library's thread; everything else on the window thread.
// Every member is guarded by one lock, held only inside these functions and never while the
// caller draws, shows a box or calls into the client.
//
// Generations. Each reply is stamped with the generation it was received in, and the window thread
// takes it only if the generation is still current. Abandon (Back, reset) and CancelQuery start a
// new generation, so a reply already merged, or merged and posted but not yet handled, is
// recognised as stale wherever it is, and a merge still running stops at its next slice. A reply
// that has not yet been received when the search is abandoned cannot be told apart here: the
// session makes sure none arrives afterwards by having the search command replaced (its destructor
// waits for a running callback and cancels the rest) before it calls Abandon.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <iterator>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

#include "ResultStore.h"

// Rows of one page of results.
constexpr std::size_t kResultRowsPerPage = 10;

// What a result callback made of one reply. The window handles it when the post that carries it
// arrives.
enum class ReplyKind {
    Merged,        // a batch went into the store (possibly adding nothing new)
    Failed,        // the query failed
    NothingFound,  // the server had no (more) records
    Dropped,       // a batch for a tab that is not in front; not merged
};

struct TabReply {
    std::uint64_t generation = 0;
    ReplyKind kind = ReplyKind::Merged;
    bool mergeFailed = false;  // Failed because copying the batch threw, not because the server said so
};

// How the window thread should treat a reply it takes.
enum class ReplyFate {
    Stale,   // its search was abandoned: change nothing, show nothing
    Answer,  // the answer to the query in flight: the busy state ends
    Extra,   // a further reply to a query already answered: its records count, nothing to report
};

// Where Next page goes from the page shown.
enum class NextStep { FromCache, FromServer };

struct PagerState {
    bool hasRecords = false;  // false: the label says there are none
    int pageNumber = 1;       // one-based, for the label
    bool previous = false;
    bool next = false;
    bool inFlight = false;  // a query of this tab is out (QueryInFlight)
};

template <class Set>
class TabResults {
public:
    using Record = typename Set::value_type;
    static constexpr int kPageSize = static_cast<int>(kResultRowsPerPage);

    TabResults() : m_first(m_store.end()) {}
    TabResults(const TabResults&) = delete;
    TabResults& operator=(const TabResults&) = delete;

    // ---- protocol thread -------------------------------------------------------------------

    // A reply to one of this tab's queries. A successful non-empty batch is merged while the tab is
    // in front and dropped otherwise; an empty one means the server has nothing more, so the
    // new-record count drops to 0; a failure changes nothing.
    //
    // A batch is merged a slice at a time, the lock taken for each slice only, so the window
    // thread never waits longer than one slice, however large the batch. Between slices the
    // store only grows at its end, which every reader copes with. When the search is abandoned
    // or cancelled meanwhile, the merge stops and takes its records out again (Abandon may
    // already have); when a copy throws, the same, and the reply is a failure (mergeFailed).
    TabReply Receive(bool ok, const Set& batch) {
        std::lock_guard<std::mutex> merging(m_mergeMutex);  // one merge at a time
        TabReply reply;
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            reply.generation = m_generation;
            if (!ok) {
                reply.kind = ReplyKind::Failed;
                return reply;
            }
            if (batch.empty()) {
                reply.kind = ReplyKind::NothingFound;
                m_newCount = 0;
                return reply;
            }
            if (!m_shown) {
                reply.kind = ReplyKind::Dropped;
                return reply;
            }
        }
        reply.kind = ReplyKind::Merged;
        std::size_t added = 0;
        try {
            if (!MergeSlices(batch, reply.generation, added))
                return reply;  // abandoned meanwhile: the records are out again
        } catch (...) {
            // A copy failed (an allocation, as a rule): the batch goes back out whole and the
            // query counts as failed. Nothing is thrown at the protocol library's thread.
            std::lock_guard<std::mutex> lock(m_mutex);
            TakeBackLast(added);
            reply.kind = ReplyKind::Failed;
            reply.mergeFailed = true;
            return reply;
        }
        std::lock_guard<std::mutex> lock(m_mutex);
        if (m_generation != reply.generation)
            TakeBackLast(added);
        else
            m_newCount = static_cast<int>(added);
        return reply;
    }

    // ---- window thread ---------------------------------------------------------------------

    // Whether this tab is the one in front; batches for a tab behind are not merged.
    void SetShown(bool shown) {
        WindowLock lock(*this);
        m_shown = shown;
    }

    // A query of this tab was sent; the tab is busy until its answer is taken or it is abandoned.
    void BeginQuery() {
        WindowLock lock(*this);
        m_inFlight = true;
    }

    bool QueryInFlight() const {
        WindowLock lock(*this);
        return m_inFlight;
    }

    // Back or reset: the search is over. Its records, page and count go, and no reply of it will
    // be taken.
    void Abandon() {
        WindowLock lock(*this);
        NewGeneration();
        m_store.clear();
        m_page = 0;
        m_first = m_store.end();
        m_newCount = 0;
    }

    // The query in flight can no longer be answered (its command was replaced), but the records
    // shown stay.
    void CancelQuery() {
        WindowLock lock(*this);
        NewGeneration();
    }

    ReplyFate Take(const TabReply& reply) {
        WindowLock lock(*this);
        if (reply.generation != m_generation)
            return ReplyFate::Stale;
        if (!m_inFlight)
            return ReplyFate::Extra;
        m_inFlight = false;
        return ReplyFate::Answer;
    }

    // Moves on to the following page when the page as last shown (rowsShown records, which the
    // caller keeps) was full and the store holds records beyond it; otherwise the page shown is
    // shown again (filled up, if records came). So a page is never left for an empty one.
    bool AdvanceFrom(int rowsShown) {
        WindowLock lock(*this);
        const std::size_t next = (static_cast<std::size_t>(m_page) + 1) * kResultRowsPerPage;
        if (rowsShown != kPageSize || m_store.size() <= next)
            return false;
        m_first = std::next(FirstOfPage(), kPageSize);
        ++m_page;
        return true;
    }

    void PreviousPage() {
        WindowLock lock(*this);
        if (m_page == 0)
            return;
        m_first = std::prev(m_first, kPageSize);
        --m_page;
    }

    NextStep Next() const {
        WindowLock lock(*this);
        return (static_cast<std::size_t>(m_page) + 1) * kResultRowsPerPage < m_store.size()
                   ? NextStep::FromCache
                   : NextStep::FromServer;
    }

    // Copies of the records on the page shown, at most ten. The walk starts at the page, so it
    // costs the page's rows whatever the page's position in the store.
    std::vector<Record> PageRecords() const {
        WindowLock lock(*this);
        std::vector<Record> rows;
        rows.reserve(kResultRowsPerPage);
        auto it = FirstOfPage();
        for (int r = 0; r < kPageSize && it != m_store.end(); ++r, ++it)
            rows.push_back(*it);
        return rows;
    }

    // How many records the page shown holds now, at most ten.
    int RowsOnPage() const {
        WindowLock lock(*this);
        int rows = 0;
        for (auto it = FirstOfPage(); rows < kPageSize && it != m_store.end(); ++it)
            ++rows;
        return rows;
    }

    // A copy of the record in row `row` of the page shown; none when the row holds no record.
    std::optional<Record> RecordAtRow(int row) const {
        WindowLock lock(*this);
        if (row < 0 || row >= kPageSize)
            return std::nullopt;
        auto it = FirstOfPage();
        for (int r = 0; r < row && it != m_store.end(); ++r)
            ++it;
        if (it == m_store.end())
            return std::nullopt;
        return *it;
    }

    // Previous while above the first page; Next while the cache holds rows beyond this page, or
    // this page is not empty and the last batch brought something new (the server may have more).
    // Read under one hold of the lock with whether a query is out, so that drawing the tab waits
    // for a merge at most once.
    PagerState Pager() const {
        WindowLock lock(*this);
        const std::size_t n = m_store.size();
        const std::size_t shownFrom = static_cast<std::size_t>(m_page) * kResultRowsPerPage;
        PagerState pager;
        pager.hasRecords = n > 0;
        pager.pageNumber = m_page + 1;
        pager.previous = n > 0 && m_page > 0;
        pager.next = n > shownFrom + kResultRowsPerPage || (n > shownFrom && m_newCount != 0);
        pager.inFlight = m_inFlight;
        return pager;
    }

    int Page() const {
        WindowLock lock(*this);
        return m_page;
    }
    int NewCount() const {
        WindowLock lock(*this);
        return m_newCount;
    }
    std::size_t Size() const {
        WindowLock lock(*this);
        return m_store.size();
    }
    // How many times records were taken back out of the store (a merge cancelled or failed):
    // whatever the window drew of this tab since may show records that are gone.
    std::uint64_t TakeBacks() const {
        WindowLock lock(*this);
        return m_takeBacks;
    }
    std::uint64_t Generation() const {
        WindowLock lock(*this);
        return m_generation;
    }
    // Every identifier in arrival order, for checks of the store's invariants.
    template <class Fn>
    void ForEachRecord(Fn fn) const {
        WindowLock lock(*this);
        for (const Record& record : m_store)
            fn(record);
    }

private:
    // The window thread's hold of the lock: it says that it is waiting, so that a merge lets it
    // in between two slices.
    class WindowLock {
    public:
        explicit WindowLock(const TabResults& results) : m_results(results) {
            m_results.m_windowWaiting.fetch_add(1, std::memory_order_acq_rel);
            m_results.m_mutex.lock();
            m_results.m_windowWaiting.fetch_sub(1, std::memory_order_acq_rel);
        }
        ~WindowLock() { m_results.m_mutex.unlock(); }
        WindowLock(const WindowLock&) = delete;
        WindowLock& operator=(const WindowLock&) = delete;

    private:
        const TabResults& m_results;
    };

    // Records merged per hold of the lock.
    static constexpr std::size_t kMergeSlice = 256;

    // The batch into the store, a slice at a time; `added` counts the records it added so far.
    // False when the search of `generation` was abandoned meanwhile (its records are out again).
    // Throws when a copy does, leaving in the store what it added.
    bool MergeSlices(const Set& batch, std::uint64_t generation, std::size_t& added) {
        auto next = batch.begin();
        std::vector<Record> slice;
        slice.reserve(kMergeSlice);
        while (next != batch.end()) {
            // The records are copied before the lock is taken: the window thread waits only for
            // their insertion, which moves them.
            slice.clear();
            for (; slice.size() < kMergeSlice && next != batch.end(); ++next)
                slice.push_back(*next);
            // A window thread waiting for the lock goes first: this loop would otherwise take the
            // lock straight back, slice after slice, before a waiter is woken.
            while (m_windowWaiting.load(std::memory_order_acquire) > 0)
                std::this_thread::yield();
            std::lock_guard<std::mutex> lock(m_mutex);
            if (m_generation != generation) {
                TakeBackLast(added);
                return false;
            }
            AppendRecords(m_store, std::make_move_iterator(slice.begin()), std::make_move_iterator(slice.end()),
                          kMergeSlice, added);
        }
        return true;
    }

    // Takes out the last `added` records, which the merge running now appended (merges are one at
    // a time and nothing else appends). A store emptied by Abandon meanwhile has none of them.
    // Lock held.
    void TakeBackLast(std::size_t added) {
        if (added == 0 || m_store.size() < added)
            return;
        RemoveLast(m_store, added);
        ++m_takeBacks;
        // A page turned onto those records meanwhile goes back to the last page that is left.
        if (m_page > 0 && static_cast<std::size_t>(m_page) * kResultRowsPerPage >= m_store.size()) {
            m_page = m_store.empty() ? 0 : static_cast<int>((m_store.size() - 1) / kResultRowsPerPage);
            m_first = std::next(m_store.begin(),
                                static_cast<std::ptrdiff_t>(m_page * kResultRowsPerPage));
        }
    }

    void NewGeneration() {
        ++m_generation;
        m_inFlight = false;
    }

    // Page 0 always starts at begin(): the store may have been empty (first == end()) when the
    // page was taken, and records appended since then come before end(). Later pages are entered
    // only over records that exist, and sequenced positions survive appends.
    typename Set::const_iterator FirstOfPage() const {
        return m_page == 0 ? m_store.begin() : m_first;
    }

    std::mutex m_mergeMutex;  // taken before m_mutex, by Receive only
    mutable std::mutex m_mutex;
    mutable std::atomic<int> m_windowWaiting{0};  // window threads waiting for m_mutex
    Set m_store;
    int m_page = 0;
    typename Set::const_iterator m_first;  // first record of the page shown, when m_page > 0
    int m_newCount = 0;
    std::uint64_t m_takeBacks = 0;
    std::uint64_t m_generation = 1;
    bool m_inFlight = false;
    bool m_shown = false;
};
