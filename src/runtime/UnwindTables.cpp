// 32-bit MinGW code unwinds through DWARF tables, and every copy of GCC's unwinder in a process
// keeps its own list of the modules whose tables it knows. The start-up code linked into this DLL
// registers the DLL's tables with libgcc_s_dw2-1.dll when the client has already loaded it (as
// every client built without -static has), and with the DLL's own static unwinder otherwise. In
// the first case the DLL's own unwinder, which every exception thrown inside the DLL goes through,
// knows none of the DLL's frames, and the first such exception ends the process. So the tables are
// registered with the DLL's own unwinder as well whenever it cannot find the DLL's frames. The two
// lists are separate: an exception thrown by the client through the DLL's frames still finds
// them in the client's unwinder.
//
// Such an exception meets one more trap. The client's unwinder hands each of the DLL's frames to
// the DLL's own C++ personality routine, which reads and writes the frame's registers through the
// DLL's own copy of the unwinder's helpers; those size each register from a table that copy fills
// only when it first unwinds. Until the DLL itself has thrown, the table is empty, and the first
// client exception caught in the DLL ends the process. One walk of the stack at load fills it.
//
// A client linked with -static may load libgcc_s_dw2-1.dll only later, with a library of its own
// built on the runtime DLLs (a plugin, say). That DLL's unwinder was not there to be told of this
// DLL's frames at load, and an exception it throws through them ends the process. So before each
// call into client code the DLL makes sure that, if that DLL is loaded now, it knows them too.
// Looking a DLL up by name can cost a millisecond under Wine when it is not loaded, so the look-up
// is made again only after the loader reported that DLL loaded or unloaded.
#include "UnwindTables.h"

#include <winternl.h>

#include <unwind.h>

#include <atomic>
#include <cstring>

#include "ModuleLookup.h"

#if defined(__i386__) && !defined(__SEH__) && !defined(__USING_SJLJ_EXCEPTIONS__)

extern "C" {
// The static unwinder's registry (libgcc_eh), as the start-up code calls it.
struct dwarf_eh_bases {
    void* tbase;
    void* dbase;
    void* func;
};
const void* _Unwind_Find_FDE(void* pc, dwarf_eh_bases* bases);
void __register_frame_info(const void* begin, void* object);
void* __deregister_frame_info(const void* begin);
}

namespace {
// The unwinder's bookkeeping for one module: opaque here, a few pointers there, and this is ample.
// One for the DLL's own unwinder, one for the runtime DLL's.
alignas(void*) unsigned char g_object[16 * sizeof(void*)];
alignas(void*) unsigned char g_runtimeDllObject[16 * sizeof(void*)];
const void* g_registered = nullptr;
HINSTANCE g_module = nullptr;
// Two windows may call into their clients on two threads at once.
SRWLOCK g_runtimeDllLock = SRWLOCK_INIT;
constexpr wchar_t kRuntimeDll[] = L"libgcc_s_dw2-1.dll";

// The loader's reports of DLLs loaded and unloaded (ntdll's LdrRegisterDllNotification).
struct DllNotification {
    ULONG flags;
    const UNICODE_STRING* fullName;
    const UNICODE_STRING* baseName;
    void* base;
    ULONG size;
};
using DllNotified = void(CALLBACK*)(ULONG reason, const DllNotification* data, void* context);
using RegisterDllNotification = LONG(NTAPI*)(ULONG flags, DllNotified callback, void* context, void** cookie);
using UnregisterDllNotification = LONG(NTAPI*)(void* cookie);
void* g_notificationCookie = nullptr;
// True until the runtime DLL has been looked for since it last came or went.
std::atomic<bool> g_lookForRuntimeDll{true};

// Under the loader's lock: nothing here may load anything.
void CALLBACK OnDllNotified(ULONG, const DllNotification* data, void*) {
    const UNICODE_STRING* name = data ? data->baseName : nullptr;
    const int length = name ? name->Length / sizeof(wchar_t) : 0;
    if (name && ::CompareStringOrdinal(name->Buffer, length, kRuntimeDll, -1, TRUE) == CSTR_EQUAL)
        g_lookForRuntimeDll = true;
}

// The start of the DLL's unwind tables: its .eh_frame section, whose name a PE image keeps cut to
// eight characters.
const void* UnwindTablesOf(HINSTANCE hModule) {
    auto* base = reinterpret_cast<const unsigned char*>(hModule);
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const IMAGE_SECTION_HEADER* section = IMAGE_FIRST_SECTION(nt);
    for (WORD i = 0; i < nt->FileHeader.NumberOfSections; ++i, ++section) {
        if (std::memcmp(section->Name, ".eh_fram", 8) == 0)
            return base + section->VirtualAddress;
    }
    return nullptr;
}

_Unwind_Reason_Code StopAtOnce(_Unwind_Context*, void*) { return _URC_END_OF_STACK; }

// Whether this DLL's own unwinder knows its frames: any code of the DLL will do, this file's own.
bool FramesKnown() {
    dwarf_eh_bases bases{};
    return _Unwind_Find_FDE(reinterpret_cast<void*>(&FramesKnown), &bases) != nullptr;
}
}  // namespace

void KeepUnwindTablesKnown(HINSTANCE hModule) {
    g_module = hModule;
    // Without the loader's reports (they are there since Windows Vista), the DLL is looked for
    // before every call into client code.
    const auto watch = ExportedFunction<RegisterDllNotification>(::GetModuleHandleW(L"ntdll.dll"),
                                                                 "LdrRegisterDllNotification");
    if (!watch || watch(0, &OnDllNotified, nullptr, &g_notificationCookie) != 0)
        g_notificationCookie = nullptr;
    if (!FramesKnown()) {
        // The start-up code registered them with another copy.
        if (const void* tables = UnwindTablesOf(hModule)) {
            __register_frame_info(tables, g_object);
            g_registered = tables;
        }
    }
    // The walk itself needs the frames known: without them it would end the process here.
    if (FramesKnown())
        _Unwind_Backtrace(&StopAtOnce, nullptr);
}

void ForgetUnwindTables() {
    if (g_notificationCookie) {
        const auto unwatch = ExportedFunction<UnregisterDllNotification>(::GetModuleHandleW(L"ntdll.dll"),
                                                                         "LdrUnregisterDllNotification");
        if (unwatch)
            unwatch(g_notificationCookie);
        g_notificationCookie = nullptr;
    }
    if (g_registered)
        __deregister_frame_info(g_registered);
    g_registered = nullptr;
}

void KeepFramesKnownToRuntimeDll() {
    if (!g_module || (g_notificationCookie && !g_lookForRuntimeDll.exchange(false)))
        return;
    HMODULE runtime = ::GetModuleHandleW(kRuntimeDll);
    if (!runtime)
        return;
    using FindFde = const void* (*)(void*, dwarf_eh_bases*);
    using RegisterFrames = void (*)(const void*, void*);
    const auto find = ExportedFunction<FindFde>(runtime, "_Unwind_Find_FDE");
    const auto add = ExportedFunction<RegisterFrames>(runtime, "__register_frame_info");
    if (!find || !add)
        return;
    ::AcquireSRWLockExclusive(&g_runtimeDllLock);
    // Known already when the DLL was there before this one (its start-up code registered them), or
    // since an earlier call. A runtime DLL unloaded and loaded again knows nothing, and the record
    // is free to be used again: the one that held it went with the old DLL.
    dwarf_eh_bases bases{};
    if (!find(reinterpret_cast<void*>(&FramesKnown), &bases)) {
        if (const void* tables = UnwindTablesOf(g_module))
            add(tables, g_runtimeDllObject);
    }
    ::ReleaseSRWLockExclusive(&g_runtimeDllLock);
}

#else

void KeepUnwindTablesKnown(HINSTANCE) {}
void ForgetUnwindTables() {}
void KeepFramesKnownToRuntimeDll() {}

#endif
