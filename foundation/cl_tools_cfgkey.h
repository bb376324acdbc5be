// Which configuration key and export file belong to a side, the program's version and mode names, the
// placeholders of installation templates and the record the program's own DOS export fills.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "foundation/cl_tools_config.h"

// Product flags: the Windows side, the DOS side and two DOS flavours that share the DOS key.
inline constexpr uint8_t kProductWin = 1;
inline constexpr uint8_t kProductDos = 2;
inline constexpr uint8_t kProductDosDirs = 4;
inline constexpr uint8_t kProductDosFlavour = 8;

// The program's version, also the newest configuration version it accepts.
inline constexpr std::string_view kProgramVersion = "4.01.23";

inline constexpr std::string_view kConfigRegFile = "Config.reg";
inline constexpr std::string_view kConfigDosRegFile = "ConfigDos.reg";

// The executable the program loads to call its own exports, and the capture file of its spool directory.
inline constexpr std::u16string_view kOwnModuleName = u"Client.exe";
inline constexpr std::u16string_view kCaptureFileName = u"PrnCap.spl";

// The Config key when its version is set, else ConfigDos when that one's is, else Config (versions trimmed).
std::u16string ChooseActiveConfigKey(std::string_view configVersion, std::string_view dosVersion);
std::u16string ConfigKeyOfProduct(uint8_t flags);
// "Config.reg", "ConfigDos.reg", or empty without a side flag.
std::string RegExportFileName(uint8_t flags);
// "Win", "Dos" or "Win&Dos" for the mode bits kModeWin and kModeDos; text is left alone without either.
void ProgramModeText(uint8_t modeFlags, std::string& text);

// The base directory (system directory on NT, Windows directory on 9x) followed by "\Tevoran\Spool".
std::u16string ProgramSpoolDirOf(std::u16string_view baseDir);

// The placeholders of an installation template and their 8-bit values, in replacement order.
struct TTemplatePlaceholders {
  std::vector<std::string> Names;
  std::vector<std::string> Values;
};
// shortExePath: the executable's short (8.3) path; spoolDir: the program spool directory (no trailing
// backslash); both in the system code page.
TTemplatePlaceholders ProgramPlaceholders(std::string_view shortExePath, std::string_view spoolDir,
                                          std::string_view extraName, std::string_view extraValue);

// The result record of the DOS coding export (ordinal 20); its layout crosses the export boundary.
struct TDosCodeResultRec {
  // Full path of the coded output file; on entry it may carry a printer model name.
  char16_t OutputFile[261];
  // 8-bit copies text.
  char Copies[66];
};
static_assert(sizeof(TDosCodeResultRec) == 588, "TDosCodeResultRec crosses the export boundary");

// Zeroes the record and puts the model name, at most 260 characters, into OutputFile.
void PrepareDosResultRecord(TDosCodeResultRec& record, std::u16string_view printerModel);
