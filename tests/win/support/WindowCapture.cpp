#include "WinTestSupport.h"
#include "WindowPicture.h"

namespace wintest {

bool CaptureWindowPng(HWND hWnd, const std::wstring& path) {
    // Let everything queued (results, repaints) run first, so the picture shows the settled window.
    PumpUntilIdle(2000);
    return SaveWindowPng(hWnd, path);
}

}  // namespace wintest
