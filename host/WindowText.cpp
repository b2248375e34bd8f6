#include "WindowText.h"

std::wstring WindowText(HWND hWnd) {
    if (!hWnd) return std::wstring();
    const int length = GetWindowTextLengthW(hWnd);
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    const int copied = GetWindowTextW(hWnd, &text[0], length + 1);
    text.resize(static_cast<size_t>(copied > 0 ? copied : 0));
    return text;
}
