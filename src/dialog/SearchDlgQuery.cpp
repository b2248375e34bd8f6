// Find: turns the current tab's criteria form into one query of the search command.
#include <boost/lexical_cast.hpp>

#include "IdentifierText.h"
#include "SearchDlg.h"
#include "SearchStrings.h"
#include "SkinMessageBox.h"
#include "resource.h"

namespace {
bool IsChecked(const CWnd& radio) { return radio.SendMessage(BM_GETCHECK) == BST_CHECKED; }

std::wstring TextOf(const CWnd& edit) {
    CString text;
    edit.GetWindowText(text);
    return text.str();
}
}  // namespace

void CSearchDlg::OnFind() { DoSearch(); }

void CSearchDlg::DoSearch() {
    using search_text::kCaptionQueryError;
    QZP::ConnectionError code;

    if (m_nCurTab == 0) {
        // The first checked radio in this order decides.
        if (IsChecked(m_radioNick)) {
            const std::wstring nick = TextOf(m_editNick);
            if (nick.empty()) {
                SkinMessageBox(search_text::kNeedNickname, kCaptionQueryError, 0);
                return;
            }
            code = m_pSearchCmd->SearchUsersByNick(nick);
        } else if (IsChecked(m_radioAccount)) {
            const std::wstring account = TextOf(m_editAccount);
            if (account.empty()) {
                SkinMessageBox(search_text::kNeedAccount, kCaptionQueryError, 0);
                return;
            }
            code = m_pSearchCmd->SearchUsersByEID(account);
        } else if (IsChecked(m_radioCompany)) {
            const std::wstring company = TextOf(m_editCompany);
            if (company.empty()) {
                SkinMessageBox(search_text::kNeedCompany, kCaptionQueryError, 0);
                return;
            }
            code = m_pSearchCmd->SearchUsersByCompany(company);
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
            SkinMessageBox(search_text::kNeedCriteria, kCaptionQueryError, 0);
            return;
        }
        code = m_pSearchCmd->SearchZoneByID(zoneId);
    } else {
        const std::wstring name = IsChecked(m_radioZoneByName) ? TextOf(m_editZoneName) : L"";
        const int selection = static_cast<int>(m_comboIndustry.SendMessage(CB_GETCURSEL));
        if (name.empty() && selection == 0) {
            SkinMessageBox(search_text::kNeedCriteria, kCaptionQueryError, 0);
            return;
        }
        // Item 0 is "any industry": 0 - 1 kept to 16 bits is 65535, the code for any.
        code = m_pSearchCmd->SearchZone(name, static_cast<unsigned short>(selection - 1));
    }

    if (code == QZP::CE_OK) {
        m_btnFind.EnableWindow(FALSE);
        m_tab.EnableWindow(FALSE);
        m_btnNextPage.EnableWindow(FALSE);
        m_btnPrevPage.EnableWindow(FALSE);
        m_btnFind.SetWindowText(search_text::kSearching);
        m_btnNextPage.SetWindowText(search_text::kSearching);
    } else if (code == QZP::CE_NOT_SIGNED_IN) {
        SkinMessageBox(search_text::kSignInFirst, search_text::kCaptionQueryFailed, 0);
    }
}
