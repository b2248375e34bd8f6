// The client's skinned message box: a modal box owned by the skinned dialog that is handling the
// current message on this thread (else the thread's active window). Returns the button pressed.
#pragma once

#include <windows.h>

int SkinMessageBox(const wchar_t* text, const wchar_t* caption, UINT type);

// Replaces how the box is presented (a client's own box; tests record instead of showing).
// Returns the presenter it replaces; null restores the real box. Exported by the module that
// carries the library, whose public header (Search.h) declares it too: the library's own source
// declares it exported (clang rejects an export added on the definition), and whichever of the two
// headers comes first declares it, so that a file with both sees one declaration.
#if defined(SEARCH_SKIN_BUILD)
#  define SKIN_HOOK __declspec(dllexport)
#else
#  define SKIN_HOOK
#endif
using SkinMessageBoxPresenter = int (*)(HWND owner, const wchar_t* text, const wchar_t* caption,
                                        UINT type);
#if !defined(SEARCH_MESSAGE_BOX_HOOK_DECLARED)
#  define SEARCH_MESSAGE_BOX_HOOK_DECLARED
SKIN_HOOK SkinMessageBoxPresenter SetSkinMessageBoxPresenter(SkinMessageBoxPresenter presenter);
#endif
