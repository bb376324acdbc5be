// Key paths of the configuration store.
#include "coding/cl_macrolib_store.h"


std::u16string SubKeyPath(std::u16string_view key, std::u16string_view sub) {
  std::u16string path(key);
  path += u'\\';
  path += sub;
  return path;
}

std::u16string SubKeyPathA(const TSettingsStore& store, std::u16string_view key, std::string_view sub) {
  return SubKeyPath(key, store.FromAnsi(sub));
}
