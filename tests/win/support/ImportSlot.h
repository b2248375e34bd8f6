// A module's import of a function, taken over for a test: the slot of its import address table
// that holds where the function is, and writing it.
#pragma once

#include <windows.h>

namespace wintest {

// The module's import address table slot of dll!function, or null.
void** ImportSlot(HMODULE module, const char* dll, const char* function);
void WriteSlot(void** slot, void* value);

// `module`'s import of dll!function answered by `replacement` while one lives. `original` is given
// where the import led before the replacement is written, so the replacement passes calls on from
// its first; the import leads there again when the patch goes.
template <typename Fn>
class ImportPatch {
public:
    template <typename Store>
    ImportPatch(HMODULE module, const char* dll, const char* function, Fn replacement, Store& original)
        : m_slot(module ? ImportSlot(module, dll, function) : nullptr) {
        if (!m_slot) return;
        m_original = reinterpret_cast<Fn>(*m_slot);
        original = m_original;
        WriteSlot(m_slot, reinterpret_cast<void*>(replacement));
    }
    ~ImportPatch() {
        if (m_slot) WriteSlot(m_slot, reinterpret_cast<void*>(m_original));
    }
    ImportPatch(const ImportPatch&) = delete;
    ImportPatch& operator=(const ImportPatch&) = delete;
    bool On() const { return m_slot != nullptr; }

private:
    void** m_slot;
    Fn m_original = nullptr;
};

}  // namespace wintest
