// The window's layout as given at 96 DPI, and those figures at another DPI: for the tests of the
// layout at creation and after a DPI change.
#pragma once

#include <windows.h>

#include "SearchWindow.h"

namespace layout {

namespace ids = windriver::search_ids;

struct Placement {
    int id;
    RECT rect;  // left, top, right, bottom in the dialog's client area, at 96 DPI
};

// x, y, width, height as the layout gives them.
constexpr RECT R(int x, int y, int w, int h) { return {x, y, x + w, y + h}; }

// A figure of the design at the window's DPI: each of x, y, width and height is scaled.
inline int Scaled(int pixelsAt96, UINT dpi) { return ::MulDiv(pixelsAt96, static_cast<int>(dpi), 96); }
inline RECT Scaled(const RECT& at96, UINT dpi) {
    const int x = Scaled(at96.left, dpi), y = Scaled(at96.top, dpi);
    return {x, y, x + Scaled(at96.right - at96.left, dpi), y + Scaled(at96.bottom - at96.top, dpi)};
}

inline constexpr Placement kPlacements[] = {
    {ids::StaticCriteria, R(40, 50, 70, 18)},   {ids::Separator, R(100, 59, 250, 1)},
    {ids::RadioCompany, R(60, 80, 112, 18)},    {ids::RadioNick, R(60, 120, 112, 18)},
    {ids::RadioAccount, R(60, 160, 112, 18)},   {ids::EditAccount, R(190, 158, 137, 21)},
    {ids::EditNick, R(190, 118, 137, 21)},      {ids::EditCompany, R(190, 78, 137, 21)},
    {ids::GroupExact, R(50, 90, 300, 110)},     {ids::RadioZoneById, R(60, 80, 112, 18)},
    {ids::RadioZoneByName, R(60, 120, 112, 18)}, {ids::StaticIndustry, R(79, 160, 112, 18)},
    {ids::EditZoneName, R(190, 118, 137, 21)},  {ids::EditZoneId, R(190, 78, 137, 21)},
    {ids::ListUser, R(20, 35, 350, 160)},       {ids::ListZone, R(20, 35, 350, 160)},
    {ids::PageLabel, R(20, 205, 40, 18)},       {ids::View, R(160, 205, 60, 20)},
    {ids::PrevPage, R(230, 205, 60, 20)},       {ids::NextPage, R(300, 205, 60, 20)},
    {ids::Back, R(93, 240, 80, 23)},            {ids::Find, R(183, 240, 80, 23)},
    {ids::Add, R(183, 240, 80, 23)},            {ids::Close, R(273, 240, 80, 23)},
    {ids::Tab, R(10, 5, 370, 225)},
};

// Column widths at 96 DPI, left to right.
struct ListColumns {
    int list;
    int widths[4];
    int count;
};
inline constexpr ListColumns kColumnWidths[] = {
    {ids::ListUser, {100, 80, 80, 80}, 4},
    {ids::ListZone, {180, 80, 80, 0}, 3},
};

// The window's outer size and the dialog font's cell height, at 96 DPI.
inline constexpr int kWindowWidth = 400;
inline constexpr int kWindowHeight = 300;
inline constexpr int kFontHeight = 12;
inline constexpr int kTabItemHeight = 25;

}  // namespace layout
