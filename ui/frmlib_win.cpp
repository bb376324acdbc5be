// Small routines the dialogs share that work on their controls.
#include "ui/frmlib_win.h"

#include <string>

#include "foundation/lib_unicode_win.h"
#include "ui/frmlib.h"
#include "ui/styledmenu_win.h"

std::u16string WindowTextOf(HWND wnd) {
  const int length = GetWindowTextLengthW(wnd);
  if (length <= 0) return {};
  std::wstring buf(static_cast<size_t>(length) + 1, L'\0');
  const int got = GetWindowTextW(wnd, buf.data(), length + 1);
  return FromWStr(buf.data(), static_cast<size_t>(got > 0 ? got : 0));
}

void KeepDigitsOnly(HWND control) {
  if (!control) return;
  const std::u16string text = WindowTextOf(control);
  const std::u16string digits = DigitsOnly(text);
  if (digits == text) return;
  SetWindowTextW(control, WStr(digits));
  // The caret after the text, where the user goes on typing.
  HWND edit = FindWindowExW(control, nullptr, L"Edit", nullptr);
  SendMessageW(edit ? edit : control, EM_SETSEL, digits.size(), digits.size());
}

std::unique_ptr<TStyledMenu> AttachStyledMenu(HWND form) {
  auto styled = std::make_unique<TStyledMenu>(form);
  LOGFONTW font = ScreenMenuFont();
  font.lfCharSet = RUSSIAN_CHARSET;
  styled->SetFont(font, styled->FontColor());
  styled->AutoDetect = true;
  styled->SetActive(true);
  return styled;
}
