// PNG pictures of windows as they are shown on screen.
#pragma once

#include <windows.h>

#include <string>

// Finishes the window's pending paints, then copies its rectangle, frame included, from the
// screen into a PNG. Under Wine PrintWindow paints only a dialog's background, so the copy comes
// from the screen: the window must be shown and uncovered. False when it is hidden or the file
// cannot be written.
bool SaveWindowPng(HWND hWnd, const std::wstring& path);

// How many pixels of the window's rectangle on screen stand well apart from its commonest shade:
// the ink of its text or drawing. -1 when the window is hidden.
int InkPixelsOnScreen(HWND hWnd);
