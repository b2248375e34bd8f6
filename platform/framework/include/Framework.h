// The application-framework subset the search module is written against: window and control
// wrappers, modeless dialogs from templates, message maps, fonts, runtime-class records and the
// extension-module resource chain.
//
// A wrapper holds one HWND it does not own; the handle becomes null when the window is destroyed.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <cstddef>
#include <exception>
#include <string>
#include <type_traits>

// ---------------------------------------------------------------------------------------------
// Strings

// The string class for window texts.
class CString {
public:
    CString() = default;
    CString(const wchar_t* text) : m_text(text ? text : L"") {}
    CString(std::wstring text) : m_text(std::move(text)) {}

    int GetLength() const { return static_cast<int>(m_text.size()); }
    bool IsEmpty() const { return m_text.empty(); }
    void Empty() { m_text.clear(); }
    operator const wchar_t*() const { return m_text.c_str(); }
    const std::wstring& str() const { return m_text; }
    // printf-style formatting with wide format strings ("第%d页").
    void Format(const wchar_t* format, ...);

    friend bool operator==(const CString& a, const CString& b) { return a.m_text == b.m_text; }
    friend bool operator!=(const CString& a, const CString& b) { return a.m_text != b.m_text; }

private:
    std::wstring m_text;
};

// ---------------------------------------------------------------------------------------------
// Runtime-class records

class CObject;

struct CRuntimeClass {
    const char* m_lpszClassName;
    int m_nObjectSize;
    UINT m_wSchema;                 // 0xFFFF: not serialisable
    CObject* (*m_pfnCreateObject)();  // null: no dynamic creation
    CRuntimeClass* m_pBaseClass;

    bool IsDerivedFrom(const CRuntimeClass* base) const;
};

#define RUNTIME_CLASS(class_name) (&class_name::class##class_name)

#define DECLARE_DYNAMIC(class_name)                     \
public:                                                 \
    static CRuntimeClass class##class_name;             \
    CRuntimeClass* GetRuntimeClass() const override;

#define IMPLEMENT_DYNAMIC(class_name, base_class_name)                                           \
    CRuntimeClass class_name::class##class_name = {#class_name, sizeof(class_name), 0xFFFF,      \
                                                    nullptr, RUNTIME_CLASS(base_class_name)};    \
    CRuntimeClass* class_name::GetRuntimeClass() const { return RUNTIME_CLASS(class_name); }

class CObject {
public:
    static CRuntimeClass classCObject;
    virtual CRuntimeClass* GetRuntimeClass() const;
    virtual ~CObject() = default;
    bool IsKindOf(const CRuntimeClass* pClass) const;

protected:
    CObject() = default;
    CObject(const CObject&) = delete;
    CObject& operator=(const CObject&) = delete;
};

// ---------------------------------------------------------------------------------------------
// Message maps
//
// One entry per line, walked in order; the first entry that matches handles the message. A class
// map chains to its base class's map. Entries are type-safe: each macro makes a small thunk for
// the handler's signature. Handlers are named as pointers to members (&CMyDlg::OnFind); they may
// be protected or private, since the map is a member of the class.

class CCmdTarget;
struct AFX_MSGMAP_ENTRY;

// Calls the handler; returns false when the entry declines the message.
using AfxMsgThunk = bool (*)(CCmdTarget* target, const AFX_MSGMAP_ENTRY& entry, WPARAM wParam,
                             LPARAM lParam, LRESULT* result);

struct AFX_MSGMAP_ENTRY {
    UINT nMessage;   // WM_COMMAND, WM_NOTIFY, or the message itself
    UINT nCode;      // notification code (BN_CLICKED, TCN_SELCHANGE, ...) or 0
    UINT nID;        // control ID, or the first of a range
    UINT nLastID;    // last ID of a range (== nID otherwise)
    AfxMsgThunk pfn; // null ends the map
};

struct AFX_MSGMAP {
    const AFX_MSGMAP* (*pfnGetBaseMap)();
    const AFX_MSGMAP_ENTRY* lpEntries;
};

#define DECLARE_MESSAGE_MAP()                                   \
protected:                                                      \
    static const AFX_MSGMAP* GetThisMessageMap();               \
    const AFX_MSGMAP* GetMessageMap() const override;

#define BEGIN_MESSAGE_MAP(theClass, baseClass)                                          \
    const AFX_MSGMAP* theClass::GetMessageMap() const { return GetThisMessageMap(); }   \
    const AFX_MSGMAP* theClass::GetThisMessageMap() {                                   \
        using ThisClass = theClass;                                                     \
        using TheBaseClass = baseClass;                                                 \
        static_assert(std::is_base_of_v<TheBaseClass, ThisClass>, "map base is no base"); \
        static const AFX_MSGMAP_ENTRY _messageEntries[] = {

#define END_MESSAGE_MAP()                                                               \
        {0, 0, 0, 0, nullptr}};                                                         \
        static const AFX_MSGMAP messageMap = {&TheBaseClass::GetThisMessageMap,        \
                                              &_messageEntries[0]};                     \
        return &messageMap;                                                             \
    }

namespace afx_detail {
template <class T> T* Self(CCmdTarget* target) { return static_cast<T*>(target); }

// The handler's signature, whatever class declared it: a handler inherited from a base class has
// a pointer-to-member type of that base, which a template parameter typed on T would refuse.
template <class M> struct Handler;
template <class C, class R, class... A> struct Handler<R (C::*)(A...)> {
    using Class = C;
    using Signature = R(A...);
};
template <class T, auto Fn, class Sig> constexpr bool Fits() {
    using H = Handler<decltype(Fn)>;
    return std::is_base_of_v<typename H::Class, T> && std::is_same_v<typename H::Signature, Sig>;
}

// void Handler()
template <class T, auto Fn>
bool CommandThunk(CCmdTarget* t, const AFX_MSGMAP_ENTRY&, WPARAM, LPARAM, LRESULT* r) {
    static_assert(Fits<T, Fn, void()>(), "command handler must be void Handler()");
    (Self<T>(t)->*Fn)();
    *r = 0;
    return true;
}
// void Handler(UINT id) for a command range
template <class T, auto Fn>
bool CommandRangeThunk(CCmdTarget* t, const AFX_MSGMAP_ENTRY&, WPARAM wp, LPARAM, LRESULT* r) {
    static_assert(Fits<T, Fn, void(UINT)>(), "range handler must be void Handler(UINT)");
    (Self<T>(t)->*Fn)(LOWORD(wp));
    *r = 0;
    return true;
}
// void Handler(NMHDR*, LRESULT*)
template <class T, auto Fn>
bool NotifyThunk(CCmdTarget* t, const AFX_MSGMAP_ENTRY&, WPARAM, LPARAM lp, LRESULT* r) {
    static_assert(Fits<T, Fn, void(NMHDR*, LRESULT*)>(),
                  "notify handler must be void Handler(NMHDR*, LRESULT*)");
    *r = 0;
    (Self<T>(t)->*Fn)(reinterpret_cast<NMHDR*>(lp), r);
    return true;
}
// LRESULT Handler(WPARAM, LPARAM)
template <class T, auto Fn>
bool MessageThunk(CCmdTarget* t, const AFX_MSGMAP_ENTRY&, WPARAM wp, LPARAM lp, LRESULT* r) {
    static_assert(Fits<T, Fn, LRESULT(WPARAM, LPARAM)>(),
                  "message handler must be LRESULT Handler(WPARAM, LPARAM)");
    *r = (Self<T>(t)->*Fn)(wp, lp);
    return true;
}
// void OnClose()
template <class T, auto Fn>
bool VoidMessageThunk(CCmdTarget* t, const AFX_MSGMAP_ENTRY&, WPARAM, LPARAM, LRESULT* r) {
    static_assert(Fits<T, Fn, void()>(), "handler must be void Handler()");
    (Self<T>(t)->*Fn)();
    *r = 0;
    return true;
}
}  // namespace afx_detail

#define ON_COMMAND(id, memberFxn) \
    {WM_COMMAND, 0, (UINT)(id), (UINT)(id), &afx_detail::CommandThunk<ThisClass, memberFxn>},
#define ON_BN_CLICKED(id, memberFxn) \
    {WM_COMMAND, BN_CLICKED, (UINT)(id), (UINT)(id), &afx_detail::CommandThunk<ThisClass, memberFxn>},
#define ON_COMMAND_RANGE(id, idLast, memberFxn)                    \
    {WM_COMMAND, 0, (UINT)(id), (UINT)(idLast),                    \
     &afx_detail::CommandRangeThunk<ThisClass, memberFxn>},
#define ON_NOTIFY(wNotifyCode, id, memberFxn)                     \
    {WM_NOTIFY, (UINT)(wNotifyCode), (UINT)(id), (UINT)(id),      \
     &afx_detail::NotifyThunk<ThisClass, memberFxn>},
#define ON_MESSAGE(message, memberFxn) \
    {(UINT)(message), 0, 0, 0, &afx_detail::MessageThunk<ThisClass, memberFxn>},
#define ON_WM_CLOSE() \
    {WM_CLOSE, 0, 0, 0, &afx_detail::VoidMessageThunk<ThisClass, &ThisClass::OnClose>},

class CCmdTarget : public CObject {
    DECLARE_DYNAMIC(CCmdTarget)
public:
    static const AFX_MSGMAP* GetThisMessageMap();
    virtual const AFX_MSGMAP* GetMessageMap() const;

    // Walks the map chain for a message; true when an entry handled it.
    bool DispatchMessageMap(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);
};

// ---------------------------------------------------------------------------------------------
// Windows

class CFont;

class CWnd : public CCmdTarget {
    DECLARE_DYNAMIC(CWnd)
public:
    CWnd();
    // Still bound to a live window: lets go of it (restores its procedure) and leaves it alive.
    ~CWnd() override;

    HWND m_hWnd;

    HWND GetSafeHwnd() const { return m_hWnd; }
    operator HWND() const { return m_hWnd; }

    // Places for SetWindowPos's pWndInsertAfter: the top or the bottom of the Z order.
    static const CWnd& wndTop;
    static const CWnd& wndBottom;

    // The wrapper bound to hWnd, or a temporary one owned by the framework (null for null and for
    // a handle that is no window). A temporary lives at least as long as its window.
    static CWnd* FromHandle(HWND hWnd);
    // The wrapper bound to hWnd, or null.
    static CWnd* FromHandlePermanent(HWND hWnd);

    // Binds this object to the template's control with ID nID of pParent: the control keeps its
    // window, and its messages pass through this object's message map first.
    BOOL SubclassDlgItem(UINT nID, CWnd* pParent);
    BOOL SubclassWindow(HWND hWnd);
    HWND UnsubclassWindow();

    BOOL ShowWindow(int nCmdShow);
    BOOL EnableWindow(BOOL bEnable = TRUE);
    BOOL IsWindowEnabled() const;
    BOOL IsWindowVisible() const;
    void MoveWindow(int x, int y, int nWidth, int nHeight, BOOL bRepaint = TRUE);
    BOOL SetWindowPos(const CWnd* pWndInsertAfter, int x, int y, int cx, int cy, UINT nFlags);
    void GetWindowRect(LPRECT lpRect) const;
    void GetClientRect(LPRECT lpRect) const;
    void SetWindowText(const wchar_t* lpszString);
    void GetWindowText(CString& rString) const;
    int GetWindowTextLength() const;
    LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;
    BOOL PostMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;
    BOOL BringWindowToTop();
    // The window that had the focus, or null. SetFocus activates the window's top-level window
    // when it is not the active one.
    CWnd* SetFocus();
    static CWnd* GetFocus();
    void SetFont(CFont* pFont, BOOL bRedraw = TRUE);
    HFONT GetFont() const;  // the font the window draws with; null for the system font
    HICON SetIcon(HICON hIcon, BOOL bBigIcon);
    CWnd* GetDlgItem(int nID) const;
    CWnd* GetParent() const;
    virtual BOOL DestroyWindow();

    // Called for messages bound for this window or its children, before they are dispatched.
    // TRUE: the message was handled and must not be dispatched.
    virtual BOOL PreTranslateMessage(MSG* pMsg);

    // CWnd's own map: no entries.
    static const AFX_MSGMAP* GetThisMessageMap();
    const AFX_MSGMAP* GetMessageMap() const override;

protected:
    // Routes a message: the message map first, then the default procedure.
    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    virtual LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    // Last message of the window: the wrapper lets go of the handle.
    virtual void PostNcDestroy();

private:
    friend struct CWndAccess;
    WNDPROC m_pfnSuper;  // the window's own procedure, for subclassed controls
};

// ---------------------------------------------------------------------------------------------
// Dialogs

class CDialog : public CWnd {
    DECLARE_DYNAMIC(CDialog)
public:
    CDialog();
    CDialog(UINT nIDTemplate, CWnd* pParentWnd = nullptr);
    // Destroys a window the dialog still has, after letting go of it (no handler runs).
    ~CDialog() override;

    // Modeless creation from a template found through the module's resource chain.
    virtual BOOL Create(UINT nIDTemplate, CWnd* pParentWnd = nullptr);

    virtual BOOL OnInitDialog();
    virtual void OnOK();
    // Ends the dialog with IDCANCEL; a modeless dialog is only hidden.
    virtual void OnCancel();
    void EndDialog(int nResult);

    // The dialog keyboard (Tab, arrows, mnemonics) through IsDialogMessage.
    BOOL PreTranslateMessage(MSG* pMsg) override;

    // Moves the focus to a control of this dialog as the dialog keyboard does (WM_NEXTDLGCTL: the
    // default button follows, an edit's text is selected).
    void GotoDlgCtrl(CWnd* pWndCtrl);
    // The same, but only while this dialog is the active window; otherwise the control takes the
    // focus when the dialog is next activated, the way a dialog gets back the control that had it.
    // Unlike GotoDlgCtrl it never activates the dialog: a hidden dialog, or one behind another
    // window of the client, must not take the keyboard.
    void GotoDlgCtrlWhenActive(CWnd* pWndCtrl);

    UINT GetTemplateID() const { return m_nIDTemplate; }

    static const AFX_MSGMAP* GetThisMessageMap();
    const AFX_MSGMAP* GetMessageMap() const override;

protected:
    // A message the map handled also leaves its result in DWLP_MSGRESULT, where dialog code
    // looks for it.
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

    UINT m_nIDTemplate;
    CWnd* m_pParentWnd;

private:
    friend struct CDialogAccess;
    HWND m_hWndFocusOnActivate = nullptr;  // for GotoDlgCtrlWhenActive
};

// ---------------------------------------------------------------------------------------------
// Controls: no state of their own; each call is one message to the control.

class CStatic : public CWnd {
public:
    HBITMAP SetBitmap(HBITMAP hBitmap);
    HBITMAP GetBitmap() const;
};

class CButton : public CWnd {
public:
    int GetCheck() const;  // BST_UNCHECKED, BST_CHECKED or BST_INDETERMINATE
    void SetCheck(int nCheck);
};

class CEdit : public CWnd {
public:
    void LimitText(int nChars = 0);
    UINT GetLimitText() const;
};

class CComboBox : public CWnd {
public:
    int AddString(const wchar_t* lpszString);
    int GetCount() const;
    int GetCurSel() const;  // CB_ERR (-1) when nothing is selected
    int SetCurSel(int nSelect);
    void GetLBText(int nIndex, CString& rString) const;
};

class CListCtrl : public CWnd {
public:
    int InsertColumn(int nCol, const wchar_t* lpszColumnHeading, int nFormat = LVCFMT_LEFT,
                     int nWidth = -1, int nSubItem = -1);
    int InsertItem(int nItem, const wchar_t* lpszItem);
    BOOL SetItemText(int nItem, int nSubItem, const wchar_t* lpszText);
    CString GetItemText(int nItem, int nSubItem) const;
    BOOL DeleteAllItems();
    int GetItemCount() const;
    UINT GetSelectedCount() const;
    int GetNextItem(int nItem, int nFlags) const;  // -1 when there is none
    BOOL SetItemState(int nItem, UINT nState, UINT nMask);
    DWORD GetExtendedStyle() const;
    DWORD SetExtendedStyle(DWORD dwNewStyle);
};

class CTabCtrl : public CWnd {
public:
    LONG InsertItem(UINT nMask, int nItem, const wchar_t* lpszItem, int nImage, LPARAM lParam);
    int GetCurSel() const;
    int SetCurSel(int nItem);
    int GetItemCount() const;
    // Width and height of fixed-width items; returns the old size (width low, height high).
    DWORD SetItemSize(int nWidth, int nHeight);
    int SetMinTabWidth(int cx);  // returns the old minimum
    BOOL GetItemRect(int nItem, LPRECT lpRect) const;
};

// ---------------------------------------------------------------------------------------------
// GDI objects

class CFont {
public:
    CFont() = default;
    ~CFont();
    CFont(const CFont&) = delete;
    CFont& operator=(const CFont&) = delete;

    // CreateFontW's arguments; fails when the font already holds one.
    BOOL CreateFont(int nHeight, int nWidth, int nEscapement, int nOrientation, int nWeight,
                    BYTE bItalic, BYTE bUnderline, BYTE cStrikeOut, BYTE nCharSet,
                    BYTE nOutPrecision, BYTE nClipPrecision, BYTE nQuality, BYTE nPitchAndFamily,
                    const wchar_t* lpszFacename);
    // Takes ownership; fails when the font already holds one.
    BOOL Attach(HFONT hFont);
    HFONT Detach();
    BOOL DeleteObject();
    HFONT GetSafeHandle() const { return m_hObject; }
    operator HFONT() const { return m_hObject; }

    HFONT m_hObject = nullptr;
};

// ---------------------------------------------------------------------------------------------
// Extension modules: a DLL registers itself so that dialogs find its templates.

struct AFX_EXTENSION_MODULE {
    BOOL bInitialized = FALSE;
    HMODULE hModule = nullptr;
    HMODULE hResource = nullptr;
};

BOOL AfxInitExtensionModule(AFX_EXTENSION_MODULE& state, HMODULE hModule);
void AfxTermExtensionModule(AFX_EXTENSION_MODULE& state, BOOL bAll = FALSE);

// A module in the resource chain. Created with new; the chain owns it from then on.
class CDynLinkLibrary : public CCmdTarget {
public:
    explicit CDynLinkLibrary(AFX_EXTENSION_MODULE& state, BOOL bSystem = FALSE);
    ~CDynLinkLibrary() override;

    HMODULE m_hModule;
    HMODULE m_hResource;
    BOOL m_bSystem;
    CDynLinkLibrary* m_pNextDLL;
};

// The module of the chain (most recently registered first) that holds the resource, or null.
HINSTANCE AfxFindResourceHandle(const wchar_t* lpszName, const wchar_t* lpszType);

// For a host with a message loop of its own: runs the framework's pre-translation (the
// PreTranslateMessage of the framework window the message is bound for, or of its dialog).
// TRUE: the message was consumed. The framework also arranges this itself through a per-thread
// message hook while one of its dialogs exists.
BOOL AfxPreTranslateMessage(MSG* pMsg);

// A handler that throws cannot unwind through the system's window procedure: the framework's
// window procedure stops the exception there and keeps the first one per thread. Returns it
// (null when there is none) and forgets it.
std::exception_ptr AfxTakeWndProcException();
