// Linked into every Windows test program: unless the run asks for a classic client, the program's
// main thread, where the tests make their windows, runs from its start in the activation context
// of the common-controls 6 manifest it carries, as a manifest at resource 1 would give it. The
// manifest is kept at another resource so that the same program can also play a client without
// one.
#include <windows.h>

#include <cstdio>
#include <cstdlib>

#include "ClientLook.h"
#include "ThemedClient.h"

namespace {

struct ThemedClient {
    ThemedClient() {
        if (windriver::ClassicClient())
            return;
        ACTCTXW context = {};
        context.cbSize = sizeof(context);
        context.dwFlags = ACTCTX_FLAG_HMODULE_VALID | ACTCTX_FLAG_RESOURCE_NAME_VALID;
        context.hModule = ::GetModuleHandleW(nullptr);
        context.lpResourceName = MAKEINTRESOURCEW(SEARCH_TEST_CLIENT_MANIFEST);
        const HANDLE handle = ::CreateActCtxW(&context);
        ULONG_PTR cookie = 0;
        if (handle == INVALID_HANDLE_VALUE || !::ActivateActCtx(handle, &cookie)) {
            // Every test would judge a client nobody has: stop before the first.
            std::fprintf(stderr, "no common-controls 6 activation context (error %lu)\n", ::GetLastError());
            std::exit(3);
        }
        // Active for the program's life: the tests' windows are made and destroyed on this thread.
    }
};

const ThemedClient g_themedClient;

}  // namespace
