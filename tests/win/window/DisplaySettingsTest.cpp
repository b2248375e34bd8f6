// The window under display settings a user changes while it is open: a high-contrast scheme
// (measured on the window's picture on screen) and a new DPI (WM_DPICHANGED, as a per-monitor
// aware client gets it when the window moves to a display of another scale).
#include <algorithm>
#include <functional>
#include <map>
#include <string>

#include "DesktopDpi.h"
#include "HighContrast.h"
#include "LayoutFigures.h"
#include "SearchWindowFixture.h"
#include "WindowLook.h"
#include "WindowPicture.h"

namespace {

using layout::Scaled;

// A high-contrast scheme, COLOR_SCROLLBAR to COLOR_MENUBAR. The dialog's face and the inputs'
// background differ, and so do the button text and the window text, so that a part painted with
// the wrong pair shows; no colour is one of the skin's (its grey line, its tab page's white).
const COLORREF kScheme[] = {
    RGB(0, 0, 0),       RGB(0, 0, 0),       RGB(128, 0, 128),   RGB(0, 128, 0),     RGB(0, 0, 0),
    RGB(0, 0, 96),      RGB(255, 255, 255), RGB(255, 255, 255), RGB(255, 255, 255), RGB(255, 255, 255),
    RGB(255, 255, 0),   RGB(0, 128, 0),     RGB(0, 0, 0),       RGB(0, 255, 255),   RGB(0, 0, 0),
    RGB(0, 0, 0),       RGB(128, 128, 128), RGB(0, 255, 0),     RGB(255, 255, 0),   RGB(255, 255, 255),
    RGB(255, 255, 255), RGB(255, 255, 255), RGB(255, 255, 255), RGB(255, 255, 255), RGB(0, 0, 0),
    RGB(0, 0, 0),       RGB(255, 255, 0),   RGB(128, 0, 128),   RGB(0, 128, 0),     RGB(0, 255, 255),
    RGB(0, 0, 0),
};

wintest::SystemColours Scheme() {
    wintest::SystemColours scheme;
    for (int i = 0; i < static_cast<int>(std::size(kScheme)); ++i) scheme.emplace_back(COLOR_SCROLLBAR + i, kScheme[i]);
    return scheme;
}

std::uint32_t Rgb(COLORREF c) { return (GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c); }

// A part of a view and the system colours it is drawn in: its background (the commonest colour of
// its rectangle) and its text (the commonest other colour inside its frame, or in a list's first
// cell); -1 where there is no text to look at.
struct SchemePart {
    int view;  // 0 users form, 1 zones form, 2 user results
    int id;
    int background;
    int text;
};
const SchemePart kSchemeParts[] = {
    {0, ids::Tab, COLOR_BTNFACE, -1},           {0, ids::StaticCriteria, COLOR_BTNFACE, COLOR_BTNTEXT},
    {0, ids::Separator, COLOR_BTNTEXT, -1},     {0, ids::RadioCompany, COLOR_BTNFACE, COLOR_BTNTEXT},
    {0, ids::EditCompany, COLOR_WINDOW, COLOR_WINDOWTEXT}, {0, ids::EditNick, COLOR_BTNFACE, -1},
    {0, ids::Find, COLOR_BTNFACE, COLOR_BTNTEXT},
    {1, ids::Tab, COLOR_BTNFACE, -1},           {1, ids::StaticIndustry, COLOR_BTNFACE, COLOR_BTNTEXT},
    {1, ids::RadioZoneByName, COLOR_BTNFACE, COLOR_BTNTEXT},
    {2, ids::ListUser, COLOR_WINDOW, COLOR_WINDOWTEXT}, {2, ids::PageLabel, COLOR_BTNFACE, COLOR_BTNTEXT},
    {2, ids::Back, COLOR_BTNFACE, COLOR_BTNTEXT},
};

std::pair<std::uint32_t, std::uint32_t> LookOf(const windriver::Picture& picture, HWND dialog, HWND control) {
    RECT area = windriver::RectIn(control, dialog, false);
    const std::uint32_t background = windriver::CommonestColour(picture, area);
    if (::SendMessageW(control, LVM_GETHEADER, 0, 0)) {
        const RECT cell = windriver::ListCellRect(control, 0, 0);
        area = {area.left + cell.left, area.top + cell.top, area.left + cell.right, area.top + cell.bottom};
    }
    ::InflateRect(&area, -3, -3);
    std::map<std::uint32_t, int> ink;  // a radio button's mark is drawn in colours of its own
    for (int y = area.top; y < area.bottom; ++y)
        for (int x = area.left; x < area.right; ++x) ink[picture.At(x, y)] += picture.At(x, y) != background;
    const auto text = std::max_element(ink.begin(), ink.end(), [](auto& a, auto& b) { return a.second < b.second; });
    return {background, text->first};
}

::testing::AssertionResult Holds(const windriver::Result& result) {
    if (result) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << result.Why();
}

}  // namespace

// Under a high-contrast scheme every part of the window is drawn in the scheme's colours, and
// nothing in any other: whether the window was opened under the scheme or it came while it was
// open. When the scheme goes, every part looks as it did before it came.
TEST_F(SearchWindowTest, HighContrastSchemeDrawsTheWindowInTheSystemColoursOnly) {
    m_handler.industries = {L"金融"};
    const std::function<void()> views[] = {
        [&] { ClickTab(0); Click(ids::RadioCompany); Type(ids::EditCompany, L"Acme 2024"); },
        [&] { ClickTab(1); Click(ids::RadioZoneByName); },
        [&] { ClickTab(0); SearchByNick(L"王", Users(1, 12)); SelectRow(1); },
    };
    // The caret and focus rectangles invert what lies under them: no colour of the window's.
    const auto picture = [&] {
        ::SetFocus(nullptr);
        Pump();
        windriver::Picture taken;
        EXPECT_TRUE(windriver::CaptureWindow(Dialog(), taken));
        return taken;
    };
    std::map<int, std::uint32_t> ownLook;  // the users form's parts without the scheme
    const auto listColours = [&] {
        std::vector<LRESULT> colours;
        for (UINT get : {LVM_GETBKCOLOR, LVM_GETTEXTCOLOR, LVM_GETTEXTBKCOLOR})
            colours.push_back(::SendMessageW(Control(ids::ListUser), get, 0, 0));
        return colours;
    };
    std::vector<LRESULT> ownListColours;
    for (const bool openedUnderIt : {true, false}) {
        const char* how = openedUnderIt ? "opened under the scheme" : "scheme turned on while open";
        if (!openedUnderIt) {
            Start(true);
            const windriver::Picture before = picture();
            for (const SchemePart& part : kSchemeParts)
                if (part.view == 0) ownLook[part.id] = LookOf(before, Dialog(), Control(part.id)).first;
            ownListColours = listColours();
        }
        {
            wintest::HighContrastScope scheme(L"Search.dll", Scheme());
            ASSERT_TRUE(scheme.On());
            if (openedUnderIt) {
                // The client's own windows pass the news to the common controls, as a real
                // client's do: the lists are then made in the scheme's colours.
                HWND probe = ::CreateWindowW(WC_LISTVIEWW, L"", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
                ::SendMessageW(probe, WM_SYSCOLORCHANGE, 0, 0);
                ::DestroyWindow(probe);
                Start(true);
            }
            for (int view = 0; view < 3; ++view) {
                views[view]();
                const windriver::Picture shown = picture();
                for (const SchemePart& part : kSchemeParts) {
                    if (part.view != view) continue;
                    const auto [background, text] = LookOf(shown, Dialog(), Control(part.id));
                    EXPECT_EQ(background, Rgb(::GetSysColor(part.background))) << how << ", control " << part.id;
                    if (part.text >= 0) {
                        EXPECT_EQ(text, Rgb(::GetSysColor(part.text))) << how << ", text of " << part.id;
                    }
                }
                std::vector<std::uint32_t> colours;
                for (int index = COLOR_SCROLLBAR; index <= COLOR_MENUBAR; ++index) colours.push_back(Rgb(::GetSysColor(index)));
                EXPECT_TRUE(Holds(windriver::DrawnOnlyIn(Dialog(), colours))) << how << ", view " << view;
                if (openedUnderIt && view == 2) Snapshot(L"users-results-high-contrast");
            }
            Click(ids::Back);
            views[0]();
        }
        if (openedUnderIt) {
            // The skin set no colours of its own: the lists take the system's, not the scheme's.
            Pump();
            EXPECT_EQ(static_cast<COLORREF>(listColours()[0]), ::GetSysColor(COLOR_WINDOW)) << "scheme gone, opened under it";
            Stop();
            continue;
        }
        const windriver::Picture after = picture();
        for (const auto& [id, background] : ownLook)
            EXPECT_EQ(LookOf(after, Dialog(), Control(id)).first, background) << "scheme gone, control " << id;
        EXPECT_EQ(listColours(), ownListColours) << "scheme gone: the lists' own colours";
        EXPECT_TRUE(Holds(windriver::LabelsSitOnTheirBackground(Dialog(), windriver::kUserFormLabels)));
    }
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
    const auto heightOf = [](HFONT font) {
        LOGFONTW lf = {};
        return ::GetObjectW(font, sizeof(lf), &lf) ? lf.lfHeight : 0;
    };
    const auto fontOf = [&](int id) { return reinterpret_cast<HFONT>(::SendMessageW(Control(id), WM_GETFONT, 0, 0)); };

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
            const RECT actual = ClientRect(p.id), expected = Scaled(p.rect, dpi);
            EXPECT_TRUE(::EqualRect(&actual, &expected)) << dpi << " DPI, control " << p.id << " at " << actual.left
                                                         << "," << actual.top << "," << actual.right << "," << actual.bottom;
        }
        // The dialog font on the controls that had it, the template's font at this DPI on the rest.
        EXPECT_EQ(heightOf(fontOf(ids::ListUser)), Scaled(layout::kFontHeight, dpi)) << dpi << " DPI";
        for (int id : {ids::ListZone, ids::RadioNick, ids::EditZoneId, ids::Tab, ids::PageLabel, ids::ComboIndustry})
            EXPECT_EQ(fontOf(id), fontOf(ids::ListUser)) << dpi << " DPI, control " << id;
        for (int id : {ids::RadioCompany, ids::EditCompany, ids::StaticCriteria, ids::GroupExact}) {
            EXPECT_EQ(heightOf(fontOf(id)), ::MulDiv(heightOf(templateFont), static_cast<int>(dpi), 96))
                << dpi << " DPI, control " << id;
            if (dpi == 96) {
                EXPECT_EQ(fontOf(id), templateFont) << "control " << id << " has the template's font again";
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
