#include "HighContrast.h"

#include <atomic>
#include <cstring>

namespace wintest {

namespace {

using SystemParametersInfoFn = BOOL(WINAPI*)(UINT, UINT, PVOID, UINT);
std::atomic<SystemParametersInfoFn> g_system{nullptr};

// SystemParametersInfoW for the module while a scope is on: the system's answers, with the
// high-contrast flag on.
BOOL WINAPI AnswerHighContrast(UINT action, UINT param, PVOID pv, UINT winIni) {
    const BOOL ok = g_system.load()(action, param, pv, winIni);
    if (ok && action == SPI_GETHIGHCONTRAST && pv) static_cast<HIGHCONTRASTW*>(pv)->dwFlags |= HCF_HIGHCONTRASTON;
    return ok;
}

// The module's import address table slot of dll!function, or null.
void** ImportSlot(HMODULE module, const char* dll, const char* function) {
    auto* base = reinterpret_cast<BYTE*>(module);
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + reinterpret_cast<IMAGE_DOS_HEADER*>(base)->e_lfanew);
    const DWORD imports = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT].VirtualAddress;
    for (auto* entry = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + imports); imports && entry->Name; ++entry) {
        if (_stricmp(reinterpret_cast<const char*>(base + entry->Name), dll) != 0) continue;
        // The lookup table names the functions; the address table beside it holds where they are.
        auto* names = reinterpret_cast<IMAGE_THUNK_DATA*>(base + (entry->OriginalFirstThunk ? entry->OriginalFirstThunk
                                                                                               : entry->FirstThunk));
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

void WriteSlot(void** slot, void* value) {
    DWORD old = 0;
    ::VirtualProtect(slot, sizeof(*slot), PAGE_READWRITE, &old);
    *slot = value;
    ::VirtualProtect(slot, sizeof(*slot), old, &old);
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
    HMODULE hModule = ::GetModuleHandleW(module);
    m_slot = hModule ? ImportSlot(hModule, "user32.dll", "SystemParametersInfoW") : nullptr;
    if (!m_slot) return;
    m_system = *m_slot;
    g_system = reinterpret_cast<SystemParametersInfoFn>(m_system);
    WriteSlot(m_slot, reinterpret_cast<void*>(&AnswerHighContrast));
    for (const auto& entry : scheme) m_before.emplace_back(entry.first, ::GetSysColor(entry.first));
    Announce(scheme);
}

HighContrastScope::~HighContrastScope() {
    if (!m_slot) return;
    // The flag goes first, so that the windows see the colours of before with no scheme on.
    WriteSlot(m_slot, m_system);
    Announce(m_before);
}

}  // namespace wintest
