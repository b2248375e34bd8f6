// A high-contrast scheme on the test desktop, as a user turns one on: the flag that
// SystemParametersInfo(SPI_GETHIGHCONTRAST) reports and the scheme's system colours, announced as
// the system announces them (WM_SYSCOLORCHANGE from SetSysColors, then WM_SETTINGCHANGE with
// SPI_SETHIGHCONTRAST); put back and announced again when the scope ends.
//
// Wine keeps no high-contrast flag: it answers SPI_GETHIGHCONTRAST with no flags, fails
// SPI_SETHIGHCONTRAST with ERROR_INVALID_SPI_VALUE and reads no registry value for it. Where the
// system refuses the flag, the scope answers that one question itself for the module that asks it,
// through the module's import of SystemParametersInfoW, and passes every other question on.
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
