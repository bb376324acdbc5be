// Message boxes through one routine: prefix line, titled caption, foreground, event-log copy, and
// nothing shown while the process is the service.
#include "foundation/lib_api_win.h"

#include <mutex>

#include "foundation/lib_unicode_win.h"

namespace {
// Process-wide like the system's own box: one replacement for the whole process, guarded because
// any thread may show a box.
std::mutex g_hookLock;
TMessageBoxHook g_boxHook;

int ShowBox(const TMessageBoxRequest& request) {
  TMessageBoxHook hook;
  {
    std::lock_guard lock(g_hookLock);
    hook = g_boxHook;
  }
  if (hook) return hook(request);
  if (request.Wide) {
    return MessageBoxW(request.Owner, WStr(request.Text), WStr(request.Caption), request.Flags);
  }
  return MessageBoxA(request.Owner, request.TextA.c_str(), request.CaptionA.c_str(), request.Flags);
}

std::u16string WithPrefixLine(std::u16string_view text) {
  const std::string prefix = GetMessagePrefix();
  if (prefix.empty()) return std::u16string(text);
  return AnsiToWide(prefix) + u"\r\n" + std::u16string(text);
}

std::string WithPrefixLineA(std::string_view text) {
  std::string prefix = GetMessagePrefix();
  if (prefix.empty()) return std::string(text);
  return prefix + "\r\n" + std::string(text);
}
}  // namespace

void SetMessageBoxHook(TMessageBoxHook hook) {
  std::lock_guard lock(g_hookLock);
  g_boxHook = std::move(hook);
}

std::string GetCaptionPrefix() {
  const std::u16string title = GetProgramTitle();
  return title.empty() ? std::string() : WideToAnsi(title) + ": ";
}

int MsgBox(std::u16string_view text, std::u16string_view caption, UINT flags, HWND owner) {
  TMessageBoxRequest request;
  request.Text = WithPrefixLine(text);
  ReportMessageEvent(request.Text, flags);
  if (GetDisableGUI()) return IDCANCEL;
  const std::u16string title = GetProgramTitle();
  // The title stays UTF-16 on the NT family: a round trip through the code page could lose letters.
  request.Caption = (title.empty() ? std::u16string() : title + u": ") + std::u16string(caption);
  request.Owner = owner;
  request.Flags = flags | MB_SETFOREGROUND;
  request.Wide = UseWideApi();
  if (!request.Wide) {
    request.TextA = WideToAnsi(request.Text);
    request.CaptionA = WideToAnsi(request.Caption);
  }
  return ShowBox(request);
}

int MsgBoxA(std::string_view text, std::string_view caption, UINT flags, HWND owner) {
  TMessageBoxRequest request;
  request.TextA = WithPrefixLineA(text);
  request.Text = AnsiToWide(request.TextA);
  ReportMessageEvent(request.Text, flags);
  if (GetDisableGUI()) return IDCANCEL;
  request.CaptionA = GetCaptionPrefix() + std::string(caption);
  request.Caption = AnsiToWide(request.CaptionA);
  request.Owner = owner;
  request.Flags = flags | MB_SETFOREGROUND;
  request.Wide = false;
  return ShowBox(request);
}

void ShowErrorMsg(std::u16string_view text, HWND owner) { MsgBox(text, kCaptionError, MB_ICONERROR, owner); }

void ShowErrorMsgA(std::string_view text, HWND owner) {
  MsgBoxA(text, WideToAnsi(kCaptionError), MB_ICONERROR, owner);
}

void ShowWarningMsg(std::u16string_view text, HWND owner) {
  MsgBox(text, kCaptionWarning, MB_ICONWARNING, owner);
}

bool ConfirmOverwrite(std::u16string_view fileName) {
  const std::u16string text = u"Файл \"" + std::u16string(fileName) + u"\" существует. Переписать его?";
  return MsgBox(text, kCaptionWarning, MB_YESNO | MB_ICONQUESTION) == IDYES;
}

std::u16string SysErrorText(DWORD code) {
  // Inserts are left as they are: the system's texts with %1 have no arguments here.
  const DWORD flags = FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS;
  std::u16string text;
  if (UseWideApi()) {
    wchar_t* buffer = nullptr;
    const DWORD n = FormatMessageW(flags, nullptr, code, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    if (n > 0 && buffer) text = FromWStr(buffer, n);
    if (buffer) LocalFree(buffer);
  } else {
    char* buffer = nullptr;
    const DWORD n = FormatMessageA(flags, nullptr, code, 0, reinterpret_cast<char*>(&buffer), 0, nullptr);
    if (n > 0 && buffer) text = AnsiToWide(std::string_view(buffer, n));
    if (buffer) LocalFree(buffer);
  }
  return TrimSystemMessage(text);
}

std::u16string FormatErrorCode(DWORD code) { return FormatErrorCodeText(code, SysErrorText(code)); }

void ShowLastError(HWND owner) {
  const DWORD code = GetLastError();
  if (code != 0) ShowErrorMsg(FormatErrorCode(code), owner);
}

void ShowFileNotFound(std::u16string_view name, HWND owner) {
  ShowErrorMsg(QuotedNameText(u"Файл не найден: ", name), owner);
}

void ShowFileOpenError(std::u16string_view name, std::u16string_view details, HWND owner) {
  std::u16string text = QuotedNameText(u"Ошибка открытия файла: ", name);
  if (!details.empty()) text += u"\r\n" + std::u16string(details);
  ShowErrorMsg(text, owner);
}

void ShowFileWriteError(std::u16string_view name, HWND owner) {
  ShowErrorMsg(QuotedNameText(u"Ошибка записи в файл: ", name), owner);
}

void ShowPrinterOpenError(std::u16string_view printerName, HWND owner) {
  ShowErrorMsg(QuotedNameText(u"Ошибка открытия принтера: ", printerName), owner);
}

void ShowRegWriteError(HWND owner) { ShowErrorMsg(u"Ошибка записи информации в реестр Windows!", owner); }

void ShowPrinterNotDefined() { ShowErrorMsg(u"Не определен принтер или его конфигурация."); }
