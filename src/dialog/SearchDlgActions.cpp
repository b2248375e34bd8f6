// Actions on a result row: add friend / join zone and view profile (the buttons, a double-click,
// Enter, the row's context menu), copying the row, and what the client says about the row
// selected.
#include <cstring>
#include <memory>
#include <type_traits>

#include "SearchDlg.h"
#include "SearchStrings.h"
#include "resource.h"

namespace {
// Puts `text` on the clipboard as Unicode text. Another program holding the clipboard open makes
// OpenClipboard fail: then nothing is copied and the clipboard stays as it was.
void CopyToClipboard(HWND owner, const std::wstring& text) {
    if (!::OpenClipboard(owner))
        return;
    const SIZE_T bytes = (text.size() + 1) * sizeof(wchar_t);
    if (HGLOBAL memory = ::GlobalAlloc(GMEM_MOVEABLE, bytes)) {
        if (void* target = ::GlobalLock(memory)) {
            std::memcpy(target, text.c_str(), bytes);
            ::GlobalUnlock(memory);
            ::EmptyClipboard();
            // The clipboard owns the memory once it took it.
            if (::SetClipboardData(CF_UNICODETEXT, memory))
                memory = nullptr;
        }
        if (memory)
            ::GlobalFree(memory);
    }
    ::CloseClipboard();
}

}  // namespace

int CSearchDlg::SelectedRow() { return ListOf(m_session.Front()).GetNextItem(-1, LVNI_SELECTED); }

void CSearchDlg::ActOnRow(int row, UserAction userAction, ZoneAction zoneAction) {
    if (const std::optional<RowRecord> record = m_session.RecordAtRow(row))
        ActOnRecord(m_session.Front(), *record, userAction, zoneAction);
}

// The client gets its own copy of the account: it may run a message loop inside the call, and
// the results may be cleared under it meanwhile.
void CSearchDlg::ActOnRecord(SearchTab tab, const RowRecord& record, UserAction userAction, ZoneAction zoneAction) {
    if (!m_pResultHandler)
        return;
    const bool alive =
        tab == SearchTab::Users
            ? CallHoldingReplies([&] { (m_pResultHandler->*userAction)(record.id, record.account); }, Loop::Client)
            : CallHoldingReplies([&] { (m_pResultHandler->*zoneAction)(record.id); }, Loop::Client);
    if (alive)
        Render();
}

void CSearchDlg::OnAddFriend() {
    ActOnRow(SelectedRow(), &SearchResultHandler::AddFriend, &SearchResultHandler::JoinZone);
}

void CSearchDlg::OnViewInfo() {
    ActOnRow(SelectedRow(), &SearchResultHandler::ViewUserInfo, &SearchResultHandler::ViewZoneInfo);
}

// Enter on a row, from the thread's message filter: the record is taken now, and viewed once the
// posted message comes, so that a reply handled before it (which may fill the list anew) cannot
// make it another row or none.
void CSearchDlg::ViewWhenDispatched() {
    const std::optional<RowRecord> record = m_session.RecordAtRow(SelectedRow());
    if (!record)
        return;
    m_enteredRecord.emplace(m_session.Front(), *record);
    PostMessage(WM_SEARCH_VIEW_ENTERED, 0, 0);
}

LRESULT CSearchDlg::OnViewEntered(WPARAM, LPARAM) {
    if (m_enteredRecord) {
        const std::pair<SearchTab, RowRecord> entered = std::move(*m_enteredRecord);
        m_enteredRecord.reset();
        ActOnRecord(entered.first, entered.second, &SearchResultHandler::ViewUserInfo, &SearchResultHandler::ViewZoneInfo);
    }
    return 0;
}

void CSearchDlg::OnResultItemChanged(NMHDR*, LRESULT* pResult) {
    *pResult = 0;
    if (m_nFilling > 0)
        return;  // our own filling of a list, not a selection
    // Whichever list reported the change, the list in front is the one that counts.
    const SearchTab tab = m_session.Front();
    const std::optional<RowRecord> record = m_session.SelectRow(SelectedRow());
    Render();
    if (!record || !m_pResultHandler)
        return;
    // The client's answer may take a message loop of its own.
    bool known = false;
    bool answered = false;  // a client that threw said nothing: Add stays off
    if (!CallHoldingReplies([&] {
            known = tab == SearchTab::Users ? m_pResultHandler->IsFriend(record->id)
                                            : m_pResultHandler->IsZoneMember(record->id);
            answered = true;
        }, Loop::Client))
        return;
    // On another tab by now (the user switched during the call), the answer is about a row not in
    // front, and Add stays off there.
    if (answered && m_session.Front() == tab) {
        const std::uint64_t self = tab == SearchTab::Users ? m_pSearchCmd->GetSelfID() : 0;
        m_session.DecideAdd(*record, known, self);
    }
    Render();
}

// A double-click views its row, as View does; on empty space (item -1) it does nothing.
void CSearchDlg::OnResultDblClk(NMHDR* pNotify, LRESULT* pResult) {
    *pResult = 0;
    const auto* pActivate = reinterpret_cast<const NMITEMACTIVATE*>(pNotify);
    if (pNotify->hwndFrom != ListOf(m_session.Front()).GetSafeHwnd() || pActivate->iItem < 0)
        return;
    ActOnRow(pActivate->iItem, &SearchResultHandler::ViewUserInfo, &SearchResultHandler::ViewZoneInfo);
}

// Ctrl+C in a list copies its selected row.
void CSearchDlg::OnResultKeyDown(NMHDR* pNotify, LRESULT* pResult) {
    *pResult = 0;
    const auto* pKey = reinterpret_cast<const NMLVKEYDOWN*>(pNotify);
    if (pKey->wVKey == 'C' && ::GetKeyState(VK_CONTROL) < 0 && ::GetKeyState(VK_MENU) >= 0)
        OnCopyRow();
}

void CSearchDlg::OnCopyRow() {
    if (const std::optional<RowRecord> record = m_session.RecordAtRow(SelectedRow()))
        CopyToClipboard(m_hWnd, record->copyText);
}

// From a right-click on a row (which selects it first, as Explorer does) or from the keyboard
// (Shift+F10, the menu key: at -1, -1), at the selected row. Nothing on empty space.
LRESULT CSearchDlg::OnContextMenu(WPARAM wParam, LPARAM lParam) {
    CListCtrl& list = ListOf(m_session.Front());
    if (m_session.FrontView() != TabView::Results || reinterpret_cast<HWND>(wParam) != list.GetSafeHwnd())
        return 0;
    // Screen coordinates, signed: a second monitor may lie left of or above the first.
    POINT pt = {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
    int row = -1;
    if (pt.x == -1 && pt.y == -1) {
        row = SelectedRow();
        RECT rc = {};
        rc.left = LVIR_LABEL;
        if (row < 0 || !::SendMessageW(list.GetSafeHwnd(), LVM_GETITEMRECT, row, reinterpret_cast<LPARAM>(&rc)))
            return 0;
        pt = {rc.left, rc.bottom};
        ::ClientToScreen(list.GetSafeHwnd(), &pt);
    } else {
        LVHITTESTINFO hit = {};
        hit.pt = pt;
        ::ScreenToClient(list.GetSafeHwnd(), &hit.pt);
        row = static_cast<int>(::SendMessageW(list.GetSafeHwnd(), LVM_SUBITEMHITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
        if (row < 0)
            return 0;
    }
    // From the click to the command chosen, replies wait: the client's answer about the row, the
    // menu and its command all belong to the record the user clicked, and a reply that landed
    // meanwhile is drawn afterwards.
    const std::optional<RowRecord> clicked = m_session.RecordAtRow(row);
    if (!clicked)
        return 0;
    CallHoldingReplies([&] {
        if (row != SelectedRow()) {
            // The selection's notification asks the client about the row, which may take a loop,
            // in which the user may turn the page: then the row holds another record, and no menu
            // opens for it.
            list.SetItemState(row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
            const std::optional<RowRecord> now = GetSafeHwnd() ? m_session.RecordAtRow(row) : std::nullopt;
            if (!now || now->id != clicked->id)
                return;
        }
        ShowRowMenu(row, pt);
    });
    return 0;
}

void CSearchDlg::ShowRowMenu(int row, POINT pt) {
    const SearchTab tab = m_session.Front();
    const std::optional<RowRecord> record = m_session.RecordAtRow(row);
    if (!record)
        return;
    const SearchViewState view = m_session.View();
    const std::unique_ptr<std::remove_pointer_t<HMENU>, decltype(&::DestroyMenu)> menu(::CreatePopupMenu(),
                                                                                       &::DestroyMenu);
    if (!menu)
        return;
    ::AppendMenuW(menu.get(), MF_STRING | (view.addEnabled ? MF_ENABLED : MF_GRAYED), IDC_BTN_ADD, view.rowAddCaption);
    ::AppendMenuW(menu.get(), MF_STRING, IDC_BTN_VIEW, search_text::kViewInfo);
    ::AppendMenuW(menu.get(), MF_SEPARATOR, 0, nullptr);
    ::AppendMenuW(menu.get(), MF_STRING, ID_ROW_COPY, view.copyCaption);
    // The command chosen comes back, 0 when the menu was dismissed.
    UINT chosen = 0;
    if (!CallHoldingReplies([&] {
            chosen = static_cast<UINT>(::TrackPopupMenu(menu.get(), TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_LEFTALIGN,
                                                        pt.x, pt.y, 0, m_hWnd, nullptr));
        }))
        return;
    // On the record the menu was opened for, with Add as it was offered for it.
    switch (chosen) {
    case IDC_BTN_ADD:
        if (view.addEnabled)
            ActOnRecord(tab, *record, &SearchResultHandler::AddFriend, &SearchResultHandler::JoinZone);
        break;
    case IDC_BTN_VIEW:
        ActOnRecord(tab, *record, &SearchResultHandler::ViewUserInfo, &SearchResultHandler::ViewZoneInfo);
        break;
    case ID_ROW_COPY:
        CopyToClipboard(m_hWnd, record->copyText);
        break;
    default:
        Render();
        break;
    }
}
