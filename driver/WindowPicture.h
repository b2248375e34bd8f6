// Pictures of windows as they are shown on screen, as PNG files and as pixels to measure.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace windriver {

// Pixels as 0xRRGGBB, top row first.
struct Picture {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels;

    std::uint32_t At(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
};

// Finishes the window's pending paints, then copies its rectangle, frame included, from the
// screen. Under Wine PrintWindow paints only a dialog's background, so the copy comes from the
// screen: the window must be shown and uncovered. False when it is hidden.
bool CaptureWindow(HWND hWnd, Picture& picture);
bool SavePng(const Picture& picture, const std::wstring& path);
// CaptureWindow, then SavePng. False when the window is hidden or the file cannot be written.
bool SaveWindowPng(HWND hWnd, const std::wstring& path);

// How many pixels of the window's rectangle on screen stand well apart from its commonest shade:
// the ink of its text or drawing. -1 when the window is hidden.
int InkPixelsOnScreen(HWND hWnd);

// ---------------------------------------------------------------------------------------------
// Measures, over the part of a rectangle that lies in the picture

// The colour most pixels of the area have: the background a control paints.
std::uint32_t CommonestColour(const Picture& picture, const RECT& area);
// The commonest colour of the band `width` pixels wide just outside the area: what the area sits on.
std::uint32_t CommonestColourAround(const Picture& picture, const RECT& area, int width);

// Relative luminance (0 black to 1 white) and the contrast ratio of two colours (1 to 21), as
// readability guidelines measure text against its background.
double Luminance(std::uint32_t rgb);
double Contrast(std::uint32_t a, std::uint32_t b);

// The text drawn in an area on a known background.
struct TextInk {
    int pixels = 0;         // pixels that differ from the background
    int halftones = 0;      // of those, the ones well between the background and the darkest ink
    std::uint32_t darkest = 0xFFFFFF;  // the ink farthest from the background
};
TextInk MeasureText(const Picture& picture, const RECT& area, std::uint32_t background);

}  // namespace windriver
