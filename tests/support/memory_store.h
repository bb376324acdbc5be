// The settings store of the tests, kept in memory: keys and value names compare without regard to case
// as in the registry, subkeys list in the order they were made, and every read is recorded.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "foundation/cl_tools_store.h"

class TMemoryStore : public TSettingsStore {
 public:
  struct Value {
    enum Kind { Integer, Text, Bytes } Kind = Integer;
    int32_t Int = 0;
    std::u16string Str;
    std::string Raw;
  };

  // Setting a value creates its key and the key's parents; subkeys list in the order they were made.
  void AddKey(std::u16string_view key);
  void SetInteger(std::u16string_view key, std::u16string_view name, int32_t value);
  void SetText(std::u16string_view key, std::u16string_view name, std::u16string_view value);
  void SetBytes(std::u16string_view key, std::u16string_view name, std::string_view value);
  std::optional<Value> Get(std::u16string_view key, std::u16string_view name) const;
  void Set(std::u16string_view key, std::u16string_view name, int32_t value) { SetInteger(key, name, value); }
  void Set(std::u16string_view key, std::u16string_view name, std::u16string_view value) { SetText(key, name, value); }

  bool KeyExists(std::u16string_view key) const override;
  int32_t ReadInteger(std::u16string_view key, std::u16string_view name, int32_t def) const override;
  std::u16string ReadText(std::u16string_view key, std::u16string_view name, std::u16string_view def) const override;
  std::string ReadTextA(std::u16string_view key, std::u16string_view name, std::string_view def) const override;
  std::string ReadBytes(std::u16string_view key, std::u16string_view name, std::string_view def) const override;
  std::vector<std::u16string> SubKeyNames(std::u16string_view key) const override;
  std::vector<std::u16string> ValueNames(std::u16string_view key) const override;
  bool CreateKey(std::u16string_view key) override;
  void WriteInteger(std::u16string_view key, std::u16string_view name, int32_t value) override;
  void WriteText(std::u16string_view key, std::u16string_view name, std::u16string_view value) override;
  void WriteTextA(std::u16string_view key, std::u16string_view name, std::string_view value) override;
  void DeleteValue(std::u16string_view key, std::u16string_view name) override;
  void DeleteKey(std::u16string_view key) override;

  // Every read as "<kind> <key>[|<name>]" (kinds K, I, T, A, B, S, V), UTF-8, in order.
  mutable std::vector<std::string> Reads;
  // Keys that cannot be created.
  std::set<std::u16string> Unwritable;
  // Calls that change the store (written or deleted), counted.
  int Writes = 0;

 private:
  void Record(char kind, std::u16string_view key, std::u16string_view name = {}) const;
  const std::vector<std::pair<std::u16string, Value>>* Values(std::u16string_view key) const;

  // The lower-cased form of keys looked up, as coders read the same keys on every page.
  struct THash {
    using is_transparent = void;
    size_t operator()(std::u16string_view s) const { return std::hash<std::u16string_view>{}(s); }
  };
  mutable std::unordered_map<std::u16string, std::u16string, THash, std::equal_to<>> lowered_;
  const std::u16string& Lowered(std::u16string_view key) const;

  std::vector<std::u16string> keys_;
  std::map<std::u16string, std::vector<std::pair<std::u16string, Value>>> values_;
};
