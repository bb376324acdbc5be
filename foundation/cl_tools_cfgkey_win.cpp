// Configuration key and program files at the Windows edge, and the calls of the program's own exports.
#include "foundation/cl_tools_cfgkey_win.h"

#include "foundation/lib_api_win.h"
#include "foundation/lib_file_win.h"
#include "foundation/lib_reg_win.h"
#include "foundation/lib_security_win.h"
#include "foundation/lib_str.h"
#include "foundation/lib_sysinfo_win.h"
#include "foundation/lib_unicode.h"
#include "foundation/lib_unicode_win.h"

namespace {
template <typename Proc>
Proc OwnExport(const TModuleHandle& module, WORD ordinal) {
  return reinterpret_cast<Proc>(reinterpret_cast<void*>(GetProcAddress(module.Get(), MAKEINTRESOURCEA(ordinal))));
}
}  // namespace

std::string ReadConfigVersion(const std::u16string& keyPath, HKEY root) {
  std::string version;
  RegReadStringA(root, keyPath, u"Version", version, std::string());
  return TrimStr(version);
}

std::u16string ActiveConfigKey() {
  const std::string config = ReadConfigVersion(std::u16string(kConfigKey));
  return ChooseActiveConfigKey(config, config.empty() ? ReadConfigVersion(std::u16string(kConfigDosKey)) : "");
}

std::u16string RegExportFilePath(uint8_t flags) {
  const std::string name = RegExportFileName(flags);
  if (name.empty()) return {};
  return IncludeTrailingPathDelimiterW(GetProgramDir()) + AnsiToWide(name);
}

std::u16string GetProgramSpoolDir() {
  const std::u16string dir = ProgramSpoolDirOf(IsWinNT() ? GetSystemDir() : AnsiToWide(GetWindowsDirA()));
  if (!DirectoryExistsW(dir) && ForceDirectoriesW(dir)) OpenFileAclToEveryone(dir);
  return dir;
}

bool ExpandProgramPlaceholders(const std::u16string& templateFile, const std::string& extraName,
                               const std::string& extraValue) {
  const TTemplatePlaceholders table = ProgramPlaceholders(WideToAnsi(GetShortPath(GetExeName())),
                                                          WideToAnsi(GetProgramSpoolDir()), extraName, extraValue);
  return ReplaceInTemplateFile(templateFile, table.Names, table.Values);
}

bool LoadOwnModule(TModuleHandle& module, const std::u16string& fileName) {
  module.Reset(UseWideApi() ? LoadLibraryW(WStr(fileName)) : LoadLibraryA(WideToAnsi(fileName).c_str()));
  if (module) return true;
  ShowFileNotFound(fileName);
  return false;
}

uint8_t CallProcessFileDos(const std::u16string& inputFile, const std::u16string& outputFile, const std::string& copies,
                           const std::u16string& printerModel, uint8_t forming, uint8_t cycling, int32_t codePlace,
                           const std::u16string& moduleName) {
  TModuleHandle module;
  if (!LoadOwnModule(module, moduleName)) return 0;
  const auto proc = OwnExport<TProcessFileDosProc>(module, kOrdinalProcessFileDos);
  if (!proc) return 0;
  try {
    return proc(WStr(inputFile), WStr(outputFile), copies.c_str(), WStr(printerModel), forming, cycling, codePlace);
  } catch (...) {
    return 0;
  }
}

uint8_t CallCreateCodeDos(const std::u16string& inputFile, const std::u16string& printerModel, int32_t jobRecordNo,
                          TDosCodeResultRec& result, void* jobRecord, const std::u16string& moduleName) {
  TModuleHandle module;
  if (!LoadOwnModule(module, moduleName)) return 0;
  PrepareDosResultRecord(result, printerModel);
  const auto proc = OwnExport<TCreateCodeDosProc>(module, kOrdinalCreateCodeDos);
  if (!proc) return 0;
  try {
    return proc(jobRecordNo, jobRecord, WStr(inputFile), &result);
  } catch (...) {
    return 0;
  }
}
