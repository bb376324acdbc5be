// The side and file rules of the configuration keys and the template placeholders.
#include "foundation/cl_tools_cfgkey.h"

#include <algorithm>
#include <cstring>

#include "foundation/lib_str.h"

std::u16string ChooseActiveConfigKey(std::string_view configVersion, std::string_view dosVersion) {
  if (!TrimStr(configVersion).empty()) return std::u16string(kConfigKey);
  if (!TrimStr(dosVersion).empty()) return std::u16string(kConfigDosKey);
  return std::u16string(kConfigKey);
}

std::u16string ConfigKeyOfProduct(uint8_t flags) {
  if (flags & kProductWin) return std::u16string(kConfigKey);
  if (flags & (kProductDos | kProductDosDirs | kProductDosFlavour)) return std::u16string(kConfigDosKey);
  return std::u16string(kConfigKey);
}

std::string RegExportFileName(uint8_t flags) {
  if (flags & kProductWin) return std::string(kConfigRegFile);
  if (flags & (kProductDos | kProductDosDirs | kProductDosFlavour)) return std::string(kConfigDosRegFile);
  return {};
}

void ProgramModeText(uint8_t modeFlags, std::string& text) {
  const bool win = modeFlags & kModeWin;
  const bool dos = modeFlags & kModeDos;
  if (win && dos) {
    text = "Win&Dos";
  } else if (win) {
    text = "Win";
  } else if (dos) {
    text = "Dos";
  }
}

std::u16string ProgramSpoolDirOf(std::u16string_view baseDir) {
  std::u16string dir(baseDir);
  while (!dir.empty() && dir.back() == u'\\') dir.pop_back();
  return dir + u"\\Tevoran\\Spool";
}

TTemplatePlaceholders ProgramPlaceholders(std::string_view shortExePath, std::string_view spoolDir,
                                          std::string_view extraName, std::string_view extraValue) {
  // The directory as the file layer gives it: no trailing backslash, except after a drive ("C:\\").
  size_t keep = 0;
  if (const size_t at = shortExePath.find_last_of("\\:"); at != std::string_view::npos) {
    keep = at + 1;
    if (at > 0 && shortExePath[at] == '\\' && shortExePath[at - 1] != '\\' && shortExePath[at - 1] != ':') keep = at;
  }
  const std::string_view progDir = shortExePath.substr(0, keep);
  TTemplatePlaceholders out;
  out.Names = {"&cmdline&", "&progdir&", "&monit&", "&version&", std::string(extraName)};
  out.Values = {std::string(shortExePath), std::string(progDir), std::string(spoolDir) + "\\PrnCap.spl",
                std::string(kProgramVersion), std::string(extraValue)};
  return out;
}

void PrepareDosResultRecord(TDosCodeResultRec& record, std::u16string_view printerModel) {
  std::memset(&record, 0, sizeof record);
  const size_t n = std::min<size_t>(printerModel.size(), std::size(record.OutputFile) - 1);
  std::copy_n(printerModel.begin(), n, record.OutputFile);
}
