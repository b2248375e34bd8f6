#include "AccessibleName.h"

#include <commctrl.h>
#include <oleacc.h>

#include <atomic>
#include <mutex>

namespace {

// MinGW-w64's oleacc import library resolves IID_IAccessible to the bytes of an import thunk, not
// to the interface's GUID; with it CreateStdAccessibleObject answers E_NOINTERFACE. The documented
// GUIDs, spelled out.
const IID kIID_IAccessible = {0x618736e0, 0x3c3d, 0x11cf, {0x81, 0x0c, 0x00, 0xaa, 0x00, 0x38, 0x9b, 0x71}};
const IID kIID_IDispatch = {0x00020400, 0x0000, 0x0000, {0xc0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
const IID kIID_IUnknown = {0x00000000, 0x0000, 0x0000, {0xc0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
const IID kIID_IOleWindow = {0x00000114, 0x0000, 0x0000, {0xc0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

// Out-parameters are emptied before anything can fail, so a caller never reads what it passed in.
void Clear(BSTR* p) { if (p) *p = nullptr; }
void Clear(VARIANT* p) { if (p) ::VariantInit(p); }
void Clear(long* p) { if (p) *p = 0; }
void Clear(IDispatch** p) { if (p) *p = nullptr; }
// In-parameters: nothing to empty.
template <class T>
void Clear(const T&) {}

bool IsSelf(const VARIANT& child) { return child.vt == VT_I4 && child.lVal == CHILDID_SELF; }

// The client area of one control, with the control's name. Reference-counted; the control's
// subclass holds one reference until the control's window is destroyed, then disconnects it.
class CNamedAccessible final : public IAccessible, public IOleWindow {
public:
    // With the one reference of the caller; null when the system has no standard object for it.
    static CNamedAccessible* Create(HWND hWnd, const std::wstring& name) {
        IAccessible* standard = nullptr;
        if (FAILED(::CreateStdAccessibleObject(hWnd, OBJID_CLIENT, kIID_IAccessible,
                                               reinterpret_cast<void**>(&standard))) ||
            !standard)
            return nullptr;
        return new CNamedAccessible(hWnd, name, standard);
    }

    // The control is going: from now on every call fails, and the standard object, which speaks
    // of that window, is let go.
    void Disconnect() {
        IAccessible* standard = nullptr;
        {
            std::lock_guard<std::mutex> guard(m_lock);
            standard = m_pStandard;
            m_pStandard = nullptr;
            m_hWnd = nullptr;
        }
        if (standard) standard->Release();
    }

    // IUnknown
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
        if (!ppv) return E_POINTER;
        if (IsEqualIID(riid, kIID_IUnknown) || IsEqualIID(riid, kIID_IDispatch) ||
            IsEqualIID(riid, kIID_IAccessible))
            *ppv = static_cast<IAccessible*>(this);
        else if (IsEqualIID(riid, kIID_IOleWindow))
            *ppv = static_cast<IOleWindow*>(this);
        else {
            *ppv = nullptr;
            return E_NOINTERFACE;
        }
        AddRef();
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++m_nRefs; }
    STDMETHODIMP_(ULONG) Release() override {
        const ULONG left = --m_nRefs;
        if (left == 0) delete this;
        return left;
    }

    // IDispatch: screen readers call the interface itself. Dispatching by name would have to
    // answer with this object's name as well; nothing asks for it, so it is not offered.
    STDMETHODIMP GetTypeInfoCount(UINT* pctinfo) override {
        if (pctinfo) *pctinfo = 0;
        return Connected() ? S_OK : RPC_E_DISCONNECTED;
    }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo** ppTInfo) override {
        if (ppTInfo) *ppTInfo = nullptr;
        return Connected() ? E_NOTIMPL : RPC_E_DISCONNECTED;
    }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
        return Connected() ? E_NOTIMPL : RPC_E_DISCONNECTED;
    }
    STDMETHODIMP Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT* result,
                                     EXCEPINFO*, UINT*) override {
        Clear(result);
        return Connected() ? E_NOTIMPL : RPC_E_DISCONNECTED;
    }

    // IAccessible: the name of the control itself is ours, everything else the standard object's.
    STDMETHODIMP get_accName(VARIANT child, BSTR* name) override {
        if (!name) return E_POINTER;
        *name = nullptr;
        if (!IsSelf(child)) return Forward([&](IAccessible& s) { return s.get_accName(child, name); });
        if (!Connected()) return RPC_E_DISCONNECTED;
        if (m_name.empty()) return S_FALSE;  // no name, as for any nameless object
        *name = ::SysAllocStringLen(m_name.data(), static_cast<UINT>(m_name.size()));
        return *name ? S_OK : E_OUTOFMEMORY;
    }
    STDMETHODIMP get_accParent(IDispatch** parent) override { return Forward(&IAccessible::get_accParent, parent); }
    STDMETHODIMP get_accChildCount(long* count) override { return Forward(&IAccessible::get_accChildCount, count); }
    STDMETHODIMP get_accChild(VARIANT child, IDispatch** object) override {
        return Forward(&IAccessible::get_accChild, child, object);
    }
    STDMETHODIMP get_accValue(VARIANT child, BSTR* value) override {
        return Forward(&IAccessible::get_accValue, child, value);
    }
    STDMETHODIMP get_accDescription(VARIANT child, BSTR* description) override {
        return Forward(&IAccessible::get_accDescription, child, description);
    }
    STDMETHODIMP get_accRole(VARIANT child, VARIANT* role) override {
        return Forward(&IAccessible::get_accRole, child, role);
    }
    STDMETHODIMP get_accState(VARIANT child, VARIANT* state) override {
        return Forward(&IAccessible::get_accState, child, state);
    }
    STDMETHODIMP get_accHelp(VARIANT child, BSTR* help) override {
        return Forward(&IAccessible::get_accHelp, child, help);
    }
    STDMETHODIMP get_accHelpTopic(BSTR* helpFile, VARIANT child, long* topic) override {
        return Forward(&IAccessible::get_accHelpTopic, helpFile, child, topic);
    }
    STDMETHODIMP get_accKeyboardShortcut(VARIANT child, BSTR* shortcut) override {
        return Forward(&IAccessible::get_accKeyboardShortcut, child, shortcut);
    }
    STDMETHODIMP get_accFocus(VARIANT* focus) override { return Forward(&IAccessible::get_accFocus, focus); }
    STDMETHODIMP get_accSelection(VARIANT* selection) override {
        return Forward(&IAccessible::get_accSelection, selection);
    }
    STDMETHODIMP get_accDefaultAction(VARIANT child, BSTR* action) override {
        return Forward(&IAccessible::get_accDefaultAction, child, action);
    }
    STDMETHODIMP accSelect(long flags, VARIANT child) override {
        return Forward(&IAccessible::accSelect, flags, child);
    }
    STDMETHODIMP accLocation(long* left, long* top, long* width, long* height, VARIANT child) override {
        return Forward(&IAccessible::accLocation, left, top, width, height, child);
    }
    STDMETHODIMP accNavigate(long direction, VARIANT start, VARIANT* end) override {
        return Forward(&IAccessible::accNavigate, direction, start, end);
    }
    STDMETHODIMP accHitTest(long x, long y, VARIANT* child) override {
        return Forward(&IAccessible::accHitTest, x, y, child);
    }
    STDMETHODIMP accDoDefaultAction(VARIANT child) override { return Forward(&IAccessible::accDoDefaultAction, child); }
    STDMETHODIMP put_accName(VARIANT child, BSTR name) override {
        return Forward(&IAccessible::put_accName, child, name);
    }
    STDMETHODIMP put_accValue(VARIANT child, BSTR value) override {
        return Forward(&IAccessible::put_accValue, child, value);
    }

    // IOleWindow: how a screen reader finds the window of an object.
    STDMETHODIMP GetWindow(HWND* phwnd) override {
        if (!phwnd) return E_POINTER;
        std::lock_guard<std::mutex> guard(m_lock);
        *phwnd = m_hWnd;
        return m_hWnd ? S_OK : RPC_E_DISCONNECTED;
    }
    STDMETHODIMP ContextSensitiveHelp(BOOL) override {
        return Connected() ? E_NOTIMPL : RPC_E_DISCONNECTED;
    }

private:
    CNamedAccessible(HWND hWnd, const std::wstring& name, IAccessible* standard)
        : m_pStandard(standard), m_hWnd(hWnd), m_name(name) {}
    ~CNamedAccessible() { Disconnect(); }

    bool Connected() const {
        std::lock_guard<std::mutex> guard(m_lock);
        return m_pStandard != nullptr;
    }

    // Empties the out-parameters among args, then calls method with them on the standard object.
    template <class Method, class... Args>
    HRESULT Forward(Method method, Args... args) {
        (Clear(args), ...);
        return Forward([&](IAccessible& s) { return (s.*method)(args...); });
    }

    // Calls fn on the standard object outside the lock, holding a reference of its own: the
    // control may go (and Disconnect run) while the standard object is still answering.
    template <class Fn>
    HRESULT Forward(Fn fn) {
        IAccessible* standard = nullptr;
        {
            std::lock_guard<std::mutex> guard(m_lock);
            standard = m_pStandard;
            if (standard) standard->AddRef();
        }
        if (!standard) return RPC_E_DISCONNECTED;
        const HRESULT hr = fn(*standard);
        standard->Release();
        return hr;
    }

    std::atomic<ULONG> m_nRefs{1};
    mutable std::mutex m_lock;
    IAccessible* m_pStandard;  // null once the control is gone
    HWND m_hWnd;
    const std::wstring m_name;
};

// What the subclass keeps for one control: its name, and its object once somebody asked for it.
struct NamedControl {
    std::wstring name;
    CNamedAccessible* pObject = nullptr;
};

constexpr UINT_PTR kNameSubclassId = 0x5EA2;

LRESULT CALLBACK NamedControlProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam,
                                  UINT_PTR idSubclass, DWORD_PTR refData) {
    auto* named = reinterpret_cast<NamedControl*>(refData);
    switch (message) {
    case WM_GETOBJECT:
        // The object ID is a DWORD: compare its 32 bits, whatever the width of lParam.
        if (static_cast<DWORD>(lParam) == static_cast<DWORD>(OBJID_CLIENT)) {
            if (!named->pObject) named->pObject = CNamedAccessible::Create(hWnd, named->name);
            if (named->pObject) {
                const LRESULT result =
                    ::LresultFromObject(kIID_IAccessible, wParam, static_cast<IAccessible*>(named->pObject));
                // Handing the object over marshals it, which needs COM on this thread. Without
                // it the system's own object answers, as it would for any control.
                if (result > 0) return result;
            }
        }
        break;
    case WM_NCDESTROY:
        if (named->pObject) {
            named->pObject->Disconnect();
            named->pObject->Release();
        }
        ::RemoveWindowSubclass(hWnd, &NamedControlProc, idSubclass);
        delete named;
        break;
    }
    return ::DefSubclassProc(hWnd, message, wParam, lParam);
}

}  // namespace

bool SetAccessibleName(HWND hWndControl, const std::wstring& name) {
    if (!::IsWindow(hWndControl)) return false;
    auto* named = new NamedControl{name};
    if (!::SetWindowSubclass(hWndControl, &NamedControlProc, kNameSubclassId,
                             reinterpret_cast<DWORD_PTR>(named))) {
        delete named;
        return false;
    }
    return true;
}
