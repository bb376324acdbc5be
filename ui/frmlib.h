// Small routines the dialogs share; the ones that touch a window are in frmlib_win.
#pragma once

#include <string>
#include <string_view>

// The text without every character other than "0" to "9" (count and time-out fields).
std::u16string DigitsOnly(std::u16string_view text);
