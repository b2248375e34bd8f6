// The search window: two tabs (users, zones), each with a criteria form and a paged result list.
//
// Threads: every handler runs on the window's thread. The two result callbacks run on the
// protocol library's thread; each hands its batch to its tab's TabResults (which keeps the store,
// the page and the new-record count under its own lock) and leaves the outcome in m_replies with a
// post of WM_SEARCH_RESULT. The window thread takes the reply when the post arrives and draws.
// No lock is held across a message box, a call into the client, a message sent to a window or the
// deletion of the command.
#pragma once

#include <string>
#include <vector>

#include "QZProtocol.h"
#include "Search.h"
#include "SearchRecords.h"
#include "SearchingDlg.h"
#include "SkinControls.h"
#include "TabResults.h"

// A batch was merged (lParam 0), the query failed (-1) or found nothing (-2). The reply itself
// waits in the dialog's mailbox; the window takes the oldest one for each of these messages.
constexpr UINT WM_SEARCH_RESULT = WM_USER + 100;
// The same hand-over for a batch that arrived for a tab no longer shown, and was dropped.
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

    // Destroys the window and deletes the object: at once, or, when called from inside one of
    // this window's own handlers (a client stopping the search from a message it handles while
    // a box of ours is up, say), as soon as that handler has returned.
    void Dispose();

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
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

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
    void ShowPageOf(int nTab);
    LRESULT OnBatchDropped(WPARAM wParam, LPARAM lParam);

    // Pixels of the layout, given for 96 DPI, at the window's DPI.
    class LayoutScale {
    public:
        explicit LayoutScale(UINT nDpi);
        int operator()(int nPixelsAt96) const;

    private:
        int m_nDpi;
    };
    // The steps of OnInitDialog, in their order.
    void CreateDialogFont(const LayoutScale& scale);
    void SetWindowIcons();
    void BindTab();
    static CSkinStatic::SkinStaticInfo PageLabelSkin();
    void BindControls();
    static CSkinComboBox::SkinComboBoxInfo IndustryBoxSkin();
    static CSkinGroupBox::SkinGroupBoxInfo GroupBoxSkin();
    void LimitEdits();
    void ApplyDialogFont();
    void BuildListColumns(const LayoutScale& scale);
    void BuildTabItems();
    void FillIndustries();
    void PlaceControls(const LayoutScale& scale);
    void SizeWindow(const LayoutScale& scale);
    // Where the keyboard starts in the view shown: the edit of the checked radio in a form, the
    // list in a result view; null when nothing there can take it.
    CWnd* ViewFocusControl();
    template <class Set>
    void ReceiveResults(int nTab, TabResults<Set>& results, bool ok, const Set& batch);
    // Takes the oldest reply the callbacks left and acts on it.
    void HandleNextReply();
    void ShowFailure(int nTab, const wchar_t* text);
    // Fills tab nTab's list with the page its results say is shown.
    void FillList(int nTab);
    std::vector<RowTexts> ReadPage(int nTab);
    // Runs fn on tab nTab's results, whichever record type they hold.
    template <class Fn>
    decltype(auto) WithResults(int nTab, Fn fn);
    bool QueryInFlight() const;
    // Abandons every query in flight: a fresh command takes over, so the library starts a new
    // search even for the same criteria, and no reply of the old one is taken.
    void RenewCommand();
    // Back: tab nTab's search ends, the other tab keeps its results. Reset: both end.
    void AbandonSearch(int nTab);
    void AbandonAllSearches();
    // Captions back to "查找"/"下一页" and the tab control usable.
    void EndBusyState();
    // Runs fn, which may run a message loop (a message box, a call into the client). Replies that
    // arrive meanwhile wait until it has returned; false when the window is gone by then, and the
    // caller must return without touching the window.
    template <class Fn>
    bool RunModal(Fn fn);
    void HandleWaitingReplies();
    // A skinned message box; false when the window went while it was up.
    bool ShowBox(const wchar_t* text, const wchar_t* caption);
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

    // View state; index 0 is the users tab, 1 the zones tab. The page shown and the new-record
    // count of each tab live in its TabResults.
    int m_nCurTab;
    int m_nViewMode[2];   // 0 criteria form, 1 result list
    CListCtrl* m_pList[2];

    QZP::QZCommandSearch* m_pSearchCmd;
    QZP::QZTransmit* m_pTransmit;
    SearchResultHandler* m_pResultHandler;

    TabResults<UserInfoSet> m_userResults;
    TabResults<ZoneInfoSet> m_zoneResults;
    std::vector<std::wstring> m_industries;
    CFont m_font;
    CSearchingDlg m_searchingDlg;

private:
    // Open while the window exists: replies that arrive without a window are dropped.
    ReplyMailbox m_replies;
    // Where the callbacks post. Set before the mailbox opens and read only under its lock.
    HWND m_hWndResults = nullptr;
    int m_nHandlerDepth = 0;  // messages of this window being handled, nested ones included
    int m_nModalDepth = 0;    // message loops of boxes and client calls running inside a handler
    bool m_bDisposed = false;
};

// Both tabs' results have the same interface over different record types; fn must give the same
// type for either.
template <class Fn>
decltype(auto) CSearchDlg::WithResults(int nTab, Fn fn) {
    if (nTab == 0)
        return fn(m_userResults);
    return fn(m_zoneResults);
}

template <class Fn>
bool CSearchDlg::RunModal(Fn fn) {
    ++m_nModalDepth;
    fn();
    --m_nModalDepth;
    if (!GetSafeHwnd())
        return false;
    if (m_nModalDepth == 0)
        HandleWaitingReplies();
    return GetSafeHwnd() != nullptr;
}
