// Small routines the dialogs share, without the window calls.
#include "ui/frmlib.h"

std::u16string DigitsOnly(std::u16string_view text) {
  std::u16string digits;
  digits.reserve(text.size());
  for (const char16_t c : text) {
    if (c >= u'0' && c <= u'9') digits += c;
  }
  return digits;
}
