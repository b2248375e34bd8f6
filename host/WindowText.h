// The text of a window, as a whole string.
#pragma once

#include <windows.h>

#include <string>

// Empty for a null window or one without text.
std::wstring WindowText(HWND hWnd);
