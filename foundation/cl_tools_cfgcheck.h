// Whether a side's configuration has a version the program accepts, and the rounds of the check that
// may offer to restore it from the side's registry export file. The registry and the boxes are reached
// through TConfigCheckHost, so the rounds run without Windows.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "foundation/cl_tools_config.h"

inline constexpr std::string_view kOldestConfigVersion = "2.32.09";

inline constexpr std::u16string_view kMsgConfigVersionMismatch = u"Конфигурация не соответствует версии программы.";
inline constexpr std::u16string_view kMsgConfigMissing =
    u"Конфигурация программы не доступна\r\nили отсутствует в реестре Windows.";
inline constexpr std::u16string_view kAskRestoreMismatch =
    u"Конфигурация не соответствует версии программы.\r\n\r\nВосстановить конфигурацию из файла?\r\n"
    u"При восстановлении все установки примут\r\nзначения по-умолчанию.";
inline constexpr std::u16string_view kAskRestoreMissing =
    u"Конфигурация программы не определена.\r\n\r\nВосстановить конфигурацию из файла?";
inline constexpr std::u16string_view kMsgRegistryUnavailable = u"Реестр Windows не доступен";

// Digits only, each taken as a hexadecimal digit: "2.32.09" is 0x23209. Digits past the eighth push
// the first ones out; 0 without digits.
uint32_t VersionToNumber(std::string_view version);
// Accepted: from "2.32.09" on (compared as signed numbers), or exactly "4.01.23" when either number is 0.
bool IsConfigVersionTextValid(std::string_view version);

// The same test on a side key of the configuration store: the version check the program modes take.
bool IsConfigVersionValid(const TSettingsStore& store, std::u16string_view key);

// What the check needs from the side it checks.
class TConfigCheckHost {
 public:
  virtual ~TConfigCheckHost() = default;
  // The key's "Version", trimmed; empty when there is none.
  virtual std::string Version() = 0;
  // A yes/no question with the question icon; true for yes.
  virtual bool AskRestore(std::u16string_view text) = 0;
  virtual void ShowError(std::u16string_view text) = 0;
  virtual bool KeyWritable() = 0;
  // Imports the export file and its includes into the key.
  virtual bool Import() = 0;
};

// restoreMode: the restore is offered and the export file exists. strict is what a declined restore of
// a mismatching version answers when false (the configuration is then used as it is).
bool RunConfigurationCheck(TConfigCheckHost& host, bool restoreMode, bool strict);
