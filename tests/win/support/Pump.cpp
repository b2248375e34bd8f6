#include "WinTestSupport.h"
#include "WindowText.h"

#include <commctrl.h>

namespace wintest {

namespace {

void DispatchAll() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

struct FindState {
    int id;
    HWND found;
};

BOOL CALLBACK FindChild(HWND child, LPARAM param) {
    auto* state = reinterpret_cast<FindState*>(param);
    if (GetDlgCtrlID(child) == state->id) {
        state->found = child;
        return FALSE;
    }
    return TRUE;
}

}  // namespace

bool PumpUntilIdle(DWORD timeoutMs) {
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
        if (GetTickCount64() >= deadline) return false;
    }
    return true;
}

bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs) {
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    for (;;) {
        DispatchAll();
        if (done()) return true;
        const ULONGLONG now = GetTickCount64();
        if (now >= deadline) return done();
        const DWORD wait = static_cast<DWORD>(deadline - now < 10 ? deadline - now : 10);
        MsgWaitForMultipleObjectsEx(0, nullptr, wait, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    }
}

HWND FindControl(HWND parent, int id) {
    if (!parent) return nullptr;
    if (HWND direct = GetDlgItem(parent, id)) return direct;
    FindState state{id, nullptr};
    EnumChildWindows(parent, FindChild, reinterpret_cast<LPARAM>(&state));
    return state.found;
}

std::wstring WindowText(HWND hWnd) { return ::WindowText(hWnd); }

void PostKey(HWND target, UINT vk) {
    const UINT scan = MapVirtualKeyW(vk, MAPVK_VK_TO_VSC);
    // Repeat count 1 and the scan code; the key-up adds "was down" (bit 30) and "released" (bit 31).
    const LPARAM down = 1 | (static_cast<LPARAM>(scan) << 16);
    const LPARAM up = down | (LPARAM{1} << 30) | (LPARAM{1} << 31);
    PostMessageW(target, WM_KEYDOWN, vk, down);
    PostMessageW(target, WM_KEYUP, vk, up);
}

bool ClickTab(HWND tab, int index) {
    RECT item = {};
    if (!SendMessageW(tab, TCM_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item)))
        return false;
    const LPARAM at = MAKELPARAM((item.left + item.right) / 2, (item.top + item.bottom) / 2);
    SendMessageW(tab, WM_LBUTTONDOWN, MK_LBUTTON, at);
    SendMessageW(tab, WM_LBUTTONUP, 0, at);
    return true;
}

}  // namespace wintest
