// Which skinned dialog is handling a message on this thread: the owner of a skinned message box.
#pragma once

#include <windows.h>

class CSkinDialog;

// Marks a skinned dialog as the thread's current one for the lifetime of the scope; the one it
// replaces becomes current again when the scope ends, also when a handler throws through it.
class CSkinDialogScope {
public:
    explicit CSkinDialogScope(CSkinDialog* dialog);
    ~CSkinDialogScope();
    CSkinDialogScope(const CSkinDialogScope&) = delete;
    CSkinDialogScope& operator=(const CSkinDialogScope&) = delete;

private:
    CSkinDialog* m_pPrevious;
};

// The window of the innermost skinned dialog handling a message on this thread, or null.
HWND GetCurrentSkinDialogWindow();
