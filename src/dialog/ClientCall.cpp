#include "ClientCall.h"

#include <windows.h>

#include <cxxabi.h>

#include "UnwindTables.h"

namespace {

// The C++ ABI's per-thread exception globals, as GCC's runtime lays them out (unwind-cxx.h).
struct EhGlobals {
    void* caughtExceptions;
    unsigned int uncaughtExceptions;
};
using GetGlobals = EhGlobals* (*)();

// This thread's count in the runtime DLL of a client built without -static, or null when no such
// DLL is loaded. The DLL is looked up each time: a plugin may load it, or unload it, at any time.
unsigned int* ClientRuntimeCount() {
    HMODULE runtime = ::GetModuleHandleW(L"libstdc++-6.dll");
    if (!runtime)
        return nullptr;
    const auto get = ExportedFunction<GetGlobals>(runtime, "__cxa_get_globals");
    EhGlobals* globals = get ? get() : nullptr;
    return globals ? &globals->uncaughtExceptions : nullptr;
}

}  // namespace

CClientCallScope::CClientCallScope() noexcept
    : m_pModuleCount(&reinterpret_cast<EhGlobals*>(abi::__cxa_get_globals())->uncaughtExceptions),
      m_nModuleCount(*m_pModuleCount),
      m_pClientCount(ClientRuntimeCount()) {
    if (m_pClientCount)
        m_nClientCount = *m_pClientCount;
    KeepFramesKnownToRuntimeDll();
}

CClientCallScope::~CClientCallScope() {
    // Only an exception thrown by another runtime and caught by this one leaves the module's count
    // changed. Then the client's is put back too, if its runtime is still the one it was: a plugin
    // may have unloaded it meanwhile.
    if (*m_pModuleCount == m_nModuleCount)
        return;
    *m_pModuleCount = m_nModuleCount;
    if (m_pClientCount && m_pClientCount == ClientRuntimeCount())
        *m_pClientCount = m_nClientCount;
}
