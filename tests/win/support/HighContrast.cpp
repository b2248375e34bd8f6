#include "HighContrast.h"

#include <atomic>
#include <cstring>

namespace wintest {

namespace {

using SystemParametersInfoFn = BOOL(WINAPI*)(UINT, UINT, PVOID, UINT);
std::atomic<SystemParametersInfoFn> g_systemParametersInfo{nullptr};

// Stands in for SystemParametersInfoW while a scope has taken a module's import of it: the
// high-contrast question gets the flag on top of the system's answer, every other the system's.
BOOL WINAPI AnswerHighContrast(UINT action, UINT param, PVOID pv, UINT winIni) {
    const SystemParametersInfoFn system = g_systemParametersInfo.load();
    const BOOL ok = system(action, param, pv, winIni);
    if (ok && action == SPI_GETHIGHCONTRAST && pv)
        static_cast<HIGHCONTRASTW*>(pv)->dwFlags |= HCF_HIGHCONTRASTON;
    return ok;
}

// The module's import address table slot of dll!function, or null when it imports no such
// function by name.
void** ImportSlot(HMODULE module, const char* dll, const char* function) {
    auto* base = reinterpret_cast<BYTE*>(module);
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& imports = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    if (!imports.VirtualAddress) return nullptr;
    for (auto* entry = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + imports.VirtualAddress); entry->Name;
         ++entry) {
        if (_stricmp(reinterpret_cast<const char*>(base + entry->Name), dll) != 0) continue;
        // The lookup table names the functions; the address table beside it holds where they are.
        const DWORD lookup = entry->OriginalFirstThunk ? entry->OriginalFirstThunk : entry->FirstThunk;
        auto* names = reinterpret_cast<IMAGE_THUNK_DATA*>(base + lookup);
        auto* slots = reinterpret_cast<IMAGE_THUNK_DATA*>(base + entry->FirstThunk);
        for (; names->u1.AddressOfData; ++names, ++slots) {
            if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal)) continue;
            const auto* byName = reinterpret_cast<const IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData);
            if (std::strcmp(reinterpret_cast<const char*>(byName->Name), function) == 0)
                return reinterpret_cast<void**>(&slots->u1.Function);
        }
    }
    return nullptr;
}

bool WriteSlot(void** slot, void* value) {
    DWORD old = 0;
    if (!::VirtualProtect(slot, sizeof(*slot), PAGE_READWRITE, &old)) return false;
    *slot = value;
    ::VirtualProtect(slot, sizeof(*slot), old, &old);
    return true;
}

bool SystemFlag() {
    HIGHCONTRASTW contrast = {};
    contrast.cbSize = sizeof(contrast);
    return ::SystemParametersInfoW(SPI_GETHIGHCONTRAST, sizeof(contrast), &contrast, 0) &&
           (contrast.dwFlags & HCF_HIGHCONTRASTON);
}

bool SetSystemFlag(bool on) {
    HIGHCONTRASTW contrast = {};
    contrast.cbSize = sizeof(contrast);
    contrast.dwFlags = on ? HCF_HIGHCONTRASTON : 0;
    return ::SystemParametersInfoW(SPI_SETHIGHCONTRAST, sizeof(contrast), &contrast, 0) && SystemFlag() == on;
}

// SetSysColors announces the new colours to every top-level window with WM_SYSCOLORCHANGE.
void SetColours(const SystemColours& colours) {
    std::vector<int> indices;
    std::vector<COLORREF> values;
    for (const auto& [index, value] : colours) {
        indices.push_back(index);
        values.push_back(value);
    }
    ::SetSysColors(static_cast<int>(indices.size()), indices.data(), values.data());
}

void AnnounceFlag() {
    DWORD_PTR ignored = 0;
    ::SendMessageTimeoutW(HWND_BROADCAST, WM_SETTINGCHANGE, SPI_SETHIGHCONTRAST, 0, SMTO_ABORTIFHUNG, 2000,
                          &ignored);
}

}  // namespace

std::vector<COLORREF> CurrentSystemColours() {
    std::vector<COLORREF> colours;
    for (int index = COLOR_SCROLLBAR; index <= COLOR_MENUBAR; ++index) colours.push_back(::GetSysColor(index));
    return colours;
}

HighContrastScope::HighContrastScope(const wchar_t* module, const SystemColours& scheme) {
    // As they are before any scheme: a system that keeps the flag may change colours with it.
    for (const auto& entry : scheme) m_before.emplace_back(entry.first, ::GetSysColor(entry.first));
    if (SetSystemFlag(true)) {
        m_systemFlag = true;
    } else {
        HMODULE hModule = ::GetModuleHandleW(module);
        m_slot = hModule ? ImportSlot(hModule, "user32.dll", "SystemParametersInfoW") : nullptr;
        if (!m_slot) {
            m_why = "the system keeps no high-contrast flag, and the module imports no SystemParametersInfoW";
            return;
        }
        m_original = *m_slot;
        g_systemParametersInfo = reinterpret_cast<SystemParametersInfoFn>(m_original);
        if (!WriteSlot(m_slot, reinterpret_cast<void*>(&AnswerHighContrast))) {
            m_slot = nullptr;
            m_why = "the module's import of SystemParametersInfoW could not be taken";
            return;
        }
    }
    m_on = true;
    SetColours(scheme);
    AnnounceFlag();
}

HighContrastScope::~HighContrastScope() {
    if (!m_on) return;
    // The flag goes first, so that the windows see ordinary colours with no scheme on.
    if (m_systemFlag)
        SetSystemFlag(false);
    else
        WriteSlot(m_slot, m_original);
    SetColours(m_before);
    AnnounceFlag();
}

}  // namespace wintest
