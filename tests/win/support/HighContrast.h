// A high-contrast scheme for one module, as a user turns one on: the scheme's system colours
// (SetSysColors, which announces them with WM_SYSCOLORCHANGE) and the flag that
// SystemParametersInfo(SPI_GETHIGHCONTRAST) reports, announced with WM_SETTINGCHANGE; both put
// back and announced again when the scope ends.
//
// Wine keeps no high-contrast flag (it answers SPI_GETHIGHCONTRAST with none, fails
// SPI_SETHIGHCONTRAST with ERROR_INVALID_SPI_VALUE and reads no registry value for it), and on
// Windows the flag would switch the whole desktop. So the scope answers that one question itself,
// for the module that asks it: it takes the module's import of SystemParametersInfoW and passes
// every other question on to the system.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "ImportSlot.h"

namespace wintest {

using SystemColours = std::vector<std::pair<int, COLORREF>>;

class HighContrastScope {
public:
    HighContrastScope(const wchar_t* module, const SystemColours& scheme);
    ~HighContrastScope();
    HighContrastScope(const HighContrastScope&) = delete;
    HighContrastScope& operator=(const HighContrastScope&) = delete;

    // False when the module imports no SystemParametersInfoW to answer for.
    bool On() const { return m_patch && m_patch->On(); }

private:
    using SystemParametersInfoFn = BOOL(WINAPI*)(UINT, UINT, PVOID, UINT);
    std::optional<ImportPatch<SystemParametersInfoFn>> m_patch;  // the module's SystemParametersInfoW
    SystemColours m_before;
};

}  // namespace wintest
