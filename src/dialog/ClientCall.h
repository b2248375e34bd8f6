// The edge of every call from the module into code of the client's (its handlers, its protocol
// library), where an exception of the client's may be stopped.
//
// The module carries its own copy of the C++ runtime. An exception that the client's runtime
// throws and the module's catches is counted in flight by the first and as caught by the second,
// so after the module has stopped it the client's std::uncaught_exceptions() on that thread stays
// one higher for good, and the module's own count one lower. A scope puts both counts back as they
// were when it began: the module's always, the client's where the client's runtime can be reached
// (the runtime DLL that clients built without -static share). A client that links its runtime
// statically exports nothing to reach it by.
#pragma once

class CClientCallScope {
public:
    // Also makes the module's frames known to a runtime DLL loaded since the module was (32-bit).
    CClientCallScope() noexcept;
    ~CClientCallScope();
    CClientCallScope(const CClientCallScope&) = delete;
    CClientCallScope& operator=(const CClientCallScope&) = delete;

private:
    unsigned int* m_pModuleCount;
    unsigned int m_nModuleCount;
    unsigned int* m_pClientCount;  // null when no client runtime can be reached
    unsigned int m_nClientCount = 0;
};
