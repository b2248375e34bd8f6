// Names that screen readers speak for controls the system cannot name on its own.
//
// The system names an edit, a combo box or a list after the static text that stands before it in
// the Z order, whatever that text is: a placeholder caption, a bitmap's resource number, or nothing.
// A control given a name here answers WM_GETOBJECT for its client area with a thin object that
// wraps the system's standard object for that control, gives the name set here and passes every
// other question on to the standard object.
//
// A screen reader may keep that object after the control is gone. The object holds nothing of the
// control's owner: it keeps its own name and the standard object, and lets go of both when its
// control's window is destroyed; every call after that fails with RPC_E_DISCONNECTED.
#pragma once

#include <windows.h>

#include <string>

// Names the control from now until its window is destroyed; an empty name makes it nameless (a
// control that only decorates). Call it once per control, on the control's thread.
bool SetAccessibleName(HWND hWndControl, const std::wstring& name);
