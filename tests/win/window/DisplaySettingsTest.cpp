// The window under the display settings a user changes while it is open: a high-contrast scheme
// (measured on the window's picture on screen) and a new DPI (WM_DPICHANGED, as a per-monitor
// aware client gets it when the window moves to a display of another scale).
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "DesktopDpi.h"
#include "HighContrast.h"
#include "LayoutFigures.h"
#include "SearchWindowFixture.h"
#include "WindowLook.h"
#include "WindowPicture.h"

namespace {

using layout::Scaled;

// A high-contrast scheme, every system colour of it. The dialog's face and the inputs' background
// differ, and so do the button text and the window text, so that a part painted with the wrong
// pair shows; no colour is the skin's (its separator's grey, its tab page's white face).
const wintest::SystemColours kScheme = {
    {COLOR_SCROLLBAR, RGB(0, 0, 0)},          {COLOR_BACKGROUND, RGB(0, 0, 0)},
    {COLOR_ACTIVECAPTION, RGB(128, 0, 128)},  {COLOR_INACTIVECAPTION, RGB(0, 128, 0)},
    {COLOR_MENU, RGB(0, 0, 0)},               {COLOR_WINDOW, RGB(0, 0, 96)},
    {COLOR_WINDOWFRAME, RGB(255, 255, 255)},  {COLOR_MENUTEXT, RGB(255, 255, 255)},
    {COLOR_WINDOWTEXT, RGB(255, 255, 255)},   {COLOR_CAPTIONTEXT, RGB(255, 255, 255)},
    {COLOR_ACTIVEBORDER, RGB(255, 255, 0)},   {COLOR_INACTIVEBORDER, RGB(0, 128, 0)},
    {COLOR_APPWORKSPACE, RGB(0, 0, 0)},       {COLOR_HIGHLIGHT, RGB(0, 255, 255)},
    {COLOR_HIGHLIGHTTEXT, RGB(0, 0, 0)},      {COLOR_BTNFACE, RGB(0, 0, 0)},
    {COLOR_BTNSHADOW, RGB(128, 128, 128)},    {COLOR_GRAYTEXT, RGB(0, 255, 0)},
    {COLOR_BTNTEXT, RGB(255, 255, 0)},        {COLOR_INACTIVECAPTIONTEXT, RGB(255, 255, 255)},
    {COLOR_BTNHIGHLIGHT, RGB(255, 255, 255)}, {COLOR_3DDKSHADOW, RGB(255, 255, 255)},
    {COLOR_3DLIGHT, RGB(255, 255, 255)},      {COLOR_INFOTEXT, RGB(255, 255, 255)},
    {COLOR_INFOBK, RGB(0, 0, 0)},             {25, RGB(0, 0, 0)},  // the unnamed index between
    {COLOR_HOTLIGHT, RGB(255, 255, 0)},       {COLOR_GRADIENTACTIVECAPTION, RGB(128, 0, 128)},
    {COLOR_GRADIENTINACTIVECAPTION, RGB(0, 128, 0)}, {COLOR_MENUHILIGHT, RGB(0, 255, 255)},
    {COLOR_MENUBAR, RGB(0, 0, 0)},
};

std::uint32_t Rgb(COLORREF c) {
    return (static_cast<std::uint32_t>(GetRValue(c)) << 16) | (GetGValue(c) << 8) | GetBValue(c);
}
std::uint32_t SystemRgb(int index) { return Rgb(::GetSysColor(index)); }

std::vector<std::uint32_t> SystemColoursNow() {
    std::vector<std::uint32_t> colours;
    for (COLORREF c : wintest::CurrentSystemColours()) colours.push_back(Rgb(c));
    return colours;
}

// A part of the window, and the system colours it is drawn in under the scheme: its background
// (the commonest colour of its rectangle) and, where it shows text, its text (the commonest other
// colour a few pixels inside its edges, where no frame is). -1: no text to look at.
struct SchemePart {
    const char* what;
    int id;
    int background;
    int text;
};
const SchemePart kUsersForm[] = {
    {"tab body", ids::Tab, COLOR_BTNFACE, -1},
    {"criteria heading", ids::StaticCriteria, COLOR_BTNFACE, COLOR_BTNTEXT},
    {"separator line", ids::Separator, COLOR_BTNTEXT, -1},
    {"company radio", ids::RadioCompany, COLOR_BTNFACE, COLOR_BTNTEXT},
    {"company edit", ids::EditCompany, COLOR_WINDOW, COLOR_WINDOWTEXT},
    {"nickname edit, disabled", ids::EditNick, COLOR_BTNFACE, -1},
    {"Find", ids::Find, COLOR_BTNFACE, COLOR_BTNTEXT},
};
const SchemePart kZonesForm[] = {
    {"tab body", ids::Tab, COLOR_BTNFACE, -1},
    {"industry label", ids::StaticIndustry, COLOR_BTNFACE, COLOR_BTNTEXT},
    {"zone name radio", ids::RadioZoneByName, COLOR_BTNFACE, COLOR_BTNTEXT},
};
const SchemePart kUserResults[] = {
    {"user list", ids::ListUser, COLOR_WINDOW, COLOR_WINDOWTEXT},
    {"page label", ids::PageLabel, COLOR_BTNFACE, COLOR_BTNTEXT},
    {"Back", ids::Back, COLOR_BTNFACE, COLOR_BTNTEXT},
};

struct Look {
    std::uint32_t background = 0;
    std::uint32_t text = 0;
};

// In the picture of the dialog (which starts at its outer corner), a rectangle of the control's
// client area.
RECT InPicture(HWND dialog, HWND control, RECT rc) {
    ::MapWindowPoints(control, nullptr, reinterpret_cast<POINT*>(&rc), 2);
    RECT outer = {};
    ::GetWindowRect(dialog, &outer);
    ::OffsetRect(&rc, -outer.left, -outer.top);
    return rc;
}

// A list's text is looked at in its first cell, away from the headings.
Look LookOf(const windriver::Picture& picture, HWND dialog, HWND control) {
    Look look;
    look.background = windriver::CommonestColour(picture, windriver::RectIn(control, dialog, false));
    RECT inside = windriver::RectIn(control, dialog, false);
    ::InflateRect(&inside, -3, -3);
    if (::SendMessageW(control, LVM_GETHEADER, 0, 0))
        inside = InPicture(dialog, control, windriver::ListCellRect(control, 0, 0));
    std::map<std::uint32_t, int> counts;
    for (int y = inside.top; y < inside.bottom; ++y)
        for (int x = inside.left; x < inside.right; ++x)
            if (picture.At(x, y) != look.background) ++counts[picture.At(x, y)];
    int most = 0;
    for (const auto& [colour, count] : counts)
        if (count > most) most = count, look.text = colour;
    return look;
}

::testing::AssertionResult Holds(const windriver::Result& result) {
    if (result) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << result.Why();
}

}  // namespace

// Under a high-contrast scheme the window is drawn in the scheme's colours and no other: whether it
// was opened under the scheme or the scheme came while it was open.
TEST_F(SearchWindowTest, HighContrastSchemeDrawsTheWindowInTheSystemColoursOnly) {
    m_handler.industries = {L"金融"};
    const struct {
        const char* view;
        std::function<void()> show;
        const std::vector<SchemePart> parts;
    } views[] = {
        {"users form", [&] { ClickTab(0); Type(ids::EditCompany, L"Acme 2024"); },
         {std::begin(kUsersForm), std::end(kUsersForm)}},
        {"zones form", [&] { ClickTab(1); Click(ids::RadioZoneByName); }, {std::begin(kZonesForm), std::end(kZonesForm)}},
        {"user results", [&] { ClickTab(0); SearchByNick(L"王", Users(1, 12)); SelectRow(1); },
         {std::begin(kUserResults), std::end(kUserResults)}},
    };
    for (bool openedUnderScheme : {true, false}) {
        const char* how = openedUnderScheme ? "opened under the scheme" : "scheme turned on while open";
        if (!openedUnderScheme) Start(true);
        wintest::HighContrastScope scheme(L"Search.dll", kScheme);
        ASSERT_TRUE(scheme.On()) << scheme.Why();
        if (openedUnderScheme) Start(true);
        Pump();
        for (const auto& v : views) {
            v.show();
            // The caret and the focus rectangle invert what is under them: not colours of the window.
            ::SetFocus(nullptr);
            Pump();
            windriver::Picture picture;
            ASSERT_TRUE(windriver::CaptureWindow(Dialog(), picture));
            for (const SchemePart& part : v.parts) {
                const Look look = LookOf(picture, Dialog(), Control(part.id));
                EXPECT_EQ(look.background, SystemRgb(part.background)) << how << ", " << v.view << ": " << part.what;
                if (part.text >= 0) {
                    EXPECT_EQ(look.text, SystemRgb(part.text)) << how << ", " << v.view << ": " << part.what << " text";
                }
            }
            EXPECT_TRUE(Holds(windriver::DrawnOnlyIn(Dialog(), SystemColoursNow()))) << how << ", " << v.view;
            if (openedUnderScheme && std::string(v.view) == "user results")
                Snapshot(L"users-results-high-contrast");
        }
        Stop();
    }
}

// When the scheme goes, the skin's look comes back: every part is drawn as it was before the scheme
// came, and the labels sit on their page again.
TEST_F(SearchWindowTest, WindowGetsItsOwnLookBackWhenTheSchemeGoes) {
    Start(true);
    SearchByNick(L"王", Users(1, 3));
    Click(ids::Back);
    ::SetFocus(nullptr);
    const int parts[] = {ids::Tab, ids::Separator, ids::StaticCriteria, ids::RadioCompany, ids::EditCompany,
                         ids::EditNick, ids::Find};
    std::map<int, std::uint32_t> before;
    windriver::Picture picture;
    ASSERT_TRUE(windriver::CaptureWindow(Dialog(), picture));
    for (int id : parts) before[id] = LookOf(picture, Dialog(), Control(id)).background;
    const COLORREF listBefore = static_cast<COLORREF>(::SendMessageW(Control(ids::ListUser), LVM_GETBKCOLOR, 0, 0));
    {
        wintest::HighContrastScope scheme(L"Search.dll", kScheme);
        ASSERT_TRUE(scheme.On()) << scheme.Why();
        Pump();
    }
    Pump();
    ::SetFocus(nullptr);
    ASSERT_TRUE(windriver::CaptureWindow(Dialog(), picture));
    for (int id : parts)
        EXPECT_EQ(LookOf(picture, Dialog(), Control(id)).background, before[id]) << "control " << id;
    EXPECT_EQ(::SendMessageW(Control(ids::ListUser), LVM_GETBKCOLOR, 0, 0), static_cast<LRESULT>(listBefore));
    EXPECT_TRUE(Holds(windriver::LabelsSitOnTheirBackground(Dialog(), windriver::kUserFormLabels)));
}

// A display of 150 % and back: every rectangle, the fonts, the columns and the tabs at 144 DPI, and
// at 96 every figure of the design again. The window takes the rectangle the system suggests.
TEST_F(SearchWindowTest, NewDpiLaysTheWindowOutAgainAndBackAtTheFirstAsDesigned) {
    if (wintest::RequestedDesktopDpi() != 0) GTEST_SKIP() << "a run at another DPI";
    Start(true);
    ASSERT_EQ(windriver::WindowDpi(Dialog()), 96u);
    RECT first = {};
    ::GetWindowRect(Dialog(), &first);
    const HFONT templateFont = reinterpret_cast<HFONT>(::SendMessageW(Dialog(), WM_GETFONT, 0, 0));
    LOGFONTW templateLf = {};
    ASSERT_TRUE(::GetObjectW(templateFont, sizeof(templateLf), &templateLf));

    for (UINT dpi : {144u, 96u}) {
        RECT suggested = {first.left, first.top, first.left + Scaled(layout::kWindowWidth, dpi),
                          first.top + Scaled(layout::kWindowHeight, dpi)};
        ::SendMessageW(Dialog(), WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&suggested));
        Pump();
        Snapshot(L"users-form-dpi-changed-to-" + std::to_wstring(dpi));

        RECT window = {};
        ::GetWindowRect(Dialog(), &window);
        EXPECT_TRUE(::EqualRect(&window, &suggested)) << dpi << " DPI: the window takes the suggested rectangle";
        for (const layout::Placement& p : layout::kPlacements) {
            const RECT actual = ClientRect(p.id);
            const RECT expected = Scaled(p.rect, dpi);
            EXPECT_TRUE(::EqualRect(&actual, &expected))
                << dpi << " DPI, control " << p.id << ": expected (" << expected.left << "," << expected.top << ","
                << expected.right << "," << expected.bottom << ") got (" << actual.left << "," << actual.top << ","
                << actual.right << "," << actual.bottom << ")";
        }

        // The dialog font on the controls that had it, the template's face on the others.
        const HFONT font = reinterpret_cast<HFONT>(::SendMessageW(Control(ids::ListUser), WM_GETFONT, 0, 0));
        LOGFONTW lf = {};
        ASSERT_TRUE(::GetObjectW(font, sizeof(lf), &lf)) << dpi << " DPI: the font is alive";
        EXPECT_EQ(lf.lfHeight, Scaled(layout::kFontHeight, dpi)) << dpi << " DPI";
        for (int id : {ids::ListZone, ids::RadioNick, ids::EditZoneId, ids::Tab, ids::PageLabel, ids::ComboIndustry})
            EXPECT_EQ(reinterpret_cast<HFONT>(::SendMessageW(Control(id), WM_GETFONT, 0, 0)), font)
                << dpi << " DPI, control " << id;
        for (int id : {ids::RadioCompany, ids::EditCompany, ids::StaticCriteria, ids::GroupExact}) {
            const HFONT own = reinterpret_cast<HFONT>(::SendMessageW(Control(id), WM_GETFONT, 0, 0));
            LOGFONTW ownLf = {};
            ASSERT_TRUE(::GetObjectW(own, sizeof(ownLf), &ownLf)) << dpi << " DPI, control " << id;
            EXPECT_EQ(ownLf.lfHeight, ::MulDiv(templateLf.lfHeight, static_cast<int>(dpi), 96))
                << dpi << " DPI, control " << id;
            EXPECT_EQ(std::wstring(ownLf.lfFaceName), std::wstring(templateLf.lfFaceName)) << "control " << id;
            if (dpi == 96) {
                EXPECT_EQ(own, templateFont) << "control " << id << " has the template's font again";
            }
        }

        for (const layout::ListColumns& list : layout::kColumnWidths)
            for (int c = 0; c < list.count; ++c)
                EXPECT_EQ(::SendMessageW(Control(list.list), LVM_GETCOLUMNWIDTH, c, 0), Scaled(list.widths[c], dpi))
                    << dpi << " DPI, list " << list.list << " column " << c;
        RECT item = {};
        ::SendMessageW(Control(ids::Tab), TCM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&item));
        EXPECT_EQ(item.bottom - item.top, Scaled(layout::kTabItemHeight, dpi)) << dpi << " DPI";
    }
}
