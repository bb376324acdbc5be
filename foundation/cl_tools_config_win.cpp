// The configuration store in the registry and the monitor service's state.
#include "foundation/cl_tools_config_win.h"

#include "foundation/lib_reg_win.h"
#include "foundation/lib_str_lists.h"
#include "foundation/lib_unicode_win.h"
#include "foundation/os_win32_svc_win.h"

namespace {
std::u16string Str(std::u16string_view s) { return std::u16string(s); }
}  // namespace

int32_t TRegistryConfigStore::ReadInteger(std::u16string_view key, std::u16string_view name, int32_t def) const {
  return RegReadIntegerW(root_, Str(key), Str(name), def);
}

std::u16string TRegistryConfigStore::ReadText(std::u16string_view key, std::u16string_view name,
                                              std::u16string_view def) const {
  std::u16string out;
  RegReadString(root_, Str(key), Str(name), out, Str(def));
  return out;
}

std::string TRegistryConfigStore::ReadTextA(std::u16string_view key, std::u16string_view name,
                                            std::string_view def) const {
  std::string out;
  RegReadStringA(root_, Str(key), Str(name), out, std::string(def));
  return out;
}

std::vector<std::string> TRegistryConfigStore::SubKeyNamesA(std::u16string_view key) const {
  TWideStringArray list;
  RegListSubKeys(root_, Str(key), list);
  std::vector<std::string> names;
  for (int32_t i = 0; i < list.Count(); ++i) names.push_back(WideToAnsi(list.Get(i)));
  return names;
}

void TRegistryConfigStore::WriteInteger(std::u16string_view key, std::u16string_view name, int32_t value) {
  RegWriteIntegerW(root_, Str(key), Str(name), value);
}

void TRegistryConfigStore::WriteText(std::u16string_view key, std::u16string_view name, std::u16string_view value) {
  RegWriteString(root_, Str(key), Str(name), Str(value));
}

TConfigStore& RegistryConfigStore() {
  static TRegistryConfigStore store;
  return store;
}

bool IsMonitServiceInstalled() {
  if (!UseWideApi()) return false;
  return TNTServiceControlManager(Str(kMonitServiceName)).IsOpen();
}

bool IsMonitServiceRunning(bool serverEdition) {
  const bool nt = UseWideApi();
  if (!nt || !IsRunAsService(RegistryConfigStore(), serverEdition, nt)) return false;
  TNTServiceControlManager service{Str(kMonitServiceName)};
  const DWORD state = service.State();
  return MonitServiceRunningFrom(nt, true, service.IsOpen(), state != 0, state == SERVICE_RUNNING);
}
