// The context store on disk: "_Tevoran.tmp" in the temporary directory (or the Windows directory's
// "temp" folder), read and written through the private-profile calls, under a named mutex.
#pragma once

#include <windows.h>

#include <string>

#include "coding/cl_macrolib_context.h"
#include "foundation/lib_file_win.h"

// One store for one pipeline call; a TContext borrows it:
//   TContextFile store;  TContext context(store, printerName);
class TContextFile : public TContextHost {
 public:
  // Opens the store in its usual place; storeDir (with or without a trailing backslash) puts it elsewhere.
  TContextFile();
  explicit TContextFile(std::u16string storeDir);
  ~TContextFile() override;
  TContextFile(const TContextFile&) = delete;
  TContextFile& operator=(const TContextFile&) = delete;

  const std::u16string& FileName() const { return fileName_; }

  std::u16string ReadValue(std::u16string_view section, std::u16string_view name, std::u16string_view def) override;
  void WriteValue(std::u16string_view section, std::u16string_view name, std::u16string_view value) override;
  std::u16string StoreDir() const override { return dir_; }
  std::u16string MakeContextFile() override;
  std::optional<std::string> ReadFileBytes(const std::u16string& name) override;
  bool WriteFileBytes(const std::u16string& name, std::string_view bytes) override;
  void DeleteFileByName(const std::u16string& name) override;
  void ShowError(std::u16string_view text) override;
  void Lock() override;
  void Unlock() override;
  std::string ToAnsi(std::u16string_view text) const override;
  std::u16string FromAnsi(std::string_view text) const override;

 private:
  void Open(std::u16string dir);

  std::u16string dir_;
  std::u16string fileName_;
  TKernelHandle mutex_;
  bool locked_ = false;
};

// The mutex every process takes while it loads or stores a section, and its name under the naming rule.
inline constexpr char kContextMutexName[] = "Tevoran Context Store";
std::string ContextMutexName();
