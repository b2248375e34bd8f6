#include "HighContrast.h"

#include <atomic>

namespace wintest {

namespace {

std::atomic<BOOL(WINAPI*)(UINT, UINT, PVOID, UINT)> g_system{nullptr};

// SystemParametersInfoW for the module while a scope is on: the system's answers, with the
// high-contrast flag on.
BOOL WINAPI AnswerHighContrast(UINT action, UINT param, PVOID pv, UINT winIni) {
    const BOOL ok = g_system.load()(action, param, pv, winIni);
    if (ok && action == SPI_GETHIGHCONTRAST && pv) static_cast<HIGHCONTRASTW*>(pv)->dwFlags |= HCF_HIGHCONTRASTON;
    return ok;
}

// SetSysColors announces the colours itself; the flag is announced as the system does.
void Announce(const SystemColours& colours) {
    std::vector<int> indices;
    std::vector<COLORREF> values;
    for (const auto& [index, value] : colours) indices.push_back(index), values.push_back(value);
    ::SetSysColors(static_cast<int>(indices.size()), indices.data(), values.data());
    DWORD_PTR ignored = 0;
    ::SendMessageTimeoutW(HWND_BROADCAST, WM_SETTINGCHANGE, SPI_SETHIGHCONTRAST, 0, SMTO_ABORTIFHUNG, 2000, &ignored);
}

}  // namespace

HighContrastScope::HighContrastScope(const wchar_t* module, const SystemColours& scheme) {
    m_patch.emplace(::GetModuleHandleW(module), "user32.dll", "SystemParametersInfoW", &AnswerHighContrast, g_system);
    if (!On()) return;
    for (const auto& entry : scheme) m_before.emplace_back(entry.first, ::GetSysColor(entry.first));
    Announce(scheme);
}

HighContrastScope::~HighContrastScope() {
    if (!On()) return;
    // The flag goes first, so that the windows see the colours of before with no scheme on.
    m_patch.reset();
    Announce(m_before);
}

}  // namespace wintest
