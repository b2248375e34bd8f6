// Strings and runtime-class records.
#include <cstdarg>
#include <cwchar>
#include <vector>

#include "Framework.h"

void CString::Format(const wchar_t* format, ...) {
    if (!format) {
        m_text.clear();
        return;
    }
    va_list args;
    va_start(args, format);
    va_list counting;
    va_copy(counting, args);
    // The C runtime's wide printf: %s takes a wide string here, as the window texts expect.
    const int length = _vscwprintf(format, counting);
    va_end(counting);
    if (length < 0) {
        va_end(args);
        m_text.clear();
        return;
    }
    std::vector<wchar_t> buffer(static_cast<size_t>(length) + 1);
    _vsnwprintf(buffer.data(), buffer.size(), format, args);
    va_end(args);
    m_text.assign(buffer.data(), static_cast<size_t>(length));
}

bool CRuntimeClass::IsDerivedFrom(const CRuntimeClass* base) const {
    for (const CRuntimeClass* c = this; c; c = c->m_pBaseClass) {
        if (c == base) return true;
    }
    return false;
}

CRuntimeClass CObject::classCObject = {"CObject", sizeof(CObject), 0xFFFF, nullptr, nullptr};

CRuntimeClass* CObject::GetRuntimeClass() const { return &classCObject; }

bool CObject::IsKindOf(const CRuntimeClass* pClass) const {
    return pClass && GetRuntimeClass()->IsDerivedFrom(pClass);
}
