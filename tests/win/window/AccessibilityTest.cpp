// The window as a screen reader hears it: every control's name as oleacc reads it from the window
// (AccessibleObjectFromWindow on the control, then get_accName), and what an object a screen
// reader still holds answers once its window is gone.
#include <oleacc.h>

#include <functional>
#include <map>
#include <memory>
#include <vector>

#include "SearchWindowFixture.h"

namespace {

// MinGW-w64's oleacc import library gives a thunk's bytes for IID_IAccessible; the GUID itself.
const IID kIID_IAccessible = {0x618736e0, 0x3c3d, 0x11cf, {0x81, 0x0c, 0x00, 0xaa, 0x00, 0x38, 0x9b, 0x71}};
const IID kIID_IOleWindow = {0x00000114, 0x0000, 0x0000, {0xc0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

struct Releaser {
    void operator()(IUnknown* p) const { p->Release(); }
};
using AccessiblePtr = std::unique_ptr<IAccessible, Releaser>;

AccessiblePtr ClientObject(HWND control) {
    IAccessible* object = nullptr;
    if (FAILED(::AccessibleObjectFromWindow(control, OBJID_CLIENT, kIID_IAccessible, reinterpret_cast<void**>(&object))))
        return nullptr;
    return AccessiblePtr(object);
}

VARIANT Self() {
    VARIANT self;
    ::VariantInit(&self);
    self.vt = VT_I4;
    self.lVal = CHILDID_SELF;
    return self;
}

// What a screen reader says for the object: its name, "(no name)" when it has none, or the error.
std::wstring Spoken(IAccessible& object) {
    BSTR name = nullptr;
    const HRESULT hr = object.get_accName(Self(), &name);
    std::wstring spoken = FAILED(hr) ? L"(error " + std::to_wstring(hr) + L")" : name ? name : L"(no name)";
    ::SysFreeString(name);
    return spoken;
}

// What each question a screen reader asks of an object about itself answered.
std::vector<HRESULT> AskEverything(IAccessible& object) {
    const VARIANT self = Self();
    BSTR text = nullptr;
    VARIANT out[5];
    for (VARIANT& v : out) ::VariantInit(&v);
    IDispatch* parent = nullptr;
    long n = 0;
    HWND hWnd = nullptr;
    IOleWindow* window = nullptr;
    const HRESULT hasWindow = object.QueryInterface(kIID_IOleWindow, reinterpret_cast<void**>(&window));
    const std::vector<HRESULT> answers = {
        object.get_accValue(self, &text), object.get_accRole(self, &out[0]), object.get_accState(self, &out[1]),
        object.get_accParent(&parent),     object.get_accChildCount(&n),     object.accLocation(&n, &n, &n, &n, self),
        object.accNavigate(NAVDIR_FIRSTCHILD, self, &out[2]), object.accHitTest(0, 0, &out[3]),
        object.get_accFocus(&out[4]),      SUCCEEDED(hasWindow) ? window->GetWindow(&hWnd) : hasWindow,
    };
    ::SysFreeString(text);
    for (VARIANT& v : out) ::VariantClear(&v);
    if (parent) parent->Release();
    if (window) window->Release();
    return answers;
}

// Every control that can be shown, and the name it must be spoken by. The inputs and the lists by
// what labels them on screen; buttons, radios and labels by their own text.
const std::map<int, std::wstring> kSpokenNames = {
    {ids::EditCompany, L"按公司查询"},       {ids::EditNick, L"按用户昵称查询"},
    {ids::EditAccount, L"按用户账号查询"},   {ids::EditZoneId, L"按ID查找商圈"},
    {ids::EditZoneName, L"按名称查找商圈"},  {ids::ComboIndustry, L"按行业查找商圈"},
    {ids::ListUser, L"查找用户"},            {ids::ListZone, L"查找商圈"},
    {ids::RadioCompany, L"按公司查询"},      {ids::RadioNick, L"按用户昵称查询"},
    {ids::RadioAccount, L"按用户账号查询"},  {ids::RadioZoneById, L"按ID查找商圈"},
    {ids::RadioZoneByName, L"按名称查找商圈"}, {ids::StaticIndustry, L"按行业查找商圈"},
    {ids::StaticCriteria, L"查询条件"},      {ids::PageLabel, L"第1页"},
    {ids::Find, L"查找"},                    {ids::Close, L"关闭"},
    {ids::Back, L"上一步"},                  {ids::PrevPage, L"上一页"},
    {ids::NextPage, L"下一页"},              {ids::View, L"查看资料"},
    // The line under the heading only decorates. The tab control speaks through its items, where
    // the standard object has them (Wine's has none); Tab does not reach it.
    {ids::Separator, L"(no name)"},          {ids::Tab, L"(no name)"},
};

}  // namespace

TEST_F(SearchWindowTest, ScreenReadersHearEveryControlByWhatLabelsIt) {
    m_handler.industries = {L"金融"};
    const struct {
        const char* view;
        std::function<void()> show;
        const wchar_t* add;  // Add's caption on this tab
    } views[] = {
        {"users form", [&] { Start(true); }, L""},
        {"zones form", [&] { ClickTab(1); }, L""},
        {"zone results", [&] { Type(ids::EditZoneId, L"7"); Click(ids::Find); AnswerZones(Zones(7, 3)); }, L"加入商圈"},
        {"user results", [&] { ClickTab(0); SearchByNick(L"王", Users(1, 5)); }, L"加为好友"},
    };
    for (const auto& v : views) {
        v.show();
        int heard = 0;
        for (HWND control = ::GetWindow(Dialog(), GW_CHILD); control; control = ::GetWindow(control, GW_HWNDNEXT)) {
            if (!::IsWindowVisible(control)) continue;
            const int id = ::GetDlgCtrlID(control);
            const auto row = kSpokenNames.find(id);
            const std::wstring expected = id == ids::Add ? v.add : row != kSpokenNames.end() ? row->second : L"";
            ASSERT_FALSE(expected.empty()) << v.view << ": control " << id << " is shown but has no name to check";
            const AccessiblePtr object = ClientObject(control);
            ASSERT_TRUE(object) << v.view << ": control " << id;
            EXPECT_EQ(windriver::Utf8(Spoken(*object)), windriver::Utf8(expected)) << v.view << ": control " << id;
            ++heard;
        }
        EXPECT_GE(heard, 8) << v.view;
    }
}

// A screen reader keeps the objects it was given. Once the window is gone (stopped, or its Search
// deleted) every call on one of them fails, and none reaches what was freed; a window that is only
// closed (hidden) still answers.
TEST_F(SearchWindowTest, AnObjectHeldAfterItsWindowIsGoneAnswersOnlyErrors) {
    const struct {
        const char* how;
        std::function<void()> go;
        const char* spoken;
    } ways[] = {
        {"closed", [&] { Click(ids::Close); }, "按公司查询"},
        {"stopped", [&] { Stop(); }, nullptr},
        {"its Search deleted", [&] { m_search.reset(); Pump(); }, nullptr},
    };
    for (const auto& way : ways) {
        Start(true);
        // An input the module names, and a list, whose standard object has children of its own.
        AccessiblePtr edit = ClientObject(Control(ids::EditCompany)), list = ClientObject(Control(ids::ListUser));
        ASSERT_TRUE(edit && list) << way.how;
        way.go();
        const std::string disconnected = "(error " + std::to_string(RPC_E_DISCONNECTED) + ")";
        EXPECT_EQ(windriver::Utf8(Spoken(*edit)), way.spoken ? way.spoken : disconnected) << way.how;
        for (IAccessible* object : {edit.get(), list.get()}) {
            const std::vector<HRESULT> answers = AskEverything(*object);
            for (std::size_t i = 0; i < answers.size() && !way.spoken; ++i)
                EXPECT_TRUE(FAILED(answers[i])) << way.how << ": question " << i << " answered " << answers[i];
        }
        // Released after the window went: nothing of it is touched.
        edit.reset();
        list.reset();
        if (m_search) Stop();
    }
}
