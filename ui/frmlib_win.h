// Small routines the dialogs share that work on their controls.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

class TStyledMenu;

// Removes every character other than "0" to "9" from the control's text; the text is written back only
// when it changed, so the change notification that calls this does not come back for ever.
void KeepDigitsOnly(HWND control);

// The window's text; empty when it has none.
std::u16string WindowTextOf(HWND wnd);

// The flat look for the form: a styled-menu component for its window, detecting later menu items,
// active, its caption font in the Cyrillic character set. The caller keeps it as long as the form.
std::unique_ptr<TStyledMenu> AttachStyledMenu(HWND form);
