// One tab's result model and the reply mailbox, driven by random steps and compared after every
// step with a plain model of the paging rules: a vector of records in arrival order, a set of the
// identifiers seen, the page number, the last batch's new-record count and the query state.
//
// The input is a sequence of steps, one byte naming the step and the bytes after it its
// arguments. A difference aborts with the steps taken so far, so the crash file replays it.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include <fuzzer/FuzzedDataProvider.h>

#include "SearchRecords.h"
#include "ReplyMailbox.h"
#include "TabResults.h"

namespace {

constexpr int kRows = 10;

// Identifiers from one byte: most from a small range, so batches overlap and repeat; the top
// sixteen values are the edges of the identifier type.
std::uint64_t IdFromByte(std::uint8_t b) {
    static constexpr std::uint64_t kEdges[16] = {
        0xFFFFFFFFFFFFFFFFull, 0xFFFFFFFFFFFFFFFEull, 0x8000000000000000ull, 0x7FFFFFFFFFFFFFFFull,
        0x100000000ull,        0xFFFFFFFFull,         0x80000000ull,         0x7FFFFFFFull,
        0x10000ull,            0xFFFFull,             1000000ull,            999999ull,
        0x4000000000000000ull, 0xFFFFFFFF00000000ull, 0x0123456789ABCDEFull, 0xFEDCBA9876543210ull,
    };
    return b >= 0xF0 ? kEdges[b - 0xF0] : b;
}

// A record's first-arrived fields, which a later copy of the same identifier must not replace.
struct RefRecord {
    std::uint64_t id;
    int tag;
};

struct Reference {
    std::vector<RefRecord> records;
    std::set<std::uint64_t> ids;
    int page = 0;
    int newCount = 0;
    int epoch = 0;  // bumped by Abandon and CancelQuery: replies received before are stale
    bool inFlight = false;
    bool shown = false;

    std::size_t Size() const { return records.size(); }
};

struct HeldReply {
    TabReply reply;
    int epoch;  // the reference's epoch when it was received
};

UserInfo MakeRecord(std::uint64_t id, int tag) {
    UserInfo user;
    user.id = id;
    // Presence states outside 2-4 as well: the state indexes must take any value.
    user.state = tag % 7;
    user.nickname = L"n" + std::to_wstring(tag);
    return user;
}

int TagOf(const UserInfo& user) { return std::stoi(user.nickname.substr(1)); }

class Run {
public:
    explicit Run(FuzzedDataProvider& in) : m_in(in) {}

    void Go() {
        while (m_in.remaining_bytes() > 0) {
            Step();
            ++m_step;
            CheckAll();
        }
    }

private:
    void Step() {
        switch (m_in.ConsumeIntegralInRange<int>(0, 15)) {
        case 0:
        case 1:
            ReceiveBatch();
            break;
        case 2:
            ReceiveEmptyOrFailed();
            break;
        case 3: {
            const bool shown = m_in.ConsumeBool();
            Trace(shown ? "SetShown(true)" : "SetShown(false)");
            m_results.SetShown(shown);
            m_ref.shown = shown;
            break;
        }
        case 4:
            Trace("BeginQuery");
            m_results.BeginQuery();
            m_ref.inFlight = true;
            break;
        case 5:
            Trace("Abandon");
            m_results.Abandon();
            ++m_ref.epoch;
            m_ref.inFlight = false;
            m_ref.records.clear();
            m_ref.ids.clear();
            m_ref.page = 0;
            m_ref.newCount = 0;
            break;
        case 6:
            Trace("CancelQuery");
            m_results.CancelQuery();
            ++m_ref.epoch;
            m_ref.inFlight = false;
            break;
        case 7:
        case 8:
            TakeReply();
            break;
        case 9:
            Advance(m_in.ConsumeBool() ? m_rowsShown : m_in.ConsumeIntegralInRange<int>(-2, 12));
            break;
        case 10:
            Trace("PreviousPage");
            m_results.PreviousPage();
            if (m_ref.page > 0) {
                --m_ref.page;
            }
            break;
        case 11:
            NextAsTheWindowDoes();
            break;
        case 12:
            Trace("Redraw");
            m_rowsShown = static_cast<int>(m_results.PageRecords().size());
            break;
        case 13:
            if (m_in.ConsumeBool()) {
                Trace("mailbox.Open");
                m_mailbox.Open();
                m_refOpen = true;
            } else {
                Trace("mailbox.Close");
                m_mailbox.Close();
                m_refOpen = false;
                m_refMailbox.clear();
            }
            break;
        default:
            Trace("Pager/Next/Rows read");
            break;  // reads only: CheckAll covers them
        }
    }

    // A batch as the protocol library hands it over: listed identifiers (repeats within the batch
    // keep their first copy) or a run of consecutive ones, to reach pages further out.
    void ReceiveBatch() {
        UserInfoSet batch;
        std::vector<RefRecord> listed;
        if (m_in.ConsumeBool()) {
            const int count = m_in.ConsumeIntegralInRange<int>(1, 24);
            for (int i = 0; i < count; ++i) {
                const std::uint64_t id = IdFromByte(m_in.ConsumeIntegral<std::uint8_t>());
                listed.push_back({id, ++m_nextTag});
            }
        } else {
            const std::uint64_t first = m_in.ConsumeIntegral<std::uint8_t>();
            const int count = m_in.ConsumeIntegralInRange<int>(1, 40);
            for (int i = 0; i < count; ++i) {
                listed.push_back({first + static_cast<std::uint64_t>(i), ++m_nextTag});
            }
        }
        for (const RefRecord& r : listed) {
            batch.push_back(MakeRecord(r.id, r.tag));
        }
        Trace("Receive(ok, " + std::to_string(listed.size()) + " listed from id " +
              std::to_string(listed.front().id) + ")");
        Receive(true, batch, listed);
    }

    void ReceiveEmptyOrFailed() {
        const bool ok = m_in.ConsumeBool();
        UserInfoSet batch;
        std::vector<RefRecord> listed;
        // A failure may still carry records; they must be ignored.
        if (!ok && m_in.ConsumeBool()) {
            listed.push_back({IdFromByte(m_in.ConsumeIntegral<std::uint8_t>()), ++m_nextTag});
            batch.push_back(MakeRecord(listed.back().id, listed.back().tag));
        }
        Trace(ok ? "Receive(ok, empty)" : "Receive(failed, " + std::to_string(listed.size()) + ")");
        Receive(ok, batch, ok ? listed : std::vector<RefRecord>{});
    }

    void Receive(bool ok, const UserInfoSet& batch, const std::vector<RefRecord>& listed) {
        ReplyKind expected;
        if (!ok) {
            expected = ReplyKind::Failed;
        } else if (listed.empty()) {
            expected = ReplyKind::NothingFound;
            m_ref.newCount = 0;
        } else if (!m_ref.shown) {
            expected = ReplyKind::Dropped;
        } else {
            expected = ReplyKind::Merged;
            int added = 0;
            for (const RefRecord& r : listed) {
                if (m_ref.ids.insert(r.id).second) {
                    m_ref.records.push_back(r);
                    ++added;
                }
            }
            m_ref.newCount = added;
        }
        const TabReply reply = m_results.Receive(ok, batch);
        Expect(reply.kind == expected, "reply kind", static_cast<long long>(expected),
               static_cast<long long>(reply.kind));

        // Either through the mailbox, as the window gets it, or held and taken at random.
        if (m_in.ConsumeBool()) {
            int posts = 0;
            const PostedReply posted{SearchTab::Users, reply};
            const bool left = m_mailbox.Leave(posted, [&](const PostedReply& p) {
                ++posts;
                Expect(p.reply.generation == reply.generation, "posted reply", 1, 0);
            });
            Expect(left == m_refOpen, "mailbox left", m_refOpen, left);
            Expect(posts == (m_refOpen ? 1 : 0), "posts", m_refOpen ? 1 : 0, posts);
            if (m_refOpen) {
                m_refMailbox.push_back({reply, m_ref.epoch});
            }
        } else {
            m_held.push_back({reply, m_ref.epoch});
        }
    }

    void TakeReply() {
        std::optional<HeldReply> held;
        if (m_in.ConsumeBool()) {
            Trace("mailbox.TakeOldest + Take");
            const std::optional<PostedReply> oldest = m_mailbox.TakeOldest();
            Expect(oldest.has_value() == !m_refMailbox.empty(), "mailbox had a reply",
                   !m_refMailbox.empty(), oldest.has_value());
            if (!oldest) {
                return;
            }
            held = m_refMailbox.front();
            m_refMailbox.pop_front();
            Expect(oldest->reply.generation == held->reply.generation &&
                       oldest->reply.kind == held->reply.kind,
                   "mailbox order", 1, 0);
        } else {
            if (m_held.empty()) {
                Trace("Take (none held)");
                return;
            }
            const std::size_t i = m_in.ConsumeIntegralInRange<std::size_t>(0, m_held.size() - 1);
            held = m_held[i];
            // Usually gone once taken; sometimes taken again, as a stray repeat would be.
            if (m_in.ConsumeBool()) {
                m_held.erase(m_held.begin() + static_cast<std::ptrdiff_t>(i));
            }
            Trace("Take held #" + std::to_string(i));
        }
        ReplyFate expected;
        if (held->epoch != m_ref.epoch) {
            expected = ReplyFate::Stale;
        } else if (!m_ref.inFlight) {
            expected = ReplyFate::Extra;
        } else {
            expected = ReplyFate::Answer;
            m_ref.inFlight = false;
        }
        const ReplyFate fate = m_results.Take(held->reply);
        Expect(fate == expected, "reply fate", static_cast<long long>(expected),
               static_cast<long long>(fate));
        // The window redraws after a merged answer, moving on from a full page.
        if (fate == ReplyFate::Answer && held->reply.kind == ReplyKind::Merged && m_in.ConsumeBool()) {
            Advance(m_rowsShown);
            m_rowsShown = static_cast<int>(m_results.PageRecords().size());
        }
    }

    void Advance(int rowsShown) {
        Trace("AdvanceFrom(" + std::to_string(rowsShown) + ")");
        bool expected = false;
        if (rowsShown == kRows && m_ref.Size() > static_cast<std::size_t>(m_ref.page + 1) * kRows) {
            ++m_ref.page;
            expected = true;
        }
        const bool moved = m_results.AdvanceFrom(rowsShown);
        Expect(moved == expected, "AdvanceFrom moved", expected, moved);
    }

    void NextAsTheWindowDoes() {
        if (m_results.Next() == NextStep::FromCache) {
            Advance(m_rowsShown);
            m_rowsShown = static_cast<int>(m_results.PageRecords().size());
        } else if (!m_results.QueryInFlight()) {
            Trace("Next -> BeginQuery");
            m_results.BeginQuery();
            m_ref.inFlight = true;
        }
    }

    void CheckAll() {
        const std::size_t size = m_ref.Size();
        Expect(m_results.Size() == size, "size", static_cast<long long>(size),
               static_cast<long long>(m_results.Size()));
        Expect(m_results.Page() == m_ref.page, "page", m_ref.page, m_results.Page());
        Expect(m_results.NewCount() == m_ref.newCount, "new count", m_ref.newCount,
               m_results.NewCount());
        Expect(m_results.QueryInFlight() == m_ref.inFlight, "in flight", m_ref.inFlight,
               m_results.QueryInFlight());

        std::size_t i = 0;
        m_results.ForEachRecord([&](const UserInfo& user) {
            Expect(i < size, "records", static_cast<long long>(size), static_cast<long long>(i + 1));
            Expect(user.id == m_ref.records[i].id, "id in arrival order",
                   static_cast<long long>(m_ref.records[i].id), static_cast<long long>(user.id));
            Expect(TagOf(user) == m_ref.records[i].tag, "first-arrived fields",
                   m_ref.records[i].tag, TagOf(user));
            ++i;
        });

        const std::size_t from = static_cast<std::size_t>(m_ref.page) * kRows;
        const std::vector<UserInfo> rows = m_results.PageRecords();
        const std::size_t expectedRows = size > from ? std::min<std::size_t>(kRows, size - from) : 0;
        Expect(rows.size() == expectedRows, "rows on the page", static_cast<long long>(expectedRows),
               static_cast<long long>(rows.size()));
        for (int r = -1; r <= kRows; ++r) {
            const std::optional<UserInfo> record = m_results.RecordAtRow(r);
            const bool exists = r >= 0 && r < kRows && from + static_cast<std::size_t>(r) < size;
            Expect(record.has_value() == exists, "row holds a record", exists, record.has_value());
            if (exists) {
                const RefRecord& want = m_ref.records[from + static_cast<std::size_t>(r)];
                Expect(record->id == want.id, "RecordAtRow id", static_cast<long long>(want.id),
                       static_cast<long long>(record->id));
                Expect(rows[static_cast<std::size_t>(r)].id == want.id, "PageRecords id",
                       static_cast<long long>(want.id),
                       static_cast<long long>(rows[static_cast<std::size_t>(r)].id));
            }
        }

        const NextStep step = (static_cast<std::size_t>(m_ref.page) + 1) * kRows < size
                                  ? NextStep::FromCache
                                  : NextStep::FromServer;
        Expect(m_results.Next() == step, "Next", static_cast<long long>(step),
               static_cast<long long>(m_results.Next()));

        const PagerState pager = m_results.Pager();
        Expect(pager.hasRecords == (size > 0), "pager has records", size > 0, pager.hasRecords);
        Expect(pager.pageNumber == m_ref.page + 1, "pager page number", m_ref.page + 1,
               pager.pageNumber);
        const bool previous = size > 0 && m_ref.page > 0;
        Expect(pager.previous == previous, "pager previous", previous, pager.previous);
        const bool next = size > from + kRows || (size > from && m_ref.newCount != 0);
        Expect(pager.next == next, "pager next", next, pager.next);

        Expect(m_mailbox.IsOpen() == m_refOpen, "mailbox open", m_refOpen, m_mailbox.IsOpen());
        Expect(m_mailbox.Waiting() == m_refMailbox.size(), "mailbox waiting",
               static_cast<long long>(m_refMailbox.size()),
               static_cast<long long>(m_mailbox.Waiting()));
    }

    void Trace(const std::string& step) { m_trace.push_back(step); }

    void Expect(bool ok, const char* what, long long expected, long long actual) {
        if (ok) {
            return;
        }
        std::fprintf(stderr, "after step %d: %s: expected %lld, got %lld\nsteps:\n", m_step, what,
                     expected, actual);
        for (std::size_t i = 0; i < m_trace.size(); ++i) {
            std::fprintf(stderr, "  %zu %s\n", i, m_trace[i].c_str());
        }
        std::abort();
    }

    FuzzedDataProvider& m_in;
    TabResults<UserInfoSet> m_results;
    ReplyMailbox m_mailbox;
    Reference m_ref;
    bool m_refOpen = false;
    std::deque<HeldReply> m_refMailbox;
    std::vector<HeldReply> m_held;
    int m_rowsShown = 0;
    int m_nextTag = 0;
    int m_step = 0;
    std::vector<std::string> m_trace;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider in(data, size);
    Run(in).Go();
    return 0;
}
