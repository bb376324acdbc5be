// The registry's read-only warning box; the message-box routine (title, prefix line, event log and
// the service's silent answer) takes this over.
#include <windows.h>

#include "foundation/lib_reg_win.h"
#include "foundation/lib_unicode_win.h"

void ShowRegistryWarning(const std::u16string& text, const std::u16string& caption, UINT flags) {
  MessageBoxW(nullptr, WStr(text), WStr(caption), flags | MB_SETFOREGROUND);
}
