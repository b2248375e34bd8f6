// What a person looking at a window would see wrong, measured on its picture: a label in a box of
// another colour than what it sits on, text too faint or smeared to read.
#pragma once

#include <windows.h>

#include <cstdint>
#include <vector>

#include "WindowDriver.h"

namespace windriver {

// Each control (a label: static text, radio button) must paint, around its text, the colour of
// what it sits on: the commonest colour inside its rectangle is the commonest colour of the band
// just outside it. A push button drawn by a visual style must show that colour in its rounded-off
// corners, shaded as the style shades them (a classic one draws its frame there). Fails naming every control that does not, with
// both colours; also when one of them is not shown.
Result LabelsSitOnTheirBackground(HWND window, const std::vector<int>& labelIds);

// The text drawn in `area` (in `control`'s client coordinates) is readable: its darkest ink stands
// out from the background by a contrast of at least minContrast (7 is what guidelines ask of small
// text), and at most a tenth of its pixels are halftones (smoothing's grey edges, which at 12
// pixels turn thin strokes to a pale smear).
Result TextIsCrisp(HWND window, HWND control, const RECT& area, double minContrast = 7.0);

// Every pixel of the window's client area is one of `colours` (0xRRGGBB): nothing in it is drawn in
// a colour of its own. Fails naming each other colour, how many pixels have it and where the first
// of them is (in the window's client coordinates).
Result DrawnOnlyIn(HWND window, const std::vector<std::uint32_t>& colours);

// The search window is drawn as the client asked: themed (a visual style on, the program themed,
// Find and the company radio drawn by it, as in a client with a common-controls 6 manifest, and
// the radio's mark grown with the window's DPI) or classic (not even the tab control drawn by one).
Result ClientLookIs(HWND window, bool themed);

// The rectangle of a list's cell in the list's client coordinates.
RECT ListCellRect(HWND list, int row, int column);

}  // namespace windriver
