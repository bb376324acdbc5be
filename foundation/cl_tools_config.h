// Accessors of the configuration store: every side-wide value read with its default and clamp, the
// document-type order and the program's component mask. They read through the settings store: the
// registry at the Windows edge, a table of values in tests.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "foundation/cl_tools_config_names.h"
#include "foundation/cl_tools_store.h"

// Side keys under HKEY_LOCAL_MACHINE.
inline constexpr std::u16string_view kConfigKey = u"Software\\Kavrel\\Client\\Config";
inline constexpr std::u16string_view kConfigDosKey = u"Software\\Kavrel\\Client\\ConfigDos";

// A DWORD value: its default and, when clamped, the range a read value is forced into.
struct TConfigInteger {
  TConfigName Name;
  int32_t Default = 0;
  bool Clamped = false;
  int32_t Min = 0;
  int32_t Max = 0;
};

constexpr TConfigInteger ConfigInteger(TConfigName name, int32_t def) { return {name, def, false, 0, 0}; }
constexpr TConfigInteger ConfigInteger(TConfigName name, int32_t def, int32_t min, int32_t max) {
  return {name, def, true, min, max};
}

// Both sides.
inline constexpr TConfigInteger cfgLogLevel = ConfigInteger(TConfigName::LogLevel, 3);
inline constexpr TConfigInteger cfgDebug = ConfigInteger(TConfigName::Debug, 0);
inline constexpr TConfigInteger cfgAckPages = ConfigInteger(TConfigName::AckPages, 1);
inline constexpr TConfigInteger cfgAllPages = ConfigInteger(TConfigName::AllPages, 0);
// "TimeOut" of the active side: the monitors' poll, and the pause that joins split DOS jobs.
inline constexpr TConfigInteger cfgMonitorTimeOut = ConfigInteger(TConfigName::TimeOut, 2000, 100, 29999);
inline constexpr TConfigInteger cfgJoinTimeOut = ConfigInteger(TConfigName::TimeOut, 0, 0, 29999);
// Config.
inline constexpr TConfigInteger cfgUseWin = ConfigInteger(TConfigName::UseWin, 0, 0, 2);
inline constexpr TConfigInteger cfgPrnMonServEnable = ConfigInteger(TConfigName::PrnMonServEnable, 0, 0, 2);
inline constexpr TConfigInteger cfgSPLDebug = ConfigInteger(TConfigName::SPLDebug, 0);
inline constexpr TConfigInteger cfgCorrectEMF = ConfigInteger(TConfigName::CorrectEMF, 0);
inline constexpr TConfigInteger cfgReDrawEMF = ConfigInteger(TConfigName::ReDrawEMF, 0);
inline constexpr TConfigInteger cfgDrawWidth = ConfigInteger(TConfigName::DrawWidth, 9);
inline constexpr TConfigInteger cfgSkipOEMConvert = ConfigInteger(TConfigName::SkipOEMConvert, 0);
inline constexpr TConfigInteger cfgRestSize = ConfigInteger(TConfigName::RestSize, 511);
// ConfigDos.
inline constexpr TConfigInteger cfgUseDOS = ConfigInteger(TConfigName::UseDOS, 0);
inline constexpr TConfigInteger cfgIsMonit = ConfigInteger(TConfigName::IsMonit, 0, 0, 2);
inline constexpr TConfigInteger cfgIsCap = ConfigInteger(TConfigName::IsCap, 0, 0, 2);
inline constexpr TConfigInteger cfgIsCmd = ConfigInteger(TConfigName::IsCmd, 0, 0, 2);
inline constexpr TConfigInteger cfgCreateCpy = ConfigInteger(TConfigName::CreateCpy, 1);
// Per document type (key + "\" + identifier).
inline constexpr TConfigInteger cfgDisabled = ConfigInteger(TConfigName::Disabled, 0);

// Integer values named in the spooler's table, all of Config.
struct TSpoolerInteger {
  TSpoolerName Name;
  int32_t Default = 0;
};
inline constexpr TSpoolerInteger cfgMaxPrinterCount{TSpoolerName::MaxPrinterCount, 1};
inline constexpr TSpoolerInteger cfgUsePrnAuto{TSpoolerName::UsePrnAuto, 0};
inline constexpr TSpoolerInteger cfgMakeDefault{TSpoolerName::MakeDefault, 0};
inline constexpr TSpoolerInteger cfgPrinterAttrib{TSpoolerName::PrinterAttrib, 0};

int32_t ClampConfigInteger(const TConfigInteger& value, int32_t stored);
int32_t ReadConfigInteger(const TSettingsStore& store, std::u16string_view key, const TConfigInteger& value);
int32_t ReadConfigInteger(const TSettingsStore& store, std::u16string_view key, const TSpoolerInteger& value);
// A wide text value; def when missing.
std::u16string ReadConfigText(const TSettingsStore& store, std::u16string_view key, TConfigName name,
                              std::u16string_view def = {});

// Readers of one side key.
bool IsDocTypeEnabled(const TSettingsStore& store, std::u16string_view key, std::string_view docTypeId);
std::string ListDocTypes(const TSettingsStore& store, std::u16string_view key);
std::string GetDocOrder(const TSettingsStore& store, std::u16string_view key);
std::u16string GetLogFileName(const TSettingsStore& store, std::u16string_view key);
int32_t GetLogLevel(const TSettingsStore& store, std::u16string_view key);

// Readers and writers of the fixed keys.
int32_t GetUseWin(const TSettingsStore& store);
int32_t GetPrnMonServEnable(const TSettingsStore& store);
int32_t GetIsMonit(const TSettingsStore& store);
int32_t GetIsCap(const TSettingsStore& store);
int32_t GetIsCmd(const TSettingsStore& store);
bool GetUseDOS(const TSettingsStore& store);
void SetIsMonit(TSettingsStore& store, uint8_t value);
std::u16string GetMonitorDir(const TSettingsStore& store);
void SetMonitorDir(TSettingsStore& store, std::u16string_view value);
std::u16string GetMonitDirEx(const TSettingsStore& store);
void SetMonitDirEx(TSettingsStore& store, std::u16string_view value);
std::u16string GetMonitorMask(const TSettingsStore& store);
void SetMonitorMask(TSettingsStore& store, std::u16string_view value);

// "AsService" of Config (default: whether the system is a server edition) on the NT family.
bool IsRunAsService(const TSettingsStore& store, bool serverEdition, bool ntFamily);
// "TServer" of Config (default: whether the system is a terminal server).
bool GetTServer(const TSettingsStore& store, bool terminalServer);

// Bits of the component mask.
inline constexpr uint32_t kModeWin = 1;
inline constexpr uint32_t kModeDos = 2;
inline constexpr uint32_t kModeMonitorDir = 4;
inline constexpr uint32_t kModeCapture = 8;
inline constexpr uint32_t kModeCommand = 16;

inline constexpr std::u16string_view kProgramTitle = u"Tevoran-Клиент";
inline constexpr std::u16string_view kProgramTitleDos = u"Tevoran-Клиент для DOS";

struct TProgramModes {
  uint32_t Mask = 0;
  std::u16string Title;
};

// Whether a side key holds a usable "Version"; the configuration check supplies the real test.
using TConfigVersionCheck = bool (*)(const TSettingsStore& store, std::u16string_view key);
// The default test: a "Version" that is not empty after trimming.
bool HasConfigVersion(const TSettingsStore& store, std::u16string_view key);
TProgramModes GetProgramModes(const TSettingsStore& store, TConfigVersionCheck versionValid = HasConfigVersion);

// Whether the monitor service counts as running: only on the NT family, when the monitor is configured
// as the service and the service exists; a state that cannot be read counts as running (stateKnown false).
bool MonitServiceRunningFrom(bool ntFamily, bool runAsService, bool serviceOpened, bool stateKnown, bool running);

// "min-max" as one value: min in the low 16 bits, max in the high ones; each 0 when it is not a number
// from 0 to 65535.
uint32_t TextToRange(std::string_view text);
