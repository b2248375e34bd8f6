// A high-contrast scheme on the test desktop, as a user turns one on: the flag that
// SystemParametersInfo(SPI_GETHIGHCONTRAST) reports and the scheme's system colours, each change
// announced to the windows the way the system announces it (WM_SYSCOLORCHANGE from SetSysColors,
// then WM_SETTINGCHANGE with SPI_SETHIGHCONTRAST). Everything is put back, and announced again,
// when the scope ends.
//
// Wine keeps no high-contrast flag: it answers SPI_GETHIGHCONTRAST with no flags whatever was
// asked, and fails SPI_SETHIGHCONTRAST with ERROR_INVALID_SPI_VALUE; nor does it read one from the
// registry. Where the system refuses the flag, the scope answers that one question itself for the
// module that asks it: it takes the module's import of SystemParametersInfoW (its slot in the
// module's import address table) for the life of the scope, and passes every other question on.
// The colours are the system's own either way (SetSysColors, which Wine keeps for the session).
#pragma once

#include <windows.h>

#include <string>
#include <utility>
#include <vector>

namespace wintest {

using SystemColours = std::vector<std::pair<int, COLORREF>>;

class HighContrastScope {
public:
    // module: the DLL whose question is answered when the system keeps no flag (L"Search.dll").
    HighContrastScope(const wchar_t* module, const SystemColours& scheme);
    ~HighContrastScope();
    HighContrastScope(const HighContrastScope&) = delete;
    HighContrastScope& operator=(const HighContrastScope&) = delete;

    // False (with the reason) when the flag could be neither set nor answered.
    bool On() const { return m_on; }
    const std::string& Why() const { return m_why; }

private:
    bool m_on = false;
    bool m_systemFlag = false;  // the system itself keeps the flag
    void** m_slot = nullptr;    // the module's import slot, while it is taken
    void* m_original = nullptr;
    SystemColours m_before;
    std::string m_why;
};

// Every system colour as it is now, COLOR_SCROLLBAR to COLOR_MENUBAR.
std::vector<COLORREF> CurrentSystemColours();

}  // namespace wintest
