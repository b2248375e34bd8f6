// Result arrival and paging: the callbacks merge batches on the protocol thread and hand over to
// the window thread by posting; the window thread shows the store ten rows a page.
#include "IdentifierText.h"
#include "ResultStore.h"
#include "SearchDlg.h"
#include "SearchStrings.h"
#include "SkinMessageBox.h"

namespace {
constexpr int kPageSize = 10;
constexpr LPARAM kBatchMerged = 0;
constexpr LPARAM kQueryFailed = -1;
constexpr LPARAM kNothingFound = -2;
}  // namespace

void CSearchDlg::OnSearchUserResult(bool ok, const UserInfoSet& batch) {
    MergeResults(0, ok, batch, m_userStore);
}

void CSearchDlg::OnSearchZoneResult(bool ok, const ZoneInfoSet& batch) {
    MergeResults(1, ok, batch, m_zoneStore);
}

// Protocol thread. Nothing here may send a message to a window: the window thread can be waiting
// for this thread (it deletes the command on the way out), so the callback only posts. The window
// thread enables Back and the tab control when it handles the post.
template <class Set>
void CSearchDlg::MergeResults(int nTab, bool ok, const Set& batch, Set& store) {
    std::lock_guard<std::mutex> lock(m_storeLock);
    if (!m_hWndResults) {
        // The window is gone (or not made yet): nothing will show these records.
        return;
    }
    if (!ok) {
        ::PostMessageW(m_hWndResults, WM_SEARCH_RESULT, 0, kQueryFailed);
        return;
    }
    if (batch.empty()) {
        ::PostMessageW(m_hWndResults, WM_SEARCH_RESULT, 0, kNothingFound);
        return;
    }
    if (m_nCurTab != nTab) {
        ::PostMessageW(m_hWndResults, WM_SEARCH_BATCH_DROPPED, 0, 0);
        return;
    }
    m_nNewCount[nTab] = MergeBatch(store, batch);
    ::PostMessageW(m_hWndResults, WM_SEARCH_RESULT, 0, kBatchMerged);
}

LRESULT CSearchDlg::OnBatchDropped(WPARAM, LPARAM) {
    m_btnBack.EnableWindow(TRUE);
    m_tab.EnableWindow(TRUE);
    return 0;
}

LRESULT CSearchDlg::OnSearchResult(WPARAM wParam, LPARAM lParam) {
    m_btnFind.SetWindowText(search_text::kFind);
    m_btnNextPage.SetWindowText(search_text::kNextPage);
    m_tab.EnableWindow(TRUE);
    if (wParam == 0) {
        switch (lParam) {
        case kNothingFound:
            SkinMessageBox(search_text::kNothingFound, search_text::kCaptionQueryFailed, 0);
            break;
        case kQueryFailed:
            SkinMessageBox(search_text::kServerTimeout, search_text::kCaptionQueryFailed, 0);
            break;
        case kBatchMerged:
            // What the merging callback would have done to the window itself.
            m_btnBack.EnableWindow(TRUE);
            ShowPage();
            return 0;
        default:
            break;
        }
    }
    m_btnFind.EnableWindow(TRUE);
    m_btnBack.EnableWindow(FALSE);
    return 0;
}

std::vector<CSearchDlg::RowTexts> CSearchDlg::ReadPage(int nTab, int nPage) {
    std::vector<RowTexts> rows;
    std::lock_guard<std::mutex> lock(m_storeLock);
    if (nTab == 0) {
        const auto [first, last] = PageRange(m_userStore, static_cast<std::size_t>(nPage));
        for (auto it = first; it != last; ++it)
            rows.push_back({{it->account, it->nickname, it->GetStateText(), it->company}});
    } else {
        const auto [first, last] = PageRange(m_zoneStore, static_cast<std::size_t>(nPage));
        for (auto it = first; it != last; ++it) {
            // Codes are indices into the client's list; anything beyond it is unknown.
            const std::wstring industry = it->industry < m_industries.size()
                                              ? m_industries[it->industry]
                                              : std::wstring(search_text::kUnknownIndustry);
            rows.push_back({{IdentifierToText(it->id), it->name, industry, std::wstring()}});
        }
    }
    return rows;
}

void CSearchDlg::ShowPage() {
    const int t = m_nCurTab;
    CListCtrl& list = *m_pList[t];

    // Advance only from a full page: a re-query from a short last page fills that page up.
    if (list.GetItemCount() == kPageSize)
        ++m_nCurPage[t];
    list.DeleteAllItems();

    // The rows are copied out under the lock and written after it: filling the list sends
    // notifications that come back into this object.
    const std::vector<RowTexts> rows = ReadPage(t, m_nCurPage[t]);
    const int columns = t == 0 ? 4 : 3;
    for (int r = 0; r < static_cast<int>(rows.size()); ++r) {
        list.InsertItem(r, rows[r].columns[0].c_str());
        for (int c = 1; c < columns; ++c)
            list.SetItemText(r, c, rows[r].columns[c].c_str());
    }

    m_nViewMode[t] = 1;
    UpdateControls();
    UpdatePageControls();
}

int CSearchDlg::StoreSize(int nTab) {
    std::lock_guard<std::mutex> lock(m_storeLock);
    return static_cast<int>(nTab == 0 ? m_userStore.size() : m_zoneStore.size());
}

void CSearchDlg::OnPrevPage() {
    const int t = m_nCurTab;
    // The button is only enabled above page 0; a stray click must not go below it.
    if (m_nCurPage[t] > 0)
        --m_nCurPage[t];
    m_pList[t]->DeleteAllItems();
    ShowPage();
}

void CSearchDlg::OnNextPage() {
    const int t = m_nCurTab;
    if ((m_nCurPage[t] + 1) * kPageSize < StoreSize(t))
        ShowPage();
    else
        DoSearch();
}
