// Key paths and the document-type lister over the configuration store.
#include "coding/cl_macrolib_store.h"

#include "foundation/lib_str_lists.h"

std::u16string SubKeyPath(std::u16string_view key, std::u16string_view sub) {
  std::u16string path(key);
  path += u'\\';
  path += sub;
  return path;
}

std::u16string SubKeyPathA(const TSettingsStore& store, std::u16string_view key, std::string_view sub) {
  return SubKeyPath(key, store.FromAnsi(sub));
}

std::vector<std::string> ListDocTypeKeys(const TSettingsStore& store, std::u16string_view key) {
  TStringArray list;
  for (const std::u16string& name : store.SubKeyNames(key))
    if (name.size() == 2 || name.size() == 4) list.Add(store.ToAnsi(name));
  list.Sort();
  std::vector<std::string> out;
  for (int32_t i = 0; i < list.Count(); ++i) out.push_back(list.Get(i));
  return out;
}
