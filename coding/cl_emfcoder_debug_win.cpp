// Blank debugging's Windows host: each step through the program's file, process, blank and box helpers.
#include "coding/cl_emfcoder_debug_win.h"

#include "coding/cl_blank_win.h"
#include "foundation/lib_api_win.h"
#include "foundation/lib_file_win.h"
#include "foundation/lib_unicode_win.h"
#include "foundation/os_win32_process_win.h"

bool TWinBlankDebugHost::GUIDisabled() const { return GetDisableGUI(); }

std::u16string TWinBlankDebugHost::BlankEditor() { return GetBlankEditor(configKey_, root_); }

std::string TWinBlankDebugHost::BlankText() { return ExportBlankText(configKey_, docType_, root_); }

std::u16string TWinBlankDebugHost::MakeTempFile() { return MakeTempFileName(); }

bool TWinBlankDebugHost::WritePageData(const std::u16string& name, std::u16string_view text) {
  return AppendTextLine(name, text, TTextEncoding::Utf8);
}

bool TWinBlankDebugHost::WriteBlank(const std::u16string& name, std::string_view text) {
  return AppendTextLineA(name, text);
}

bool TWinBlankDebugHost::FileExists(const std::u16string& name) { return FilePresent(name); }

bool TWinBlankDebugHost::RemoveFile(const std::u16string& name) { return DeleteFileIfExists(name); }

std::optional<uint64_t> TWinBlankDebugHost::WriteTime(const std::u16string& name) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  const BOOL found = UseWideApi() ? GetFileAttributesExW(WStr(name), GetFileExInfoStandard, &data)
                                  : GetFileAttributesExA(WideToAnsi(name).c_str(), GetFileExInfoStandard, &data);
  if (!found) return std::nullopt;
  return (static_cast<uint64_t>(data.ftLastWriteTime.dwHighDateTime) << 32) | data.ftLastWriteTime.dwLowDateTime;
}

std::optional<int> TWinBlankDebugHost::RunAndWait(const std::u16string& commandLine) {
  const HANDLE process = RunProcess(commandLine, false);
  if (!process) return std::nullopt;
  return WaitProcessExitCode(process);
}

int TWinBlankDebugHost::ImportBlank(const std::u16string& name) {
  return ImportBlankFile(configKey_, docType_, name, root_);
}

void TWinBlankDebugHost::ShowEditorError() { ShowBlankEditorError(); }

std::u16string TWinBlankDebugHost::SelectExportFile() { return SelectBlankExportFile(); }

bool TWinBlankDebugHost::ConfirmOverwrite(const std::u16string& name) { return ::ConfirmOverwrite(name); }

int TWinBlankDebugHost::Ask(std::u16string_view text, bool error) {
  return MsgBoxA(WideToAnsi(text), WideToAnsi(error ? kCaptionError : kCaptionWarning),
                 MB_YESNO | (error ? MB_ICONERROR : MB_ICONQUESTION));
}

void TWinBlankDebugHost::EndDebugging() { SetDebugBlank(configKey_, "", root_); }
