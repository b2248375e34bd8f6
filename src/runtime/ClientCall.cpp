#include "ClientCall.h"

#include <windows.h>

#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <exception>
#include <typeinfo>

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

namespace {
// Text of a narrow string into `out`: UTF-8 when it is, else the system's code page.
void Widen(const char* text, wchar_t* out, int size) noexcept {
    if (::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text, -1, out, size) == 0 &&
        ::MultiByteToWideChar(CP_ACP, 0, text, -1, out, size) == 0)
        out[0] = L'\0';
    out[size - 1] = L'\0';
}
}  // namespace

void ReportStoppedException(const wchar_t* where) noexcept {
    wchar_t type[128] = L"";
    wchar_t what[256] = L"";
    if (const std::type_info* thrown = abi::__cxa_current_exception_type()) {
        int status = 0;
        char* readable = abi::__cxa_demangle(thrown->name(), nullptr, nullptr, &status);
        Widen(status == 0 && readable ? readable : thrown->name(), type, 128);
        std::free(readable);
        // The exception again, to ask it what it says; it is still the one being handled.
        try {
            throw;
        } catch (const std::exception& e) {
            Widen(e.what(), what, 256);
        } catch (...) {
        }
    }
    wchar_t detail[400] = L"";
    if (type[0] != L'\0')
        std::swprintf(detail, 400, what[0] != L'\0' ? L": %ls: %ls" : L": %ls", type, what);
    wchar_t line[512];
    std::swprintf(line, 512, L"search window: %ls threw; the exception was stopped there%ls\n", where, detail);
    ::OutputDebugStringW(line);
}
