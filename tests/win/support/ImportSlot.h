// A module's import of a function, taken over for a test: the slot of its import address table
// that holds where the function is, and writing it.
#pragma once

#include <windows.h>

namespace wintest {

// The module's import address table slot of dll!function, or null.
void** ImportSlot(HMODULE module, const char* dll, const char* function);
void WriteSlot(void** slot, void* value);

}  // namespace wintest
