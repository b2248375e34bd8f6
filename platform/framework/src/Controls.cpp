// Control wrappers and fonts: one message (or GDI call) each.
#include <vector>

#include "Framework.h"

HBITMAP CStatic::SetBitmap(HBITMAP hBitmap) {
    return reinterpret_cast<HBITMAP>(
        SendMessage(STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(hBitmap)));
}

HBITMAP CStatic::GetBitmap() const {
    return reinterpret_cast<HBITMAP>(SendMessage(STM_GETIMAGE, IMAGE_BITMAP));
}

int CButton::GetCheck() const { return static_cast<int>(SendMessage(BM_GETCHECK)); }
void CButton::SetCheck(int nCheck) { SendMessage(BM_SETCHECK, static_cast<WPARAM>(nCheck)); }

// 0 lifts the limit to the control's maximum.
void CEdit::LimitText(int nChars) { SendMessage(EM_LIMITTEXT, static_cast<WPARAM>(nChars)); }
UINT CEdit::GetLimitText() const { return static_cast<UINT>(SendMessage(EM_GETLIMITTEXT)); }

int CComboBox::AddString(const wchar_t* lpszString) {
    return static_cast<int>(SendMessage(CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(lpszString)));
}
int CComboBox::GetCount() const { return static_cast<int>(SendMessage(CB_GETCOUNT)); }
int CComboBox::GetCurSel() const { return static_cast<int>(SendMessage(CB_GETCURSEL)); }
int CComboBox::SetCurSel(int nSelect) {
    return static_cast<int>(SendMessage(CB_SETCURSEL, static_cast<WPARAM>(nSelect)));
}

// Two messages: the length first, since CB_GETLBTEXT writes without a bound.
void CComboBox::GetLBText(int nIndex, CString& rString) const {
    const LRESULT length = SendMessage(CB_GETLBTEXTLEN, static_cast<WPARAM>(nIndex));
    if (length == CB_ERR) {
        rString.Empty();
        return;
    }
    std::vector<wchar_t> buffer(static_cast<size_t>(length) + 1, L'\0');
    const LRESULT copied = SendMessage(CB_GETLBTEXT, static_cast<WPARAM>(nIndex),
                                       reinterpret_cast<LPARAM>(buffer.data()));
    rString = CString(std::wstring(buffer.data(), copied == CB_ERR ? 0 : static_cast<size_t>(copied)));
}

int CListCtrl::InsertColumn(int nCol, const wchar_t* lpszColumnHeading, int nFormat, int nWidth,
                            int nSubItem) {
    LVCOLUMNW column = {};
    column.mask = LVCF_TEXT | LVCF_FMT;
    column.fmt = nFormat;
    column.pszText = const_cast<wchar_t*>(lpszColumnHeading);
    if (nWidth != -1) {
        column.mask |= LVCF_WIDTH;
        column.cx = nWidth;
    }
    if (nSubItem != -1) {
        column.mask |= LVCF_SUBITEM;
        column.iSubItem = nSubItem;
    }
    return static_cast<int>(
        SendMessage(LVM_INSERTCOLUMNW, static_cast<WPARAM>(nCol), reinterpret_cast<LPARAM>(&column)));
}

int CListCtrl::InsertItem(int nItem, const wchar_t* lpszItem) {
    LVITEMW item = {};
    item.mask = LVIF_TEXT;
    item.iItem = nItem;
    item.pszText = const_cast<wchar_t*>(lpszItem);
    return static_cast<int>(SendMessage(LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
}

BOOL CListCtrl::SetItemText(int nItem, int nSubItem, const wchar_t* lpszText) {
    LVITEMW item = {};
    item.iSubItem = nSubItem;
    item.pszText = const_cast<wchar_t*>(lpszText);
    return static_cast<BOOL>(
        SendMessage(LVM_SETITEMTEXTW, static_cast<WPARAM>(nItem), reinterpret_cast<LPARAM>(&item)));
}

// LVM_GETITEMTEXT reports only how much it copied: a full buffer may mean a longer text.
CString CListCtrl::GetItemText(int nItem, int nSubItem) const {
    for (size_t size = 64;; size *= 2) {
        std::vector<wchar_t> buffer(size, L'\0');
        LVITEMW item = {};
        item.iSubItem = nSubItem;
        item.pszText = buffer.data();
        item.cchTextMax = static_cast<int>(size);
        const LRESULT copied = SendMessage(LVM_GETITEMTEXTW, static_cast<WPARAM>(nItem),
                                           reinterpret_cast<LPARAM>(&item));
        if (copied < static_cast<LRESULT>(size) - 1 || size >= (1u << 20))
            return CString(std::wstring(buffer.data(), static_cast<size_t>(copied > 0 ? copied : 0)));
    }
}

BOOL CListCtrl::DeleteAllItems() { return static_cast<BOOL>(SendMessage(LVM_DELETEALLITEMS)); }
int CListCtrl::GetItemCount() const { return static_cast<int>(SendMessage(LVM_GETITEMCOUNT)); }
UINT CListCtrl::GetSelectedCount() const {
    return static_cast<UINT>(SendMessage(LVM_GETSELECTEDCOUNT));
}
int CListCtrl::GetNextItem(int nItem, int nFlags) const {
    return static_cast<int>(SendMessage(LVM_GETNEXTITEM, static_cast<WPARAM>(nItem), MAKELPARAM(nFlags, 0)));
}

BOOL CListCtrl::SetItemState(int nItem, UINT nState, UINT nMask) {
    LVITEMW item = {};
    item.state = nState;
    item.stateMask = nMask;
    return static_cast<BOOL>(
        SendMessage(LVM_SETITEMSTATE, static_cast<WPARAM>(nItem), reinterpret_cast<LPARAM>(&item)));
}

DWORD CListCtrl::GetExtendedStyle() const {
    return static_cast<DWORD>(SendMessage(LVM_GETEXTENDEDLISTVIEWSTYLE));
}
// A zero mask means "every bit": the whole extended style is replaced.
DWORD CListCtrl::SetExtendedStyle(DWORD dwNewStyle) {
    return static_cast<DWORD>(SendMessage(LVM_SETEXTENDEDLISTVIEWSTYLE, 0, dwNewStyle));
}

LONG CTabCtrl::InsertItem(UINT nMask, int nItem, const wchar_t* lpszItem, int nImage, LPARAM lParam) {
    TCITEMW item = {};
    item.mask = nMask;
    item.pszText = const_cast<wchar_t*>(lpszItem);
    item.iImage = nImage;
    item.lParam = lParam;
    return static_cast<LONG>(
        SendMessage(TCM_INSERTITEMW, static_cast<WPARAM>(nItem), reinterpret_cast<LPARAM>(&item)));
}

int CTabCtrl::GetCurSel() const { return static_cast<int>(SendMessage(TCM_GETCURSEL)); }
// Selects without a TCN_SELCHANGE: only a click notifies.
int CTabCtrl::SetCurSel(int nItem) {
    return static_cast<int>(SendMessage(TCM_SETCURSEL, static_cast<WPARAM>(nItem)));
}
int CTabCtrl::GetItemCount() const { return static_cast<int>(SendMessage(TCM_GETITEMCOUNT)); }
DWORD CTabCtrl::SetItemSize(int nWidth, int nHeight) {
    return static_cast<DWORD>(SendMessage(TCM_SETITEMSIZE, 0, MAKELPARAM(nWidth, nHeight)));
}
int CTabCtrl::SetMinTabWidth(int cx) {
    return static_cast<int>(SendMessage(TCM_SETMINTABWIDTH, 0, static_cast<LPARAM>(cx)));
}
BOOL CTabCtrl::GetItemRect(int nItem, LPRECT lpRect) const {
    return static_cast<BOOL>(
        SendMessage(TCM_GETITEMRECT, static_cast<WPARAM>(nItem), reinterpret_cast<LPARAM>(lpRect)));
}

CFont::~CFont() { DeleteObject(); }

BOOL CFont::CreateFont(int nHeight, int nWidth, int nEscapement, int nOrientation, int nWeight,
                       BYTE bItalic, BYTE bUnderline, BYTE cStrikeOut, BYTE nCharSet,
                       BYTE nOutPrecision, BYTE nClipPrecision, BYTE nQuality,
                       BYTE nPitchAndFamily, const wchar_t* lpszFacename) {
    if (m_hObject) return FALSE;
    return Attach(::CreateFontW(nHeight, nWidth, nEscapement, nOrientation, nWeight, bItalic,
                                bUnderline, cStrikeOut, nCharSet, nOutPrecision, nClipPrecision,
                                nQuality, nPitchAndFamily, lpszFacename));
}

BOOL CFont::Attach(HFONT hFont) {
    if (!hFont || m_hObject) return FALSE;
    m_hObject = hFont;
    return TRUE;
}

HFONT CFont::Detach() {
    HFONT hFont = m_hObject;
    m_hObject = nullptr;
    return hFont;
}

BOOL CFont::DeleteObject() {
    if (!m_hObject) return FALSE;
    const BOOL deleted = ::DeleteObject(m_hObject);
    m_hObject = nullptr;
    return deleted;
}
