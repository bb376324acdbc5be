// The configuration store in the registry (HKEY_LOCAL_MACHINE) and the monitor service's state.
#pragma once

#include <windows.h>

#include "foundation/cl_tools_config.h"

// Every call opens the key, reads or writes one value and closes it again. The root is
// HKEY_LOCAL_MACHINE for the configuration; tests point it elsewhere.
class TRegistryConfigStore : public TConfigStore {
 public:
  explicit TRegistryConfigStore(HKEY root = HKEY_LOCAL_MACHINE) : root_(root) {}
  int32_t ReadInteger(std::u16string_view key, std::u16string_view name, int32_t def) const override;
  std::u16string ReadText(std::u16string_view key, std::u16string_view name, std::u16string_view def) const override;
  std::string ReadTextA(std::u16string_view key, std::u16string_view name, std::string_view def) const override;
  std::vector<std::string> SubKeyNamesA(std::u16string_view key) const override;
  void WriteInteger(std::u16string_view key, std::u16string_view name, int32_t value) override;
  void WriteText(std::u16string_view key, std::u16string_view name, std::u16string_view value) override;

 private:
  HKEY root_;
};

// The registry store; it keeps no state, so one serves every thread.
TConfigStore& RegistryConfigStore();

inline constexpr std::u16string_view kMonitServiceName = u"MonitService";

// On the NT family: whether the service manager and the monitor service could both be opened.
bool IsMonitServiceInstalled();
// On the NT family, with the monitor configured as the service (serverEdition is the default of that
// setting): whether the installed service runs; a state that cannot be read counts as running.
bool IsMonitServiceRunning(bool serverEdition);
