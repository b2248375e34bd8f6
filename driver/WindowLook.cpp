#include "WindowLook.h"

#include <commctrl.h>
#include <uxtheme.h>
#include <vssym32.h>

#include <algorithm>
#include <cstdio>
#include <map>

#include "SearchWindow.h"
#include "WindowPicture.h"

namespace windriver {

namespace {

std::string Hex(std::uint32_t rgb) {
    char text[8];
    std::snprintf(text, sizeof text, "#%06X", static_cast<unsigned>(rgb & 0xFFFFFF));
    return text;
}

bool IsPushButton(HWND control) {
    wchar_t name[16] = {};
    ::GetClassNameW(control, name, 16);
    const LONG_PTR kind = ::GetWindowLongPtrW(control, GWL_STYLE) & BS_TYPEMASK;
    return _wcsicmp(name, L"Button") == 0 && (kind == BS_PUSHBUTTON || kind == BS_DEFPUSHBUTTON);
}

// The four corners (left top, right top, left bottom, right bottom) of what the visual style of a
// push button draws for it, as it is now, over `background`. A style's button is rounded off and
// shades its corners into what lies under them, so these are what the corners must show when the
// button stands on that colour.
std::vector<std::uint32_t> ThemedButtonCorners(HWND button, std::uint32_t background) {
    RECT rc = {};
    ::GetClientRect(button, &rc);
    const LRESULT state = ::SendMessageW(button, BM_GETSTATE, 0, 0);
    const int part = !::IsWindowEnabled(button) ? PBS_DISABLED
                     : (state & BST_PUSHED)     ? PBS_PRESSED
                     : (state & BST_HOT)        ? PBS_HOT
                     : (state & BST_FOCUS)      ? PBS_DEFAULTED
                                                : PBS_NORMAL;
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = rc.right;
    info.bmiHeader.biHeight = -rc.bottom;  // top row first
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HDC hdc = ::CreateCompatibleDC(nullptr);
    HBITMAP bitmap = ::CreateDIBSection(hdc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    std::vector<std::uint32_t> corners;
    if (bitmap && bits) {
        HGDIOBJ old = ::SelectObject(hdc, bitmap);
        HBRUSH brush = ::CreateSolidBrush(RGB(background >> 16, (background >> 8) & 0xFF, background & 0xFF));
        ::FillRect(hdc, &rc, brush);
        ::DeleteObject(brush);
        ::DrawThemeBackground(::GetWindowTheme(button), hdc, BP_PUSHBUTTON, part, &rc, nullptr);
        ::GdiFlush();
        const auto* pixels = static_cast<const std::uint32_t*>(bits);
        for (const POINT corner : {POINT{0, 0}, POINT{rc.right - 1, 0}, POINT{0, rc.bottom - 1},
                                   POINT{rc.right - 1, rc.bottom - 1}})
            corners.push_back(pixels[corner.y * rc.right + corner.x] & 0xFFFFFF);
        ::SelectObject(hdc, old);
    }
    if (bitmap) ::DeleteObject(bitmap);
    ::DeleteDC(hdc);
    return corners;
}

// The width of the first drawing from the left of an area (a radio button's mark before its text):
// the columns from the first that holds a pixel off the area's commonest colour to the next that
// holds none.
int LeadingInkWidth(const Picture& picture, const RECT& area) {
    const std::uint32_t background = CommonestColour(picture, area);
    const auto inked = [&](int x) {
        for (int y = area.top; y < area.bottom; ++y)
            if (picture.At(x, y) != background) return true;
        return false;
    };
    int x = area.left;
    while (x < area.right && !inked(x)) ++x;
    const int start = x;
    while (x < area.right && inked(x)) ++x;
    return x - start;
}

}  // namespace

Result LabelsSitOnTheirBackground(HWND window, const std::vector<int>& labelIds) {
    Picture picture;
    if (!CaptureWindow(window, picture)) return Result::Failed("the window is not shown");
    std::string faults;
    for (int id : labelIds) {
        HWND label = FindControl(window, id);
        if (!label || !::IsWindowVisible(label)) {
            faults += " control " + std::to_string(id) + " is not shown;";
            continue;
        }
        const RECT area = RectIn(label, window, false);
        const std::uint32_t around = CommonestColourAround(picture, area, 3);
        if (IsPushButton(label)) {
            // A classic button's frame runs to its corners; a visual style's rounds them off, and
            // what shows there is what the button stands on.
            if (!::GetWindowTheme(label)) continue;
            const std::vector<std::uint32_t> expected = ThemedButtonCorners(label, around);
            const POINT corners[] = {{area.left, area.top}, {area.right - 1, area.top},
                                     {area.left, area.bottom - 1}, {area.right - 1, area.bottom - 1}};
            for (std::size_t i = 0; i < expected.size(); ++i) {
                const std::uint32_t shown = picture.At(corners[i].x, corners[i].y);
                if (shown != expected[i]) {
                    faults += " button " + std::to_string(id) + " (\"" + Utf8(WindowText(label)) + "\") has a corner of " +
                              Hex(shown) + " where it would be " + Hex(expected[i]) + " on " + Hex(around) + ";";
                    break;
                }
            }
            continue;
        }
        const std::uint32_t inside = CommonestColour(picture, area);
        if (inside != around)
            faults += " control " + std::to_string(id) + " (\"" + Utf8(WindowText(label)) + "\") paints " +
                      Hex(inside) + " on " + Hex(around) + ";";
    }
    return Result::Check(faults.empty(), "labels in boxes of their own:" + faults);
}

Result TextIsCrisp(HWND window, HWND control, const RECT& area, double minContrast) {
    Picture picture;
    if (!CaptureWindow(window, picture)) return Result::Failed("the window is not shown");
    RECT inWindow = area;
    ::MapWindowPoints(control, nullptr, reinterpret_cast<POINT*>(&inWindow), 2);
    RECT outer = {};
    ::GetWindowRect(window, &outer);
    ::OffsetRect(&inWindow, -outer.left, -outer.top);

    const std::uint32_t paper = CommonestColour(picture, inWindow);
    const TextInk ink = MeasureText(picture, inWindow, paper);
    if (ink.pixels == 0) return Result::Failed("no text is drawn there");
    const double contrast = Contrast(ink.darkest, paper);
    char measures[160];
    std::snprintf(measures, sizeof measures, "darkest ink %s on %s (contrast %.1f), %d of %d pixels halftones",
                  Hex(ink.darkest).c_str(), Hex(paper).c_str(), contrast, ink.halftones, ink.pixels);
    if (contrast < minContrast) return Result::Failed(std::string("faint text: ") + measures);
    if (ink.halftones * 10 > ink.pixels) return Result::Failed(std::string("smeared text: ") + measures);
    return Result::Ok();
}

Result DrawnOnlyIn(HWND window, const std::vector<std::uint32_t>& colours) {
    Picture picture;
    if (!CaptureWindow(window, picture)) return Result::Failed("the window is not shown");
    RECT client = {};
    ::GetClientRect(window, &client);
    // The client area's corner in the picture, which starts at the window's outer corner.
    POINT corner = {0, 0};
    ::ClientToScreen(window, &corner);
    RECT outer = {};
    ::GetWindowRect(window, &outer);
    const RECT area = {corner.x - outer.left, corner.y - outer.top, 0, 0};
    std::map<std::uint32_t, std::pair<int, POINT>> others;
    for (int y = 0; y < client.bottom; ++y) {
        for (int x = 0; x < client.right; ++x) {
            const std::uint32_t p = picture.At(area.left + x, area.top + y);
            if (std::find(colours.begin(), colours.end(), p) != colours.end()) continue;
            auto& seen = others[p];
            if (seen.first++ == 0) seen.second = {x, y};
        }
    }
    std::string faults;
    for (const auto& [colour, seen] : others)
        faults += " " + Hex(colour) + " (" + std::to_string(seen.first) + " pixels, the first at " +
                  std::to_string(seen.second.x) + "," + std::to_string(seen.second.y) + ");";
    return Result::Check(faults.empty(), "drawn in other colours:" + faults);
}

Result ClientLookIs(HWND window, bool themed) {
    HWND find = FindControl(window, search_ids::Find);
    HWND radio = FindControl(window, search_ids::RadioCompany);
    HWND tab = FindControl(window, search_ids::Tab);
    if (!find || !radio || !tab) return Result::Failed("the window has no Find, company radio or tab control");
    if (!themed)
        return Result::Check(!::GetWindowTheme(tab), "a classic client, but a visual style draws the tab control");
    std::string faults;
    if (!::IsThemeActive()) faults += " the desktop has no visual style;";
    if (!::IsAppThemed()) faults += " the program is not themed;";
    if (!::GetWindowTheme(find)) faults += " Find is classic;";
    if (!::GetWindowTheme(radio)) faults += " the company radio is classic;";
    // The style's parts grow with the window: the radio's mark, 13 pixels at 96 DPI.
    Picture picture;
    if (!CaptureWindow(window, picture)) return Result::Failed("the window is not shown");
    const int mark = LeadingInkWidth(picture, RectIn(radio, window, false));
    const int least = ::MulDiv(12, static_cast<int>(WindowDpi(window)), 96);
    if (mark < least)
        faults += " the company radio's mark is " + std::to_string(mark) + " pixels wide, not " +
                  std::to_string(least) + " or more;";
    return Result::Check(faults.empty(), "a themed client, but" + faults);
}

RECT ListCellRect(HWND list, int row, int column) {
    RECT cell = {};
    cell.top = column;
    cell.left = LVIR_LABEL;
    ::SendMessageW(list, LVM_GETSUBITEMRECT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&cell));
    return cell;
}

}  // namespace windriver
