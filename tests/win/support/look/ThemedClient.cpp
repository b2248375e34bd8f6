// Linked into every Windows test program: unless the run asks for a classic client, the main
// thread, where the tests make their windows, runs from the start to the end in the activation
// context of the common-controls 6 manifest the program carries (ThemedClient.rc), as a manifest
// of the program's own would give it.
#include <windows.h>

#include <cstdio>
#include <cstdlib>

#include "ClientLook.h"

[[maybe_unused]] static const bool g_themed = [] {
    if (windriver::ClassicClient()) return false;
    ACTCTXW context = {};
    context.cbSize = sizeof(context);
    context.dwFlags = ACTCTX_FLAG_HMODULE_VALID | ACTCTX_FLAG_RESOURCE_NAME_VALID;
    context.hModule = ::GetModuleHandleW(nullptr);
    context.lpResourceName = MAKEINTRESOURCEW(101);
    const HANDLE handle = ::CreateActCtxW(&context);
    ULONG_PTR cookie = 0;
    if (handle == INVALID_HANDLE_VALUE || !::ActivateActCtx(handle, &cookie)) {
        std::fprintf(stderr, "no common-controls 6 activation context (error %lu)\n", ::GetLastError());
        std::exit(3);  // every test would judge a client nobody has
    }
    return true;
}();
