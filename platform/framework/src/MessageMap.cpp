// The message-map walk.
#include "Framework.h"

IMPLEMENT_DYNAMIC(CCmdTarget, CObject)

const AFX_MSGMAP* CCmdTarget::GetThisMessageMap() {
    static const AFX_MSGMAP_ENTRY entries[] = {{0, 0, 0, 0, nullptr}};
    static const AFX_MSGMAP map = {nullptr, &entries[0]};
    return &map;
}

const AFX_MSGMAP* CCmdTarget::GetMessageMap() const { return GetThisMessageMap(); }

bool CCmdTarget::DispatchMessageMap(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    // Crack once: commands and notifications match on the control's ID and the code.
    UINT id = 0;
    UINT code = 0;
    if (message == WM_COMMAND) {
        id = LOWORD(wParam);
        code = HIWORD(wParam);
        // An accelerator's command (code 1) carries no control: it is a plain command, as a menu's.
        if (lParam == 0) code = 0;
    } else if (message == WM_NOTIFY) {
        const NMHDR* header = reinterpret_cast<const NMHDR*>(lParam);
        if (!header) return false;
        id = static_cast<UINT>(header->idFrom);
        code = header->code;
    }

    LRESULT ignored = 0;
    if (!result) result = &ignored;
    const AFX_MSGMAP* previous = nullptr;
    for (const AFX_MSGMAP* map = GetMessageMap(); map && map != previous;
         previous = map, map = map->pfnGetBaseMap ? map->pfnGetBaseMap() : nullptr) {
        for (const AFX_MSGMAP_ENTRY* e = map->lpEntries; e && e->pfn; ++e) {
            if (e->nMessage != message) continue;
            if (message == WM_COMMAND || message == WM_NOTIFY) {
                if (e->nCode != code || id < e->nID || id > e->nLastID) continue;
            }
            if (e->pfn(this, *e, wParam, lParam, result)) return true;
        }
    }
    return false;
}
