// The client's skinned message box: a modal box owned by the skinned dialog that is handling the
// current message on this thread (else the thread's active window). Returns the button pressed.
#pragma once

#include <windows.h>

int SkinMessageBox(const wchar_t* text, const wchar_t* caption, UINT type);

// Replaces how the box is presented (tests record instead of showing). Returns the presenter it
// replaces; null restores the real box. Exported by the module that carries the library: the
// library's own source declares it exported (clang rejects an export added on the definition).
#if defined(SEARCH_SKIN_BUILD)
#  define SKIN_TEST_HOOK __declspec(dllexport)
#else
#  define SKIN_TEST_HOOK
#endif
using SkinMessageBoxPresenter = int (*)(HWND owner, const wchar_t* text, const wchar_t* caption,
                                        UINT type);
SKIN_TEST_HOOK SkinMessageBoxPresenter SetSkinMessageBoxPresenter(SkinMessageBoxPresenter presenter);
