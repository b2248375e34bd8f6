// Module entry: registers Search.dll with the framework so its dialog templates are found.
#include <windows.h>

#include "Framework.h"
#include "UnwindTables.h"

namespace {
AFX_EXTENSION_MODULE g_extensionModule;
}

extern "C" BOOL WINAPI DllMain(HINSTANCE hInstance, DWORD dwReason, LPVOID) {
    if (dwReason == DLL_PROCESS_ATTACH) {
        KeepUnwindTablesKnown(hInstance);
        if (!AfxInitExtensionModule(g_extensionModule, hInstance))
            return 0;
        // The framework's resource chain owns it from here on.
        new CDynLinkLibrary(g_extensionModule);
    } else if (dwReason == DLL_PROCESS_DETACH) {
        AfxTermExtensionModule(g_extensionModule);
        ForgetUnwindTables();
    }
    return 1;
}
