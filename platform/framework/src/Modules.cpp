// The extension-module chain: where dialogs find their templates.
#include <mutex>
#include <vector>

#include "Framework.h"

namespace {

struct ModuleChain {
    std::mutex lock;
    CDynLinkLibrary* head = nullptr;
};

ModuleChain& Chain() {
    static ModuleChain chain;
    return chain;
}

// Called with the lock held.
void Unlink(ModuleChain& c, CDynLinkLibrary* pDLL) {
    for (CDynLinkLibrary** link = &c.head; *link; link = &(*link)->m_pNextDLL) {
        if (*link == pDLL) {
            *link = pDLL->m_pNextDLL;
            pDLL->m_pNextDLL = nullptr;
            return;
        }
    }
}

}  // namespace

BOOL AfxInitExtensionModule(AFX_EXTENSION_MODULE& state, HMODULE hModule) {
    if (!hModule) return FALSE;
    state.hModule = hModule;
    state.hResource = hModule;
    state.bInitialized = TRUE;
    return TRUE;
}

void AfxTermExtensionModule(AFX_EXTENSION_MODULE& state, BOOL bAll) {
    if (!state.bInitialized) return;
    std::vector<CDynLinkLibrary*> doomed;
    {
        ModuleChain& c = Chain();
        std::lock_guard<std::mutex> guard(c.lock);
        for (CDynLinkLibrary* p = c.head; p; p = p->m_pNextDLL) {
            if (bAll || p->m_hModule == state.hModule) doomed.push_back(p);
        }
        for (CDynLinkLibrary* p : doomed) Unlink(c, p);
    }
    // Deleted outside the lock: a destructor unlinks under the same lock.
    for (CDynLinkLibrary* p : doomed) delete p;
    state.bInitialized = FALSE;
}

CDynLinkLibrary::CDynLinkLibrary(AFX_EXTENSION_MODULE& state, BOOL bSystem)
    : m_hModule(state.hModule), m_hResource(state.hResource), m_bSystem(bSystem), m_pNextDLL(nullptr) {
    ModuleChain& c = Chain();
    std::lock_guard<std::mutex> guard(c.lock);
    m_pNextDLL = c.head;
    c.head = this;
}

CDynLinkLibrary::~CDynLinkLibrary() {
    ModuleChain& c = Chain();
    std::lock_guard<std::mutex> guard(c.lock);
    Unlink(c, this);
}

HINSTANCE AfxFindResourceHandle(const wchar_t* lpszName, const wchar_t* lpszType) {
    {
        ModuleChain& c = Chain();
        std::lock_guard<std::mutex> guard(c.lock);
        for (CDynLinkLibrary* p = c.head; p; p = p->m_pNextDLL) {
            if (p->m_hResource && FindResourceW(p->m_hResource, lpszName, lpszType))
                return p->m_hResource;
        }
    }
    // Last, the program's own resources.
    HMODULE exe = GetModuleHandleW(nullptr);
    return exe && FindResourceW(exe, lpszName, lpszType) ? exe : nullptr;
}
