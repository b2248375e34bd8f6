// 32-bit only: makes sure the module's own copy of the C++ unwinder knows the module's frames,
// however the client links its runtime. Does nothing where exceptions unwind through the system's
// tables (64-bit).
#pragma once

#include <windows.h>

// On load, after the start-up code: registers the module's unwind tables with its own unwinder
// when the start-up code registered them with another copy (a client's libgcc DLL).
void KeepUnwindTablesKnown(HINSTANCE hModule);
// On unload: takes back what KeepUnwindTablesKnown registered.
void ForgetUnwindTables();
// Before a call into client code: registers the module's unwind tables with libgcc_s_dw2-1.dll too
// when that DLL was loaded after the module and does not know them. The module is kept loaded from
// the first window on, so this registration is never taken back.
void KeepFramesKnownToRuntimeDll();
