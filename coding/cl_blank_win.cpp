// Blank edge: registry values through the registry helpers, the blank file read whole and handed to
// the portable reader, and the common file dialogs in their 8-bit form.
#include "coding/cl_blank_win.h"

#include <commdlg.h>

#include <vector>

#include "foundation/lib_api_win.h"
#include "foundation/lib_file_win.h"
#include "foundation/lib_reg_win.h"
#include "foundation/lib_unicode_win.h"

namespace {
constexpr char16_t kUseBlankValue[] = u"UseBlank";
constexpr char16_t kDebugBlankValue[] = u"DebugBlank";
constexpr char16_t kEditorValue[] = u"EditorFn";
// The file buffer of both dialogs, in characters.
constexpr DWORD kFileBufferSize = 261;

std::u16string DocTypeKeyPath(const std::u16string& configKey, std::string_view docType) {
  return configKey + u"\\" + AnsiToWide(docType);
}

// Pairs of NUL-ended texts (name, pattern), and a second NUL at the end.
std::string Filter() {
  constexpr std::u16string_view kParts[] = {u"Файлы бланков (*.bln)", u"*.bln", u"Любые файлы (*.*)", u"*.*"};
  std::string filter;
  for (std::u16string_view part : kParts) {
    filter += WideToAnsi(part);
    filter.push_back('\0');
  }
  filter.push_back('\0');
  return filter;
}

std::u16string RunFileDialog(bool open, HWND owner) {
  std::vector<char> file(kFileBufferSize, '\0');
  const std::string filter = Filter();
  const std::string title = GetCaptionPrefix() + WideToAnsi(open ? u"Импорт бланка из файла" : u"Экспорт бланка в файл");
  const std::string dir = open ? WideToAnsi(GetProgramDir()) : "\\";
  OPENFILENAMEA ofn{};
  ofn.lStructSize = sizeof ofn;
  ofn.hwndOwner = owner;
  ofn.lpstrFilter = filter.c_str();
  ofn.nFilterIndex = 1;
  ofn.lpstrFile = file.data();
  ofn.nMaxFile = kFileBufferSize;
  ofn.lpstrInitialDir = dir.c_str();
  ofn.lpstrTitle = title.c_str();
  // NOCHANGEDIR: the monitor asks for export files too, and its relative paths must not move.
  ofn.Flags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_NOCHANGEDIR | (open ? OFN_FILEMUSTEXIST : 0);
  const BOOL chosen = open ? GetOpenFileNameA(&ofn) : GetSaveFileNameA(&ofn);
  if (!chosen) return {};
  file.back() = '\0';
  return AnsiToWide(file.data());
}
}  // namespace

std::u16string BlankKeyPath(const std::u16string& configKey, std::string_view docType) {
  return DocTypeKeyPath(configKey, docType) + u"\\Blank";
}

std::string ExportBlankText(const std::u16string& configKey, std::string_view docType, HKEY root) {
  TRegKey key;
  if (!RegOpenPath(root, BlankKeyPath(configKey, docType), key)) return {};
  return BlankTextFromValues([&key](std::u16string_view name) {
    std::string value;
    RegKeyReadStringA(key.Get(), std::u16string(name), {}, value);
    return value;
  });
}

int ImportBlankFile(const std::u16string& configKey, std::string_view docType, const std::u16string& path,
                    HKEY root) {
  if (path.empty()) return kBlankImportNothing;
  if (!FilePresent(path)) {
    ShowFileNotFound(path);
    return kBlankImportNothing;
  }
  TRegKey key;
  if (!RegCreatePath(root, BlankKeyPath(configKey, docType), key)) {
    ShowRegWriteError();
    return kBlankRejected;
  }
  const std::string bytes = ReadFileToString(path);
  const TIniFile file =
      TIniFile::Parse({reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()}, &AnsiToWide);
  bool writeFailed = false;
  const int result = ImportBlankValues(file, [&](std::u16string_view name, std::u16string_view value) {
    writeFailed = !RegKeyWriteString(key.Get(), std::u16string(name), std::u16string(value));
    return !writeFailed;
  });
  if (writeFailed) ShowRegWriteError();
  return result;
}

std::u16string SelectBlankImportFile(HWND owner) { return RunFileDialog(true, owner); }
std::u16string SelectBlankExportFile(HWND owner) { return RunFileDialog(false, owner); }

int32_t GetUseBlank(const std::u16string& configKey, std::string_view docType, HKEY root) {
  return RegReadIntegerW(root, DocTypeKeyPath(configKey, docType), kUseBlankValue, 0);
}

bool SetUseBlank(const std::u16string& configKey, std::string_view docType, uint8_t value, HKEY root) {
  return RegWriteIntegerW(root, DocTypeKeyPath(configKey, docType), kUseBlankValue, value);
}

std::string GetDebugBlank(const std::u16string& configKey, HKEY root) {
  std::string docType;
  RegReadStringA(root, configKey, kDebugBlankValue, docType, {});
  return docType;
}

bool SetDebugBlank(const std::u16string& configKey, std::string_view docType, HKEY root) {
  return RegWriteStringA(root, configKey, kDebugBlankValue, std::string(docType));
}

std::u16string GetBlankEditor(const std::u16string& configKey, HKEY root) {
  std::u16string path;
  RegReadString(root, configKey, kEditorValue, path, {});
  if (!path.empty() && !FilePresent(path)) {
    ShowBlankEditorError();
    return {};
  }
  return path;
}

void ShowBlankParamsError() { ShowErrorMsg(kBlankParamsErrorText); }
void ShowBlankEditorError() { ShowErrorMsg(u"Редактор бланков недоступен или не может быть запущен."); }
