// The settings store in the registry: every call opens its key through the registry layer.
#include "foundation/cl_tools_store_win.h"

#include "foundation/lib_reg_win.h"
#include "foundation/lib_unicode_win.h"

namespace {
std::u16string S(std::u16string_view v) { return std::u16string(v); }
}  // namespace

bool TRegistryStore::KeyExists(std::u16string_view key) const {
  TRegKey k;
  return RegOpenPath(root_, S(key), k);
}

int32_t TRegistryStore::ReadInteger(std::u16string_view key, std::u16string_view name, int32_t def) const {
  return RegReadIntegerW(root_, S(key), S(name), def);
}

std::u16string TRegistryStore::ReadText(std::u16string_view key, std::u16string_view name,
                                        std::u16string_view def) const {
  std::u16string out;
  RegReadString(root_, S(key), S(name), out, S(def));
  return out;
}

std::string TRegistryStore::ReadTextA(std::u16string_view key, std::u16string_view name, std::string_view def) const {
  std::string out;
  RegReadStringA(root_, S(key), S(name), out, std::string(def));
  return out;
}

std::string TRegistryStore::ReadBytes(std::u16string_view key, std::u16string_view name, std::string_view def) const {
  TRegKey k;
  std::string out(def);
  if (!RegOpenPath(root_, S(key), k)) return out;
  if (RegKeyReadStringA(k.Get(), S(name), out, out)) return out;
  RegKeyReadBinaryStr(k.Get(), S(name), out, out);
  return out;
}

std::vector<std::u16string> TRegistryStore::SubKeyNames(std::u16string_view key) const {
  TRegKey k;
  if (!RegOpenPath(root_, S(key), k)) return {};
  return RegKeySubKeyNames(k.Get());
}

std::vector<std::u16string> TRegistryStore::ValueNames(std::u16string_view key) const {
  std::vector<std::u16string> names;
  TRegKey k;
  if (!RegOpenPath(root_, S(key), k)) return names;
  std::u16string name;
  DWORD type = 0;
  for (int32_t i = 0; RegKeyNextValue(k.Get(), i, type, name);) names.push_back(name);
  return names;
}

bool TRegistryStore::CreateKey(std::u16string_view key) {
  TRegKey k;
  return RegCreatePath(root_, S(key), k);
}

void TRegistryStore::WriteInteger(std::u16string_view key, std::u16string_view name, int32_t value) {
  RegWriteIntegerW(root_, S(key), S(name), value);
}

void TRegistryStore::WriteText(std::u16string_view key, std::u16string_view name, std::u16string_view value) {
  RegWriteString(root_, S(key), S(name), S(value));
}

void TRegistryStore::WriteTextA(std::u16string_view key, std::u16string_view name, std::string_view value) {
  RegWriteStringA(root_, S(key), S(name), std::string(value));
}

void TRegistryStore::DeleteValue(std::u16string_view key, std::u16string_view name) {
  RegRemoveValue(root_, S(key), S(name));
}

void TRegistryStore::DeleteKey(std::u16string_view key) { RegRemoveKey(root_, S(key)); }

std::u16string TRegistryStore::FromAnsi(std::string_view text) const { return AnsiToWide(text); }
std::string TRegistryStore::ToAnsi(std::u16string_view text) const { return WideToAnsi(text); }

TSettingsStore& MachineSettingsStore() {
  static TRegistryStore store(HKEY_LOCAL_MACHINE);
  return store;
}

TSettingsStore& UserSettingsStore() {
  static TRegistryStore store(HKEY_CURRENT_USER);
  return store;
}
