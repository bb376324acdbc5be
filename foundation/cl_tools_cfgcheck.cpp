// Version numbers and the rounds of the configuration check.
#include "foundation/cl_tools_cfgcheck.h"

#include "foundation/cl_tools_cfgkey.h"
#include "foundation/lib_str.h"

uint32_t VersionToNumber(std::string_view version) {
  uint32_t n = 0;
  for (const char c : version) {
    if (c >= '0' && c <= '9') n = (n << 4) | static_cast<uint32_t>(c - '0');
  }
  return n;
}

bool IsConfigVersionTextValid(std::string_view version) {
  const auto v = static_cast<int32_t>(VersionToNumber(version));
  const auto m = static_cast<int32_t>(VersionToNumber(kOldestConfigVersion));
  if (v != 0 && m != 0) return v >= m;
  return version == kProgramVersion;
}

bool IsConfigVersionValid(const TSettingsStore& store, std::u16string_view key) {
  return IsConfigVersionTextValid(TrimStr(store.ReadTextA(key, ConfigName(TConfigName::Version), "")));
}

bool RunConfigurationCheck(TConfigCheckHost& host, bool restoreMode, bool strict) {
  if (!restoreMode) {
    const std::string version = host.Version();
    if (version.empty()) {
      host.ShowError(kMsgConfigMissing);
      return false;
    }
    if (IsConfigVersionTextValid(version)) return true;
    host.ShowError(kMsgConfigVersionMismatch);
    return false;
  }
  // A restore that did not help is offered again, three times at most.
  for (int round = 0; round < 3; ++round) {
    const std::string version = host.Version();
    if (!version.empty()) {
      if (IsConfigVersionTextValid(version)) return true;
      if (!host.AskRestore(kAskRestoreMismatch)) return !strict;
      host.Import();
    } else {
      if (!host.AskRestore(kAskRestoreMissing)) return false;
      if (!host.KeyWritable()) {
        host.ShowError(kMsgRegistryUnavailable);
      } else {
        host.Import();
      }
    }
  }
  return false;
}
