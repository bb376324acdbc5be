// Blank debugging on Windows: the type's blank in the registry, temporary files, the blank editor as a
// process, the export dialog and the program's boxes.
#pragma once

#include <windows.h>

#include <string>

#include "coding/cl_emfcoder_debug.h"

class TWinBlankDebugHost : public TBlankDebugHost {
 public:
  // The configuration key lives under root (HKEY_LOCAL_MACHINE; tests hand another).
  TWinBlankDebugHost(std::u16string configKey, std::string docType, HKEY root = HKEY_LOCAL_MACHINE)
      : configKey_(std::move(configKey)), docType_(std::move(docType)), root_(root) {}

  bool GUIDisabled() const override;
  std::u16string BlankEditor() override;
  std::string BlankText() override;
  std::u16string MakeTempFile() override;
  bool WritePageData(const std::u16string& name, std::u16string_view text) override;
  bool WriteBlank(const std::u16string& name, std::string_view text) override;
  bool FileExists(const std::u16string& name) override;
  bool RemoveFile(const std::u16string& name) override;
  std::optional<uint64_t> WriteTime(const std::u16string& name) override;
  std::optional<int> RunAndWait(const std::u16string& commandLine) override;
  int ImportBlank(const std::u16string& name) override;
  void ShowEditorError() override;
  std::u16string SelectExportFile() override;
  bool ConfirmOverwrite(const std::u16string& name) override;
  int Ask(std::u16string_view text, bool error) override;
  void EndDebugging() override;

 private:
  std::u16string configKey_;
  std::string docType_;
  HKEY root_;
};
