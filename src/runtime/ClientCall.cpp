#include "ClientCall.h"

#include <windows.h>

#include <cstring>
#include <exception>

#include <cxxabi.h>
#include <unwind.h>

#include "ModuleLookup.h"
#include "UnwindTables.h"

namespace {
// The C++ ABI's per-thread exception globals, as GCC's runtime lays them out (unwind-cxx.h).
struct EhGlobals {
    void* caughtExceptions;
    unsigned int uncaughtExceptions;
};
using GetGlobals = EhGlobals* (*)();
}  // namespace

void PrepareForClientCode() noexcept { KeepFramesKnownToRuntimeDll(); }

void ForgiveForeignException() noexcept {
    // GCC's runtime keeps the unwinder's record of an exception right before the thrown object,
    // and the record's clean-up routine is the thrower's runtime's own.
    const std::exception_ptr current = std::current_exception();
    void* thrown = nullptr;
    static_assert(sizeof(current) == sizeof(thrown), "an exception_ptr is the thrown object's address");
    std::memcpy(&thrown, &current, sizeof(thrown));
    if (!thrown)
        return;
    const _Unwind_Exception* record = static_cast<const _Unwind_Exception*>(thrown) - 1;
    constexpr _Unwind_Exception_Class kGnuCxx = 0x474e5543432b2b00ull;  // "GNUCC++\0"; a last byte of 1: dependent
    if ((record->exception_class & ~_Unwind_Exception_Class{0xff}) != kGnuCxx || !record->exception_cleanup)
        return;
    const HMODULE thrower = ModuleAt(reinterpret_cast<const void*>(record->exception_cleanup));
    if (!thrower || thrower == ModuleAt(reinterpret_cast<const void*>(&ForgiveForeignException)))
        return;  // thrown and caught by this module: both counts are right
    ++reinterpret_cast<EhGlobals*>(abi::__cxa_get_globals())->uncaughtExceptions;
    if (const auto get = ExportedFunction<GetGlobals>(thrower, "__cxa_get_globals")) {
        EhGlobals* globals = get();
        if (globals && globals->uncaughtExceptions > 0)
            --globals->uncaughtExceptions;
    }
}
