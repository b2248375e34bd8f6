// Find: turns the current tab's criteria form into one query of the search command.
#include <algorithm>
#include <iterator>

#include <boost/lexical_cast.hpp>

#include "IdentifierText.h"
#include "SearchDlg.h"
#include "SearchStrings.h"
#include "SkinMessageBox.h"
#include "resource.h"

namespace {
bool IsChecked(const CButton& radio) { return radio.GetCheck() == BST_CHECKED; }

std::wstring TextOf(const CWnd& edit) {
    CString text;
    edit.GetWindowText(text);
    return text.str();
}
}  // namespace

void CSearchDlg::OnFind() {
    // Find belongs to the form in front. The Find that Enter posts can arrive after the view has
    // changed: the answer it raced was handled first, and a Find from the result view would ask
    // the server for more of a search the user did not ask to continue.
    if (m_nViewMode[m_nCurTab] != 0)
        return;
    DoSearch();
}

bool CSearchDlg::ShowBox(const wchar_t* text, const wchar_t* caption) {
    return RunModal([&] { SkinMessageBox(text, caption, 0); });
}

void CSearchDlg::DoSearch() {
    using search_text::kCaptionQueryError;
    QZP::ConnectionError code;

    // One query at a time: the library takes the same query sent again as a request for more, so
    // a second Find (Enter in a busy form, say) would skip a batch of the first.
    if (QueryInFlight())
        return;
    // Nor under a box or a client call: only a queued message can get here then (Enter's Find,
    // dispatched by the box's loop), and the handler the box belongs to resets the controls when
    // it returns, as if no query were out.
    if (m_nModalDepth > 0)
        return;
    // A search from the form starts afresh: whatever a server still sends for an earlier one
    // (a second answer to a query that failed, say) must not run into this one's pages.
    if (m_nViewMode[m_nCurTab] == 0)
        WithResults(m_nCurTab, [](auto& results) { results.Abandon(); });

    if (m_nCurTab == 0) {
        // The first checked radio in this order decides; the online radio has no text.
        using Query = QZP::ConnectionError (QZP::QZCommandSearch::*)(const std::wstring&);
        const struct {
            const CSkinRadio& radio;
            const CSkinEdit& edit;
            const wchar_t* missing;
            Query query;
        } criteria[] = {
            {m_radioNick, m_editNick, search_text::kNeedNickname, &QZP::QZCommandSearch::SearchUsersByNick},
            {m_radioAccount, m_editAccount, search_text::kNeedAccount, &QZP::QZCommandSearch::SearchUsersByEID},
            {m_radioCompany, m_editCompany, search_text::kNeedCompany, &QZP::QZCommandSearch::SearchUsersByCompany},
        };
        const auto chosen = std::find_if(std::begin(criteria), std::end(criteria),
                                         [](const auto& c) { return IsChecked(c.radio); });
        if (chosen != std::end(criteria)) {
            const std::wstring text = TextOf(chosen->edit);
            if (text.empty()) {
                ShowBox(chosen->missing, kCaptionQueryError);
                return;
            }
            code = (m_pSearchCmd->*chosen->query)(text);
        } else if (IsChecked(m_radioOnline)) {
            code = m_pSearchCmd->SearchOnlineUsers();
        } else {
            return;
        }
    } else if (IsChecked(m_radioZoneById)) {
        std::uint64_t zoneId;
        try {
            zoneId = IdentifierFromText(TextOf(m_editZoneId).c_str());
        } catch (const boost::bad_lexical_cast&) {
            ShowBox(search_text::kNeedCriteria, kCaptionQueryError);
            return;
        }
        code = m_pSearchCmd->SearchZoneByID(zoneId);
    } else {
        const std::wstring name = IsChecked(m_radioZoneByName) ? TextOf(m_editZoneName) : L"";
        int selection = m_comboIndustry.GetCurSel();
        // CB_ERR (-1): nothing selected, which only another program can bring about; read it as
        // "any industry" rather than sending the code 65534.
        if (selection < 0)
            selection = 0;
        if (name.empty() && selection == 0) {
            ShowBox(search_text::kNeedCriteria, kCaptionQueryError);
            return;
        }
        // Item 0 is "any industry": 0 - 1 kept to 16 bits is 65535, the code for any.
        code = m_pSearchCmd->SearchZone(name, static_cast<unsigned short>(selection - 1));
    }

    if (code == QZP::CE_OK) {
        WithResults(m_nCurTab, [](auto& results) { results.BeginQuery(); });
        m_btnFind.EnableWindow(FALSE);
        m_tab.EnableWindow(FALSE);
        m_btnNextPage.EnableWindow(FALSE);
        m_btnPrevPage.EnableWindow(FALSE);
        m_btnFind.SetWindowText(search_text::kSearching);
        m_btnNextPage.SetWindowText(search_text::kSearching);
    } else if (code == QZP::CE_NOT_SIGNED_IN) {
        ShowBox(search_text::kSignInFirst, search_text::kCaptionQueryFailed);
    } else {
        // Not sent at all: no answer will come, so the user must hear it now.
        ShowBox(search_text::kCannotConnect, search_text::kCaptionQueryFailed);
    }
}
