// The window as a person sees it, measured on its picture on screen: labels drawn on the page
// they sit on, Latin text black and sharp beside the Chinese, and every caption whole. These run
// at the test desktop's DPI, and again at others (DpiTest.cpp), each in a themed client and in a
// classic one (cmake/SearchTests.cmake).
#include <algorithm>
#include <cstdint>

#include "ClientLook.h"
#include "DesktopDpi.h"
#include "SearchWindowFixture.h"
#include "WindowLook.h"

// The cases that judge the look, apart from the rest so that a classic client's run can name them.
using SearchWindowLook = SearchWindowTest;

namespace {

::testing::AssertionResult Holds(const windriver::Result& result) {
    if (result) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << result.Why();
}

std::wstring AtDpi(const std::wstring& name, HWND window) {
    return name + L"-" + std::to_wstring(windriver::WindowDpi(window)) + L"dpi";
}

// The width and height a control's caption takes in the control's own font.
SIZE CaptionExtent(HWND control, const std::wstring& text) {
    HDC hdc = ::GetDC(control);
    HGDIOBJ old = ::SelectObject(hdc, reinterpret_cast<HGDIOBJ>(::SendMessageW(control, WM_GETFONT, 0, 0)));
    SIZE extent = {};
    ::GetTextExtentPoint32W(hdc, text.c_str(), static_cast<int>(text.size()), &extent);
    ::SelectObject(hdc, old);
    ::ReleaseDC(control, hdc);
    return extent;
}

// The family of the face a font is really drawn with (after the desktop's substitutions), and
// whether that face has a glyph for every character of `text`.
struct DrawnFace {
    std::wstring family;
    bool hasGlyphs = false;
};
DrawnFace FaceOf(HFONT font, const std::wstring& text) {
    DrawnFace face;
    HDC hdc = ::GetDC(nullptr);
    HGDIOBJ old = ::SelectObject(hdc, font);
    const UINT size = ::GetOutlineTextMetricsW(hdc, 0, nullptr);
    std::vector<char> metrics(size);
    if (size && ::GetOutlineTextMetricsW(hdc, size, reinterpret_cast<OUTLINETEXTMETRICW*>(metrics.data()))) {
        const auto* otm = reinterpret_cast<const OUTLINETEXTMETRICW*>(metrics.data());
        face.family = reinterpret_cast<const wchar_t*>(metrics.data() + reinterpret_cast<std::uintptr_t>(otm->otmpFamilyName));
    }
    std::vector<WORD> glyphs(text.size());
    ::GetGlyphIndicesW(hdc, text.c_str(), static_cast<int>(text.size()), glyphs.data(), GGI_MARK_NONEXISTING_GLYPHS);
    face.hasGlyphs = std::find(glyphs.begin(), glyphs.end(), 0xFFFF) == glyphs.end();
    ::SelectObject(hdc, old);
    ::ReleaseDC(nullptr, hdc);
    return face;
}

bool HasClass(HWND hWnd, const wchar_t* name) {
    wchar_t actual[32] = {};
    ::GetClassNameW(hWnd, actual, 32);
    return _wcsicmp(actual, name) == 0;
}

struct Captions {
    HWND dialog;
    UINT dpi;
    std::string faults;
};

// A shown control's caption must fit inside it: a radio button's beside its check mark, a push
// button's inside its edges.
BOOL CALLBACK CheckCaption(HWND control, LPARAM param) {
    auto* captions = reinterpret_cast<Captions*>(param);
    if (::GetParent(control) != captions->dialog || !::IsWindowVisible(control)) return TRUE;
    const bool button = HasClass(control, L"Button");
    if (!button && !HasClass(control, L"Static")) return TRUE;
    const LONG_PTR picture = ::GetWindowLongPtrW(control, GWL_STYLE) & SS_TYPEMASK;
    if (!button && (picture == SS_BITMAP || picture == SS_ICON)) return TRUE;  // no caption to cut
    const std::wstring text = windriver::WindowText(control);
    if (text.empty()) return TRUE;
    int room = 0;
    if (button) {
        const LONG_PTR kind = ::GetWindowLongPtrW(control, GWL_STYLE) & BS_TYPEMASK;
        const bool pushButton = kind == BS_PUSHBUTTON || kind == BS_DEFPUSHBUTTON;
        // A push button's frame and focus rectangle; a radio button's mark and the gap after it.
        room = ::MulDiv(pushButton ? 6 : 17, static_cast<int>(captions->dpi), 96);
    }
    RECT client = {};
    ::GetClientRect(control, &client);
    const SIZE extent = CaptionExtent(control, text);
    if (extent.cx + room > client.right || extent.cy > client.bottom) {
        captions->faults += " control " + std::to_string(::GetDlgCtrlID(control)) + " \"" +
                            windriver::Utf8(text) + "\" needs " + std::to_string(extent.cx + room) + "x" +
                            std::to_string(extent.cy) + " and has " + std::to_string(client.right) + "x" +
                            std::to_string(client.bottom) + ";";
    }
    return TRUE;
}

// Every caption shown in the window, the tab items and the list headings included.
::testing::AssertionResult CaptionsFit(HWND dialog, const char* view) {
    Captions captions{dialog, windriver::WindowDpi(dialog), std::string()};
    ::EnumChildWindows(dialog, &CheckCaption, reinterpret_cast<LPARAM>(&captions));
    HWND tab = ::GetDlgItem(dialog, ids::Tab);
    for (int i = 0; i < 2; ++i) {
        const std::wstring text = windriver::TabItemText(tab, i);
        RECT rc = {};
        ::SendMessageW(tab, TCM_GETITEMRECT, i, reinterpret_cast<LPARAM>(&rc));
        const SIZE extent = CaptionExtent(tab, text);
        if (extent.cx > rc.right - rc.left || extent.cy > rc.bottom - rc.top)
            captions.faults += " tab \"" + windriver::Utf8(text) + "\";";
    }
    for (int listId : {ids::ListUser, ids::ListZone}) {
        HWND list = ::GetDlgItem(dialog, listId);
        if (!::IsWindowVisible(list)) continue;
        HWND header = reinterpret_cast<HWND>(::SendMessageW(list, LVM_GETHEADER, 0, 0));
        const int columns = static_cast<int>(::SendMessageW(header, HDM_GETITEMCOUNT, 0, 0));
        for (int c = 0; c < columns; ++c) {
            wchar_t text[32] = {};
            HDITEMW item = {};
            item.mask = HDI_TEXT;
            item.pszText = text;
            item.cchTextMax = 32;
            ::SendMessageW(header, HDM_GETITEMW, c, reinterpret_cast<LPARAM>(&item));
            RECT rc = {};
            ::SendMessageW(header, HDM_GETITEMRECT, c, reinterpret_cast<LPARAM>(&rc));
            const int margin = ::MulDiv(6, static_cast<int>(captions.dpi), 96);
            if (CaptionExtent(header, text).cx + margin > rc.right - rc.left)
                captions.faults += " heading \"" + windriver::Utf8(text) + "\";";
        }
    }
    if (captions.faults.empty()) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << view << " at " << captions.dpi << " DPI, cut off:" << captions.faults;
}

}  // namespace

TEST_F(SearchWindowLook, WindowIsDrawnAtTheDesktopDpiInTheClientsLook) {
    Start(true);
    // 96 on the test desktop; another when a DPI test started this program on another desktop.
    const UINT requested = wintest::RequestedDesktopDpi();
    EXPECT_EQ(windriver::WindowDpi(Dialog()), requested ? requested : 96u);
    EXPECT_TRUE(Holds(windriver::ClientLookIs(Dialog(), !windriver::ClassicClient())));
}

// On a Chinese desktop the template's dialog face, the dialog's own Song face and the title bars
// are one Song face; a dialog face that falls to some other font draws its small Chinese text from
// that font's coarse bitmaps, broken.
TEST_F(SearchWindowLook, ChineseTextIsDrawnInOneSongFace) {
    Start(true);
    const std::wstring text = L"查询用户商圈按公司条件";
    const DrawnFace templateFace = FaceOf(reinterpret_cast<HFONT>(::SendMessageW(Control(ids::RadioCompany), WM_GETFONT, 0, 0)), text);
    const DrawnFace dialogFace = FaceOf(reinterpret_cast<HFONT>(::SendMessageW(Control(ids::RadioNick), WM_GETFONT, 0, 0)), text);
    NONCLIENTMETRICSW metrics = {};
    metrics.cbSize = sizeof(metrics);
    ASSERT_TRUE(::SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0));
    HFONT caption = ::CreateFontIndirectW(&metrics.lfCaptionFont);
    const DrawnFace captionFace = FaceOf(caption, text);
    ::DeleteObject(caption);

    EXPECT_TRUE(dialogFace.hasGlyphs) << windriver::Utf8(dialogFace.family);
    EXPECT_EQ(templateFace.family, dialogFace.family) << "the template's dialog face";
    EXPECT_EQ(captionFace.family, dialogFace.family) << "the title bars' face";
}

TEST_F(SearchWindowLook, LabelsSitOnThePageTheyAreDrawnOn) {
    m_handler.industries = {L"金融", L"制造"};
    Start(true);
    EXPECT_TRUE(Holds(windriver::LabelsSitOnTheirBackground(Dialog(), windriver::kUserFormLabels))) << "users form";
    Click(ids::RadioNick);  // a checked radio and a disabled one look different; both sit on the page
    EXPECT_TRUE(Holds(windriver::LabelsSitOnTheirBackground(Dialog(), windriver::kUserFormLabels))) << "users form";

    ClickTab(1);
    Click(ids::RadioZoneByName);
    EXPECT_TRUE(Holds(windriver::LabelsSitOnTheirBackground(Dialog(), windriver::kZoneFormLabels))) << "zones form";
    Snapshot(AtDpi(L"zones-form", Dialog()));

    Type(ids::EditZoneName, L"商圈");
    Click(ids::Find);
    AnswerZones(Zones(800001, 4));
    EXPECT_TRUE(Holds(windriver::LabelsSitOnTheirBackground(Dialog(), windriver::kPager))) << "pager";
}

TEST_F(SearchWindowLook, LatinTextIsBlackAndSharpBesideTheChinese) {
    Start(true);
    Type(ids::EditCompany, L"Acme 2024");  // the template's font
    RECT field = {};
    ::GetClientRect(Control(ids::EditCompany), &field);
    EXPECT_TRUE(Holds(windriver::TextIsCrisp(Dialog(), Control(ids::EditCompany), field))) << "company edit";
    SearchByNick(L"昵称", Users(2024001, 5));
    HWND list = Control(ids::ListUser);  // the dialog's own font
    for (int row = 0; row < 3; ++row)
        EXPECT_TRUE(Holds(windriver::TextIsCrisp(Dialog(), list, windriver::ListCellRect(list, row, 0))))
            << "account " << windriver::Utf8(Cell(ids::ListUser, row, 0));
    RECT label = {};
    ::GetClientRect(Control(ids::PageLabel), &label);
    EXPECT_TRUE(Holds(windriver::TextIsCrisp(Dialog(), Control(ids::PageLabel), label))) << "page label";
    Snapshot(AtDpi(L"users-results", Dialog()));
}

TEST_F(SearchWindowLook, EveryCaptionFitsItsControl) {
    m_handler.industries = {L"金融"};
    Start(true);
    EXPECT_TRUE(CaptionsFit(Dialog(), "users form"));
    SendNickSearch(L"王");
    EXPECT_TRUE(CaptionsFit(Dialog(), "users form, busy"));
    AnswerUsers(Users(1, 25));
    Click(ids::NextPage);
    EXPECT_TRUE(CaptionsFit(Dialog(), "user results"));
    ClickTab(1);
    EXPECT_TRUE(CaptionsFit(Dialog(), "zones form"));
    Type(ids::EditZoneId, L"7");
    Click(ids::Find);
    AnswerZones(Zones(7, 1));
    EXPECT_TRUE(CaptionsFit(Dialog(), "zone results"));
}
