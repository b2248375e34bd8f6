#include "WindowLook.h"

#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <map>

#include "WindowPicture.h"

namespace windriver {

namespace {

std::string Hex(std::uint32_t rgb) {
    char text[8];
    std::snprintf(text, sizeof text, "#%06X", static_cast<unsigned>(rgb & 0xFFFFFF));
    return text;
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
        const std::uint32_t inside = CommonestColour(picture, area);
        const std::uint32_t around = CommonestColourAround(picture, area, 3);
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

RECT ListCellRect(HWND list, int row, int column) {
    RECT cell = {};
    cell.top = column;
    cell.left = LVIR_LABEL;
    ::SendMessageW(list, LVM_GETSUBITEMRECT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&cell));
    return cell;
}

}  // namespace windriver
