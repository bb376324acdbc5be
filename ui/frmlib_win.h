// Small routines the dialogs share that work on their controls.
#pragma once

#include <windows.h>

#include <string>

// Removes every character other than "0" to "9" from the control's text; the text is written back only
// when it changed, so the change notification that calls this does not come back for ever.
void KeepDigitsOnly(HWND control);

// The window's text; empty when it has none.
std::u16string WindowTextOf(HWND wnd);
