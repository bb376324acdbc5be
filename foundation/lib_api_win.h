// The program's message boxes (UTF-16 and 8-bit), the system's error texts and the standard error boxes.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <string_view>

#include "foundation/lib_api.h"

// What a box would show. Wide tells which call is made: MessageBoxW with Text and Caption, or
// MessageBoxA with TextA and CaptionA (the bytes in the system code page; Text and Caption then hold
// the same texts converted back, for reading).
struct TMessageBoxRequest {
  HWND Owner = nullptr;
  UINT Flags = 0;
  bool Wide = true;
  std::u16string Text;
  std::u16string Caption;
  std::string TextA;
  std::string CaptionA;
};

// Replaces the system's box (tests answer without showing anything); an empty hook restores it.
using TMessageBoxHook = std::function<int(const TMessageBoxRequest&)>;
void SetMessageBoxHook(TMessageBoxHook hook);

int MsgBox(std::u16string_view text, std::u16string_view caption, UINT flags, HWND owner = nullptr);
int MsgBoxA(std::string_view text, std::string_view caption, UINT flags, HWND owner = nullptr);

void ShowErrorMsg(std::u16string_view text, HWND owner = nullptr);
void ShowErrorMsgA(std::string_view text, HWND owner = nullptr);
void ShowWarningMsg(std::u16string_view text, HWND owner = nullptr);
// Asks before a file is overwritten; true when the answer is Yes.
bool ConfirmOverwrite(std::u16string_view fileName);

std::u16string SysErrorText(DWORD code);
std::u16string FormatErrorCode(DWORD code);
void ShowLastError(HWND owner = nullptr);
void ShowFileNotFound(std::u16string_view name, HWND owner = nullptr);
void ShowFileOpenError(std::u16string_view name, std::u16string_view details = {}, HWND owner = nullptr);
void ShowFileWriteError(std::u16string_view name, HWND owner = nullptr);
void ShowPrinterOpenError(std::u16string_view printerName, HWND owner = nullptr);
void ShowRegWriteError(HWND owner = nullptr);
void ShowPrinterNotDefined();

// The program title and ": " in the system code page; empty without a title.
std::string GetCaptionPrefix();
