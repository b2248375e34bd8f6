// Looking up modules of the process and their exports.
#pragma once

#include <windows.h>

// The module whose code or data is at `address`, or null; its reference count is left alone.
inline HMODULE ModuleAt(const void* address) {
    HMODULE module = nullptr;
    ::GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                         static_cast<LPCWSTR>(address), &module);
    return module;
}

// The module that carries the calling code (Search.dll, whatever name its file has; each module
// that includes this has its own copy of the anchor).
inline HMODULE ThisModule() {
    static const char anchor = 0;
    return ModuleAt(&anchor);
}

// dll!name as a function of type Fn, or null.
template <class Fn>
Fn ExportedFunction(HMODULE dll, const char* name) {
    return reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(::GetProcAddress(dll, name)));
}
