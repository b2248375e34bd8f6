// The search window: two tabs (users, zones), each with a criteria form and a paged result list.
// The window reads its forms, hands every action and every reply to its SearchSession, and then
// draws what the session says (Render): which view is shown, what is enabled, the captions, the
// page label, the rows and where the focus goes.
//
// Threads: every handler runs on the window's thread. The two result callbacks run on the
// protocol library's thread; each hands its batch to the session, which merges it under its tab's
// lock and leaves the outcome in its mailbox with a post of WM_SEARCH_RESULT. No lock is held
// across a message box, a call into the client, a message sent to a window or the deletion of the
// command.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "ClientCall.h"
#include "QZProtocol.h"
#include "Search.h"
#include "SearchRecords.h"
#include "SearchSession.h"
#include "SearchingDlg.h"
#include "SkinControls.h"

// Pixels of the layout, given for 96 DPI, at a window's DPI.
inline int ScaleTo(int nPixelsAt96, UINT nDpi) {
    return ::MulDiv(nPixelsAt96, static_cast<int>(nDpi), USER_DEFAULT_SCREEN_DPI);
}

// A reply waits in the session's mailbox; the window takes the oldest one for each message.
constexpr UINT WM_SEARCH_RESULT = WM_USER + 100;
// A box kept while the window was not shown (ShowBox) is shown now that it is.
constexpr UINT WM_SEARCH_KEPT_BOX = WM_USER + 101;
// Enter on a row: its record, taken at the key, is viewed (ViewWhenDispatched).
constexpr UINT WM_SEARCH_VIEW_ENTERED = WM_USER + 102;

class CSearchDlg : public CCommonSkinDialog, public QZP::QZCommandSearchHandler {
public:
    CSearchDlg(QZP::QZTransmit* pTransmit, SearchResultHandler* pHandler, CWnd* pParent);
    ~CSearchDlg() override;

    // bReset: back to the default criteria of both tabs with tab bUserTab in front; otherwise
    // only the view is presented again as it stands.
    void ResetSearch(bool bReset, bool bUserTab);
    // Called before Create: the window's first showing presents a reset search with tab
    // bUserTab in front, drawn while the window is still hidden, so that opening it never
    // shows and then takes away the controls of the views not in front.
    void ResetWhenFirstShown(bool bUserTab);

    BOOL PreTranslateMessage(MSG* pMsg) override;
    BOOL OnInitDialog() override;

    // Asks the client for its industry names, once, after the object is the Search's and before
    // its window is made. The client may run a message loop meanwhile and call the Search from
    // there: a StartSearch then only names the tab this window opens on (BeingMade), and after a
    // StopSearch (or the Search deleted) this returns false with the object gone.
    bool AskForIndustries();
    bool BeingMade() const { return m_bAskingIndustries; }

    // Destroys the window, releases the command and deletes the object. The command goes before
    // this returns; the object at once, or, when called from inside one of this window's own
    // handlers (a client stopping the search from a message it handles while a box of ours is
    // up, say), as soon as that handler has returned. Called on another thread (a client's
    // network thread), it only asks the window's thread to do all of it, and returns at once:
    // DestroyWindow cannot destroy another thread's window, and that thread may be waiting for
    // this one.
    void Dispose();

    // Not shown yet, or closed by the user (Close, the caption's close, an IDOK) since it was last
    // shown: the next StartSearch starts afresh. A window hidden with its minimised owner is not
    // closed.
    bool IsClosed() const { return m_bClosed; }
    // The thread whose message loop runs the window.
    DWORD WindowThread() const { return m_nWindowThread; }

    // Protocol thread.
    void OnSearchUserResult(bool ok, const UserInfoSet& batch) override;
    void OnSearchZoneResult(bool ok, const ZoneInfoSet& batch) override;

protected:
    void OnFind();
    void OnBack();
    void OnCloseButton();
    void OnOK() override;
    void OnCancel() override;
    void OnTabSelChange(NMHDR* pNotify, LRESULT* pResult);
    LRESULT OnSearchResult(WPARAM wParam, LPARAM lParam);
    LRESULT OnKeptBox(WPARAM wParam, LPARAM lParam);
    LRESULT OnViewEntered(WPARAM wParam, LPARAM lParam);
    void OnAddFriend();
    void OnResultItemChanged(NMHDR* pNotify, LRESULT* pResult);
    void OnViewInfo();
    void OnPrevPage();
    void OnNextPage();
    void OnZoneRadio(UINT nID);
    void OnUserRadio(UINT nID);
    void OnResultDblClk(NMHDR* pNotify, LRESULT* pResult);
    void OnResultKeyDown(NMHDR* pNotify, LRESULT* pResult);
    LRESULT OnContextMenu(WPARAM wParam, LPARAM lParam);
    void OnCopyRow();

    void PostNcDestroy() override;
    // Deletes the command now: nothing of it may outlive the client's call that stopped us.
    void ReleaseCommand();
    // The window of this thread where another thread's Dispose is handed over; it lives exactly
    // as long as the object.
    HWND CreateStopBox();
    static LRESULT CALLBACK StopBoxProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

    DECLARE_MESSAGE_MAP()

private:
    // The session's way back to the window: the command it sends through and renews, and the
    // post that hands a reply over.
    class CSessionHost : public SearchSessionHost {
    public:
        explicit CSessionHost(CSearchDlg& dlg) : m_dlg(dlg) {}
        QZP::ConnectionError Send(const OutgoingQuery& query) override;
        void RenewCommand() override;
        void PostReply() override;
        void ReportStoppedException() override;

    private:
        CSearchDlg& m_dlg;
    };

    // The window's controls, a row each (SearchDlgControls.cpp): binding, fonts, placement, the
    // view each is shown in, what the view state enables and captions, and the names screen
    // readers hear all come from this table.
    struct ControlRow;
    static const ControlRow kControls[];
    // The forms: the radio of each way to search and its edit (kSearchForms holds their rules).
    struct FormRow {
        SearchBy by;
        CSkinRadio CSearchDlg::*radio;
        CSkinEdit CSearchDlg::*edit;  // null: the radio has none
    };
    static const FormRow kForms[kSearchByCount];

    // Walks of the control table.
    void BindControls();
    void ApplyDialogFont();
    void ApplyTemplateFont(UINT nDpi);
    void PlaceControls(UINT nDpi);
    void NameControls();
    void ShowControlsOf(const SearchViewState& view);
    // Leaves a control that already is as asked alone.
    static void Enable(CWnd& control, bool bEnable);

    // The steps of OnInitDialog, in their order.
    void CreateDialogFont(UINT nDpi);
    void SetWindowIcons();
    void SetSkinKeys();
    void LimitEdits();
    void BuildListColumns(UINT nDpi);
    void BuildTabItems();
    void FillIndustries();
    void SizeWindow(UINT nDpi);
    // The steps that depend on the DPI, run again when it changes.
    void SizeTabItems(UINT nDpi);
    void SizeListColumns(UINT nDpi);
    void KeepLayoutOnDpiChange();

    // Display settings: a DPI change (SearchDlgInit.cpp) and high-contrast schemes
    // (SearchDlgContrast.cpp).
    LRESULT OnDpiChanged(WPARAM wParam, LPARAM lParam);
    LRESULT OnSysColorChange(WPARAM wParam, LPARAM lParam);
    LRESULT OnSettingChange(WPARAM wParam, LPARAM lParam);
    LRESULT OnDestroyWindow(WPARAM wParam, LPARAM lParam);
    LRESULT OnShowWindow(WPARAM wParam, LPARAM lParam);
    static bool HighContrastColour(CCmdTarget* pTarget, const AFX_MSGMAP_ENTRY& entry, WPARAM wParam,
                                   LPARAM lParam, LRESULT* pResult);
    void FollowContrastScheme();
    void PassSysColorChange();
    void DrawSeparatorForScheme();

    // The forms (SearchDlgForms.cpp): read as the user left them, put back to their defaults at a
    // reset, and the edits enabled by the radio checked.
    SearchCriteria ReadCriteria() const;
    void OnFormRadio(SearchTab tab);
    void ResetForms(const SearchViewState& view);
    void EnableFormInputs(const SearchViewState& view);

    // Sets every control from the session's view (SearchDlgRender.cpp). Changes nothing when
    // nothing changed.
    void Render();
    // False when the list could not be filled; it is left empty then.
    bool FillList(SearchTab tab);
    CListCtrl& ListOf(SearchTab tab);
    CWnd* FocusControl(const ViewFocus& focus);
    // Takes the oldest reply the callbacks left, draws it and shows its box.
    void HandleNextReply();
    void HandleWaitingReplies();
    // Runs fn, which may run a message loop (a message box, a call into the client) and re-enter
    // this window. Replies that arrive meanwhile wait until it has returned; false when the window
    // is gone by then, and the caller must return without touching the window. An exception of fn
    // is stopped here (fn's work just ends early): the client's handlers may throw.
    //
    // `loop` says whose loop may run: a box or a menu of ours disables the window or takes the
    // mouse, so only a queued message reaches it; during a call into the client the window stays
    // usable, and a Find or a page turn the user asks for meanwhile is carried out once the call
    // has returned (PostponeWhileClientCalls).
    enum class Loop { None, Ours, Client };
    template <class Fn>
    bool CallHoldingReplies(Fn fn, Loop loop = Loop::Ours);
    // Runs fn counted as a handler of this window, so that a Dispose meanwhile only marks the
    // object; stops an exception of fn (reported as thrown at `where`). Deletes the object on the
    // way out of the outermost handler when it was disposed of, and then returns false.
    template <class Fn>
    bool RunAsHandler(Fn fn, const wchar_t* where);
    // For the developer's log: an exception was stopped at `where`.
    static void ReportStopped(const wchar_t* where) noexcept;
    // Shows the session's box, if any; false when the window went while it was up. A window that
    // is not shown (hidden with its minimised owner) keeps the box until it is shown again.
    bool ShowBox(const std::optional<SearchBox>& box);
    // A Find or a page turn that came while a call into the client was open, with the form as it
    // was then: kept, and carried out when the call returns (RunPostponedGesture).
    enum class Gesture { Find, NextPage };
    struct PostponedGesture {
        Gesture gesture;
        SearchCriteria criteria;
        SearchTab tab;  // the tab it was made on
    };
    bool PostponeWhileClientCalls(Gesture gesture);
    void RunPostponedGesture();
    // Draws what a gesture led to, and its box.
    void ShowOutcome(const std::optional<SearchBox>& box);
    // Hands row `row`'s record to the client: a user with its account, or a zone.
    using UserAction = void (SearchResultHandler::*)(std::uint64_t, const std::wstring&);
    using ZoneAction = void (SearchResultHandler::*)(std::uint64_t);
    void ActOnRow(int row, UserAction userAction, ZoneAction zoneAction);
    // The same for a record of `tab` taken before a loop (a menu), whatever the rows are now.
    void ActOnRecord(SearchTab tab, const RowRecord& record, UserAction userAction, ZoneAction zoneAction);
    void ViewWhenDispatched();
    // The selected row of the list in front, -1 when none.
    int SelectedRow();
    // The context menu of row `row` at `pt` (screen coordinates), and what was chosen in it, done
    // to the record the menu was opened for. Replies wait until it is done.
    void ShowRowMenu(int row, POINT pt);

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

    QZP::QZCommandSearch* m_pSearchCmd;
    QZP::QZTransmit* m_pTransmit;
    SearchResultHandler* m_pResultHandler;
    CFont m_font;
    CSearchingDlg m_searchingDlg;

    CSessionHost m_sessionHost;
    // Both tabs' results and every decision about them; the window draws its View().
    SearchSession m_session;
    // What Render last drew: a list is filled again only when its rows changed, the forms go
    // back to their defaults only at a reset, their inputs are enabled anew only when another
    // radio was checked, and the focus moves only when a view was put in front.
    std::uint64_t m_renderedRows[2] = {~0ull, ~0ull};
    std::uint64_t m_renderedFormsReset = ~0ull;
    std::array<std::optional<SearchBy>, 2> m_renderedChecked{};
    std::uint64_t m_renderedFocusMoves = ~0ull;
    int m_nFilling = 0;  // a list is being filled: its notifications are ours, not the user's
    // The tab in front of the reset the first showing presents (ResetWhenFirstShown).
    std::optional<SearchTab> m_resetWhenShown;

    // High contrast and DPI: whether the window follows a high-contrast scheme; the colours the
    // lists had before it; the separator's own bitmap while a line of the scheme's colour stands
    // in; the DPI of the template's font and the copy of it made for another DPI.
    struct ListColours {
        COLORREF background, text, textBackground;
        bool system;  // none of the skin's: the system's colours, which follow its changes
    };
    bool m_bHighContrast = false;
    ListColours m_skinListColours[2] = {};
    HBITMAP m_hSeparatorBitmap = nullptr;
    bool m_bSeparatorLine = false;
    UINT m_nTemplateFontDpi = USER_DEFAULT_SCREEN_DPI;
    CFont m_templateFont;

    // Whose loop runs innermost (CallHoldingReplies), the gesture postponed until the client's
    // calls return, and the box kept for a window not shown.
    Loop m_innermostLoop = Loop::None;
    std::optional<PostponedGesture> m_postponed;
    std::optional<SearchBox> m_keptBox;
    std::optional<std::pair<SearchTab, RowRecord>> m_enteredRecord;  // Enter's, until its message comes

    // Where the callbacks post. Set before the mailbox opens and read only under its lock.
    HWND m_hWndResults = nullptr;
    int m_nHandlerDepth = 0;  // messages of this window being handled, nested ones included
    bool m_bDisposed = false;
    bool m_bAskingIndustries = false;
    bool m_bClosed = true;
    const DWORD m_nWindowThread;
    HWND m_hWndStopBox = nullptr;
};

template <class Fn>
bool CSearchDlg::RunAsHandler(Fn fn, const wchar_t* where) {
    ++m_nHandlerDepth;
    PrepareForClientCode();
    try {
        fn();
    } catch (...) {
        ForgiveForeignException();
        ReportStopped(where);
    }
    if (--m_nHandlerDepth == 0 && m_bDisposed) {
        delete this;  // nothing of ours is on the stack any more
        return false;
    }
    return true;
}

template <class Fn>
bool CSearchDlg::CallHoldingReplies(Fn fn, Loop loop) {
    m_session.HoldReplies();
    const Loop outer = m_innermostLoop;
    m_innermostLoop = loop;
    PrepareForClientCode();
    try {
        fn();
    } catch (...) {
        ForgiveForeignException();
        ReportStopped(L"a call into the client");
    }
    m_innermostLoop = outer;
    m_session.ReleaseReplies();
    if (!GetSafeHwnd())
        return false;
    if (!m_session.RepliesHeld()) {
        HandleWaitingReplies();
        RunPostponedGesture();
    }
    return GetSafeHwnd() != nullptr;
}
