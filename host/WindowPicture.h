// PNG pictures of windows as they are shown on screen.
#pragma once

#include <windows.h>

#include <string>

// Repaints the window and its children now, then copies its rectangle, frame included, from the
// screen into a PNG. Under Wine PrintWindow paints only a dialog's background, so the copy comes
// from the screen: the window must be shown and uncovered. False when it is hidden or the file
// cannot be written.
bool SaveWindowPng(HWND hWnd, const std::wstring& path);
