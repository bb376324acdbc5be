// Key paths and the 8-bit subkey listing of the settings store.
#include "foundation/cl_tools_store.h"

std::vector<std::string> TSettingsStore::SubKeyNamesA(std::u16string_view key) const {
  std::vector<std::string> names;
  for (const std::u16string& name : SubKeyNames(key)) names.push_back(ToAnsi(name));
  return names;
}

std::u16string SubKeyPath(std::u16string_view key, std::u16string_view sub) {
  std::u16string path(key);
  path += u'\\';
  path += sub;
  return path;
}

std::u16string SubKeyPathA(const TSettingsStore& store, std::u16string_view key, std::string_view sub) {
  return SubKeyPath(key, store.FromAnsi(sub));
}
