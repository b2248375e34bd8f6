// Batches arrive on the protocol thread while the window thread goes back, switches tabs, pages,
// resets and stops, many times over. Nothing may crash or hang, and every store must keep each
// identifier once, in arrival order.
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <thread>

#include "SearchWindowFixture.h"
#include "Watchdog.h"

namespace {
// Identifiers of the rows a list shows, from their "acc<id>" or decimal texts.
std::vector<std::uint64_t> RowIds(HWND list, bool users) {
    std::vector<std::uint64_t> result;
    const int rows = static_cast<int>(::SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
    for (int r = 0; r < rows; ++r) {
        const std::wstring text = windriver::ListCellText(list, r, 0);
        result.push_back(std::wcstoull(text.c_str() + (users ? 3 : 0), nullptr, 10));
    }
    return result;
}
}  // namespace

TEST_F(SearchWindowTest, WindowThreadAndProtocolThreadNeverTripEachOther) {
    m_handler.industries = {L"金融", L"制造"};
    wintest::Watchdog watchdog(180000);

    // Each answer k carries identifiers k*7 .. k*7+9: it repeats three of the one before, and
    // every identifier is larger than any earlier answer's new ones. A store that keeps each
    // identifier once in arrival order therefore always reads strictly increasing.
    std::atomic<bool> stop{false};
    std::atomic<int> answered{0};
    std::thread protocol([&] {
        std::size_t next = 0;
        std::uint64_t k = 1;
        while (!stop.load()) {
            QZP::SearchRequestPtr request = m_service.Request(next);
            if (!request) {
                std::this_thread::yield();
                continue;
            }
            ++next;
            ++k;
            if (k % 11 == 0) {
                request->Fail();
            } else if (request->Query().IsUserQuery()) {
                request->AnswerUsers(true, k % 13 == 0 ? UserInfoSet() : Users(k * 7, 10));
            } else {
                request->AnswerZones(true, k % 13 == 0 ? ZoneInfoSet() : Zones(k * 7, 10, k % 3));
            }
            ++answered;
        }
    });

    // Check states are set directly: a click on a hidden auto radio button never returns (the
    // platform walks its group looking for it among the visible ones).
    auto fillForms = [this] {
        ::SendMessageW(Control(ids::RadioCompany), BM_SETCHECK, BST_UNCHECKED, 0);
        ::SendMessageW(Control(ids::RadioNick), BM_SETCHECK, BST_CHECKED, 0);
        ::SendMessageW(Control(ids::EditNick), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"王"));
        ::SendMessageW(Control(ids::EditZoneId), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"77"));
    };
    auto checkLists = [this] {
        for (int list : {ids::ListUser, ids::ListZone}) {
            const std::vector<std::uint64_t> rows = RowIds(Control(list), list == ids::ListUser);
            for (std::size_t i = 1; i < rows.size(); ++i)
                ASSERT_LT(rows[i - 1], rows[i]) << "list " << list << " row " << i;
        }
    };

    Start(true);
    fillForms();
    std::uint32_t seed = 12345;
    for (int step = 0; step < 1500; ++step) {
        seed = seed * 1103515245u + 12345u;
        switch ((seed >> 16) % 12) {
        case 0: case 1: case 2:
            ::SendMessageW(Control(ids::Find), BM_CLICK, 0, 0);
            break;
        case 3: case 4:
            ::SendMessageW(Control(ids::NextPage), BM_CLICK, 0, 0);
            break;
        case 5:
            ::SendMessageW(Control(ids::PrevPage), BM_CLICK, 0, 0);
            break;
        case 6:
            ::SendMessageW(Control(ids::Back), BM_CLICK, 0, 0);
            break;
        case 7:
            windriver::ClickTabItem(Control(ids::Tab), static_cast<int>((seed >> 8) & 1));
            break;
        case 8: {
            LVITEMW item = {};
            item.stateMask = item.state = LVIS_SELECTED;
            ::SendMessageW(Control(Shown(ids::ListZone) ? ids::ListZone : ids::ListUser),
                           LVM_SETITEMSTATE, (seed >> 4) % 10, reinterpret_cast<LPARAM>(&item));
            ::SendMessageW(Control(ids::Add), BM_CLICK, 0, 0);
            break;
        }
        case 9:
            ::SendMessageW(Control(ids::Close), BM_CLICK, 0, 0);
            m_search->StartSearch(nullptr, (seed >> 8) & 1);
            fillForms();
            break;
        case 10:
            if ((seed >> 9) % 4 == 0) {
                m_search->StopSearch();
                m_search->StartSearch(nullptr, true);
                fillForms();
            }
            break;
        default:
            m_search->StartSearch(nullptr, true);
            break;
        }
        if (std::getenv("SEARCH_TRACE"))
            std::fprintf(stderr, "step %d action %u\n", step, (seed >> 16) % 12);
        windriver::PumpPending();
        checkLists();
        if (HasFatalFailure())
            break;
    }
    stop = true;
    protocol.join();
    EXPECT_GT(answered.load(), 100) << "the protocol thread really took part";
    m_search->StopSearch();
    windriver::PumpPending();
}
