// The search window: two tabs (users, zones), each with a criteria form and a paged result list.
//
// Threads: every handler runs on the window's thread. The two result callbacks run on the
// protocol library's thread; they share the stores, the current tab as they read it and the
// new-record counts with the window thread under m_storeLock, and hand everything else over by
// posting WM_SEARCH_RESULT. The lock is held only around store accesses, never across a message
// box, a call into the client, a message sent to a window or the deletion of the command.
#pragma once

#include <mutex>
#include <string>
#include <vector>

#include "QZProtocol.h"
#include "Search.h"
#include "SearchRecords.h"
#include "SearchingDlg.h"
#include "SkinControls.h"

// A batch was merged (lParam 0), the query failed (-1) or found nothing (-2).
constexpr UINT WM_SEARCH_RESULT = WM_USER + 100;
// A batch arrived for a tab that is no longer shown: it was dropped, but the tab control and
// Back must come back to life.
constexpr UINT WM_SEARCH_BATCH_DROPPED = WM_USER + 101;

class CSearchDlg : public CCommonSkinDialog, public QZP::QZCommandSearchHandler {
public:
    CSearchDlg(QZP::QZTransmit* pTransmit, SearchResultHandler* pHandler, CWnd* pParent);
    ~CSearchDlg() override;

    // bReset: back to the default criteria of both tabs with tab bUserTab in front; otherwise
    // only the view is refreshed.
    void ResetSearch(bool bReset, bool bUserTab);

    BOOL PreTranslateMessage(MSG* pMsg) override;
    BOOL OnInitDialog() override;

    // Protocol thread.
    void OnSearchUserResult(bool ok, const UserInfoSet& batch) override;
    void OnSearchZoneResult(bool ok, const ZoneInfoSet& batch) override;

protected:
    void OnFind();
    void OnBack();
    void OnCloseButton();
    void OnTabSelChange(NMHDR* pNotify, LRESULT* pResult);
    LRESULT OnSearchResult(WPARAM wParam, LPARAM lParam);
    void OnAddFriend();
    void OnResultItemChanged(NMHDR* pNotify, LRESULT* pResult);
    void OnViewInfo();
    void OnPrevPage();
    void OnNextPage();
    void OnZoneRadio(UINT nID);
    void OnUserRadio(UINT nID);

    void PostNcDestroy() override;

    DECLARE_MESSAGE_MAP()

private:
    struct RowTexts {
        std::wstring columns[4];
    };
    struct SelectedRecord {
        std::uint64_t id = 0;
        std::wstring account;  // users only
    };

    void UpdateControls();
    void UpdatePageControls();
    void DoSearch();
    void ShowPage();
    LRESULT OnBatchDropped(WPARAM wParam, LPARAM lParam);

    void PlaceControls();
    template <class Set>
    void MergeResults(int nTab, bool ok, const Set& batch, Set& store);
    // The records of the current tab's page, as the list shows them.
    std::vector<RowTexts> ReadPage(int nTab, int nPage);
    int StoreSize(int nTab);
    void ClearStore(int nTab);
    // The record behind the current list's selected row; false when there is none.
    bool FindSelectedRecord(SelectedRecord& record);
    // Hands the selected row's record to the client: a user with its account, or a zone.
    using UserAction = void (SearchResultHandler::*)(std::uint64_t, const std::wstring&);
    using ZoneAction = void (SearchResultHandler::*)(std::uint64_t);
    void ActOnSelection(UserAction userAction, ZoneAction zoneAction);

public:
    // Controls, bound to the template's windows by OnInitDialog.
    CSkinListCtrl m_listUser;
    CSkinListCtrl m_listZone;
    CSkinRadio m_radioCompany;
    CSkinRadio m_radioOnline;
    CSkinRadio m_radioNick;
    CSkinRadio m_radioAccount;
    CSkinEdit m_editCompany;
    CSkinEdit m_editNick;
    CSkinEdit m_editAccount;
    CSkinTabCtrl m_tab;
    CSkinOwnerDrawButton m_btnBack;
    CSkinOwnerDrawButton m_btnFind;
    CSkinOwnerDrawButton m_btnClose;
    CSkinStatic m_staticPage;
    CSkinOwnerDrawButton m_btnPrevPage;
    CSkinOwnerDrawButton m_btnNextPage;
    CSkinOwnerDrawButton m_btnAdd;
    CSkinOwnerDrawButton m_btnView;
    CSkinRadio m_radioZoneById;
    CSkinRadio m_radioZoneByName;
    CSkinStatic m_staticIndustry;
    CSkinEdit m_editZoneId;
    CSkinEdit m_editZoneName;
    CSkinComboBox m_comboIndustry;
    CSkinStatic m_staticCriteria;
    CStatic m_separator;
    CSkinGroupBox m_groupExact;

    // View state; index 0 is the users tab, 1 the zones tab.
    int m_nCurTab;        // written under m_storeLock: the callbacks read it
    int m_nViewMode[2];   // 0 criteria form, 1 result list
    int m_nCurPage[2];    // zero-based page shown
    int m_nNewCount[2];   // records the last merged batch added; under m_storeLock
    CListCtrl* m_pList[2];

    QZP::QZCommandSearch* m_pSearchCmd;
    QZP::QZTransmit* m_pTransmit;
    SearchResultHandler* m_pResultHandler;

    UserInfoSet m_userStore;  // under m_storeLock
    ZoneInfoSet m_zoneStore;  // under m_storeLock
    std::vector<std::wstring> m_industries;
    CFont m_font;
    CSearchingDlg m_searchingDlg;

private:
    std::mutex m_storeLock;
    HWND m_hWndResults = nullptr;  // where the callbacks post; null once the window is gone
};
