// A configuration store held in memory, for tests of the units that read the configuration. Key paths and
// value names ignore case, as the registry's do.
#pragma once

#include <map>
#include <string>
#include <variant>
#include <vector>

#include "foundation/cl_tools_config.h"
#include "foundation/lib_codepage.h"
#include "foundation/lib_str.h"

class TMemoryConfigStore : public TConfigStore {
 public:
  void AddKey(std::u16string_view key) { keys_[LowerCaseW(key)].path = std::u16string(key); }
  void Set(std::u16string_view key, std::u16string_view name, int32_t value) { Put(key, name, value); }
  void Set(std::u16string_view key, std::u16string_view name, std::u16string_view value) {
    Put(key, name, std::u16string(value));
  }

  int32_t ReadInteger(std::u16string_view key, std::u16string_view name, int32_t def) const override {
    const Value* v = Find(key, name);
    return v && std::holds_alternative<int32_t>(*v) ? std::get<int32_t>(*v) : def;
  }
  std::u16string ReadText(std::u16string_view key, std::u16string_view name, std::u16string_view def) const override {
    const Value* v = Find(key, name);
    return v && std::holds_alternative<std::u16string>(*v) ? std::get<std::u16string>(*v) : std::u16string(def);
  }
  std::string ReadTextA(std::u16string_view key, std::u16string_view name, std::string_view def) const override {
    const Value* v = Find(key, name);
    if (v && std::holds_alternative<std::u16string>(*v)) return EncodeCodePage(std::get<std::u16string>(*v), kCodePage1251);
    return std::string(def);
  }
  std::vector<std::string> SubKeyNamesA(std::u16string_view key) const override {
    std::vector<std::string> names;
    const std::u16string prefix = LowerCaseW(key) + u"\\";
    for (const auto& [lower, data] : keys_) {
      if (lower.size() <= prefix.size() || lower.compare(0, prefix.size(), prefix) != 0) continue;
      const std::u16string child = data.path.substr(prefix.size());
      if (child.find(u'\\') == std::u16string::npos) names.push_back(EncodeCodePage(child, kCodePage1251));
    }
    return names;
  }
  void WriteInteger(std::u16string_view key, std::u16string_view name, int32_t value) override {
    Put(key, name, value);
  }
  void WriteText(std::u16string_view key, std::u16string_view name, std::u16string_view value) override {
    Put(key, name, std::u16string(value));
  }

 private:
  using Value = std::variant<int32_t, std::u16string>;
  struct Key {
    std::u16string path;
    std::map<std::u16string, Value> values;
  };

  void Put(std::u16string_view key, std::u16string_view name, Value value) {
    AddKey(key);
    keys_[LowerCaseW(key)].values[LowerCaseW(name)] = std::move(value);
  }
  const Value* Find(std::u16string_view key, std::u16string_view name) const {
    auto k = keys_.find(LowerCaseW(key));
    if (k == keys_.end()) return nullptr;
    auto v = k->second.values.find(LowerCaseW(name));
    return v == k->second.values.end() ? nullptr : &v->second;
  }

  std::map<std::u16string, Key> keys_;
};
