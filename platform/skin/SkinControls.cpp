#include "SkinControls.h"

#include <algorithm>
#include <string>

namespace {
const wchar_t kCountProp[] = L"SkinKeyCount";

std::wstring FieldProp(int index) { return L"SkinKey" + std::to_wstring(index); }

HANDLE ToPropValue(std::int32_t value) {
    return reinterpret_cast<HANDLE>(static_cast<INT_PTR>(value));
}

// Removes what an earlier publication left on the window; a window never published has no count.
void RemoveSkinKeyProps(HWND hWnd) {
    const int count = static_cast<int>(reinterpret_cast<INT_PTR>(::GetPropW(hWnd, kCountProp)));
    if (count <= 0) return;
    for (int i = 0; i < count; ++i) ::RemovePropW(hWnd, FieldProp(i).c_str());
    ::RemovePropW(hWnd, kCountProp);
}
}  // namespace

// ---------------------------------------------------------------------------------------------
// Skin keys on the control's window

void CSkinKeyHolder::Keep(CWnd& control, const std::int32_t* fields, int count) {
    m_count = std::clamp(count, 0, static_cast<int>(std::size(m_fields)));
    std::copy(fields, fields + m_count, m_fields);
    Publish(control);
}

void CSkinKeyHolder::Publish(CWnd& control) const {
    HWND hWnd = control.GetSafeHwnd();
    // A record set before binding waits here until the control has its window.
    if (!hWnd || m_count == 0) return;
    RemoveSkinKeyProps(hWnd);
    for (int i = 0; i < m_count; ++i) ::SetPropW(hWnd, FieldProp(i).c_str(), ToPropValue(m_fields[i]));
    // The count goes last: whoever sees it finds every field already in place.
    ::SetPropW(hWnd, kCountProp, ToPropValue(m_count));
}

void CSkinKeyHolder::Withdraw(CWnd& control) {
    if (HWND hWnd = control.GetSafeHwnd()) RemoveSkinKeyProps(hWnd);
}

// ---------------------------------------------------------------------------------------------
// Skin records: every part drawn with the skin's own image until a key says otherwise.

CSkinTabCtrl::SkinTabCtrlInfo::SkinTabCtrlInfo()
    : nBackground(SKIN_KEY_DEFAULT), nItemNormal(SKIN_KEY_DEFAULT),
      nItemSelected(SKIN_KEY_DEFAULT), nBorder(SKIN_KEY_DEFAULT) {}

CSkinStatic::SkinStaticInfo::SkinStaticInfo()
    : nBackground(SKIN_KEY_DEFAULT), nText(SKIN_KEY_DEFAULT) {}

CSkinComboBox::SkinComboBoxInfo::SkinComboBoxInfo()
    : nFrame(SKIN_KEY_DEFAULT), nButton(SKIN_KEY_DEFAULT), nList(SKIN_KEY_DEFAULT) {}

CSkinGroupBox::SkinGroupBoxInfo::SkinGroupBoxInfo()
    : nTitle(SKIN_KEY_DEFAULT), nTopLeft(SKIN_KEY_DEFAULT), nTopRight(SKIN_KEY_DEFAULT),
      nBottomLeft(SKIN_KEY_DEFAULT), nBottomRight(SKIN_KEY_DEFAULT), nEdge(SKIN_KEY_DEFAULT) {}

// ---------------------------------------------------------------------------------------------
// Each record's fields in their declared order.

void CSkinTabCtrl::SetSkinKey(SkinTabCtrlInfo info) {
    const std::int32_t fields[] = {info.nBackground, info.nItemNormal, info.nItemSelected,
                                   info.nBorder};
    KeepSkinKey(fields, static_cast<int>(std::size(fields)));
}

void CSkinStatic::SetSkinKey(SkinStaticInfo info) {
    const std::int32_t fields[] = {info.nBackground, info.nText};
    KeepSkinKey(fields, static_cast<int>(std::size(fields)));
}

void CSkinComboBox::SetSkinKey(SkinComboBoxInfo info) {
    const std::int32_t fields[] = {info.nFrame, info.nButton, info.nList};
    KeepSkinKey(fields, static_cast<int>(std::size(fields)));
}

void CSkinGroupBox::SetSkinKey(SkinGroupBoxInfo info) {
    const std::int32_t fields[] = {info.nTitle,      info.nTopLeft,     info.nTopRight,
                                   info.nBottomLeft, info.nBottomRight, info.nEdge};
    KeepSkinKey(fields, static_cast<int>(std::size(fields)));
}

// ---------------------------------------------------------------------------------------------
// Edits

void CSkinEdit::EnableEdit(BOOL bEnable) {
    // A disabled edit takes no input and the platform greys it: nothing more to draw here.
    EnableWindow(bEnable);
}

void CSkinEdit::SetWindowTextW(const wchar_t* lpszString) {
    CWnd::SetWindowText(lpszString ? lpszString : L"");
}
