// Counts the window-system objects a module makes and frees, since Wine's GetGuiResources answers
// 0 for both GDI and USER objects. The module's import table is patched so that every call it makes
// to the functions below passes through here first:
//   fonts       CreateFontW, CreateFontIndirectW / DeleteObject
//   brushes     CreatePatternBrush / DeleteObject
//   bitmaps     CreateCompatibleBitmap / DeleteObject
//   DCs         CreateCompatibleDC / DeleteDC, GetDC / ReleaseDC
//   hooks       SetWindowsHookExW / UnhookWindowsHookEx
//   dialogs     CreateDialogIndirectParamW, CreateDialogParamW / DestroyWindow (or destroyed as a child)
// and a probe checks the GDI objects against the system: every object the ledger holds as live
// must still be an object of the kind it was made as, and every object it saw freed must be gone. Dialogs are checked against the system as
// they are counted (a dialog counts while its window exists); hooks have no probe, but an unhook
// that fails leaves its hook counted.
#pragma once

#include <windows.h>

#include <cstddef>
#include <ostream>
#include <string>

namespace ledger {

struct Counts {
    std::size_t fonts = 0;
    std::size_t brushes = 0;
    std::size_t bitmaps = 0;
    std::size_t dcs = 0;
    std::size_t hooks = 0;
    std::size_t dialogs = 0;

    bool operator==(const Counts& o) const {
        return fonts == o.fonts && brushes == o.brushes && bitmaps == o.bitmaps && dcs == o.dcs &&
               hooks == o.hooks && dialogs == o.dialogs;
    }
};

// For failure messages.
inline std::ostream& operator<<(std::ostream& os, const Counts& c) {
    return os << c.fonts << " fonts, " << c.brushes << " brushes, " << c.bitmaps << " bitmaps, "
              << c.dcs << " DCs, " << c.hooks << " hooks, " << c.dialogs << " dialogs";
}

// Patches `module`'s imports once; later calls do nothing. False when none of the functions is
// imported by it.
bool Install(HMODULE module);

// What the module made and has not freed, as the ledger saw it.
Counts Live();
// How many calls the ledger saw in all (makes, frees), to show it was really in the path.
std::size_t CallsSeen();

// Checks the ledger against the system; empty when they agree, else what disagrees.
std::wstring Probe();

// Every window of this thread, top-level and child: USER's own view of what exists.
std::size_t ThreadWindows();

}  // namespace ledger
