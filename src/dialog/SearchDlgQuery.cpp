// Find, the page buttons and the boxes: each hands the forms to the session, shows the box it
// answers with, and draws what follows.
#include "SearchDlg.h"
#include "SkinMessageBox.h"

void CSearchDlg::OnFind() {
    const std::optional<SearchBox> box = m_session.Find(ReadCriteria());
    Render();
    if (ShowBox(box))
        Render();
}

void CSearchDlg::OnNextPage() {
    // Past the cache the same query goes out again, read afresh from the hidden form.
    const std::optional<SearchBox> box = m_session.NextPage(ReadCriteria());
    Render();
    if (ShowBox(box))
        Render();
}

void CSearchDlg::OnPrevPage() {
    m_session.PreviousPage();
    Render();
}

bool CSearchDlg::ShowBox(const std::optional<SearchBox>& box) {
    if (!box)
        return false;
    return RunModal([&] { SkinMessageBox(box->text, box->caption, 0); });
}
