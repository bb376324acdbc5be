// The settings store of the tests: keys and values in memory, every read recorded in order.
#include "support/memory_store.h"

#include "foundation/lib_str.h"
#include "foundation/lib_unicode.h"

namespace {
std::u16string Lower(std::u16string_view s) { return LowerCaseW(s); }
}  // namespace

void TMemoryStore::Record(char kind, std::u16string_view key, std::u16string_view name) const {
  std::string line(1, kind);
  line += ' ' + WideToUtf8(key);
  if (!name.empty()) line += '|' + WideToUtf8(name);
  Reads.push_back(line);
}

void TMemoryStore::AddKey(std::u16string_view key) {
  const std::u16string k = Lower(key);
  if (values_.count(k)) return;
  const size_t cut = key.rfind(u'\\');
  if (cut != std::u16string_view::npos) AddKey(key.substr(0, cut));
  keys_.emplace_back(key);
  values_[k];
}

const std::u16string& TMemoryStore::Lowered(std::u16string_view key) const {
  if (const auto it = lowered_.find(key); it != lowered_.end()) return it->second;
  if (lowered_.size() >= 4096) lowered_.clear();  // a test that reads ever new keys keeps no more than these
  return lowered_.emplace(std::u16string(key), Lower(key)).first->second;
}

const std::vector<std::pair<std::u16string, TMemoryStore::Value>>* TMemoryStore::Values(std::u16string_view key) const {
  const auto it = values_.find(Lowered(key));
  return it == values_.end() ? nullptr : &it->second;
}

std::optional<TMemoryStore::Value> TMemoryStore::Get(std::u16string_view key, std::u16string_view name) const {
  if (const auto* values = Values(key))
    for (const auto& [n, v] : *values)
      if (SameTextW(n, name)) return v;
  return std::nullopt;
}

namespace {
void Put(std::vector<std::pair<std::u16string, TMemoryStore::Value>>& values, std::u16string_view name,
         const TMemoryStore::Value& value) {
  for (auto& [n, v] : values)
    if (SameTextW(n, name)) {
      v = value;
      return;
    }
  values.emplace_back(std::u16string(name), value);
}
}  // namespace

void TMemoryStore::SetInteger(std::u16string_view key, std::u16string_view name, int32_t value) {
  AddKey(key);
  Put(values_[Lower(key)], name, Value{Value::Integer, value, {}, {}});
}

void TMemoryStore::SetText(std::u16string_view key, std::u16string_view name, std::u16string_view value) {
  AddKey(key);
  Put(values_[Lower(key)], name, Value{Value::Text, 0, std::u16string(value), {}});
}

void TMemoryStore::SetBytes(std::u16string_view key, std::u16string_view name, std::string_view value) {
  AddKey(key);
  Put(values_[Lower(key)], name, Value{Value::Bytes, 0, {}, std::string(value)});
}

bool TMemoryStore::KeyExists(std::u16string_view key) const {
  Record('K', key);
  return Values(key) != nullptr;
}

int32_t TMemoryStore::ReadInteger(std::u16string_view key, std::u16string_view name, int32_t def) const {
  Record('I', key, name);
  const auto v = Get(key, name);
  return v && v->Kind == Value::Integer ? v->Int : def;
}

std::u16string TMemoryStore::ReadText(std::u16string_view key, std::u16string_view name,
                                      std::u16string_view def) const {
  Record('T', key, name);
  const auto v = Get(key, name);
  return v && v->Kind == Value::Text ? v->Str : std::u16string(def);
}

std::string TMemoryStore::ReadTextA(std::u16string_view key, std::u16string_view name, std::string_view def) const {
  Record('A', key, name);
  const auto v = Get(key, name);
  return v && v->Kind == Value::Text ? ToAnsi(v->Str) : std::string(def);
}

std::string TMemoryStore::ReadBytes(std::u16string_view key, std::u16string_view name, std::string_view def) const {
  Record('B', key, name);
  const auto v = Get(key, name);
  if (!v || v->Kind == Value::Integer) return std::string(def);
  return v->Kind == Value::Bytes ? v->Raw : ToAnsi(v->Str);
}

std::vector<std::u16string> TMemoryStore::SubKeyNames(std::u16string_view key) const {
  Record('S', key);
  std::vector<std::u16string> names;
  const std::u16string prefix = Lowered(key) + u"\\";
  for (const std::u16string& k : keys_) {
    const std::u16string& lower = Lowered(k);
    if (lower.size() > prefix.size() && lower.compare(0, prefix.size(), prefix) == 0 &&
        lower.find(u'\\', prefix.size()) == std::u16string::npos)
      names.push_back(k.substr(prefix.size()));
  }
  return names;
}

std::vector<std::u16string> TMemoryStore::ValueNames(std::u16string_view key) const {
  Record('V', key);
  std::vector<std::u16string> names;
  if (const auto* values = Values(key))
    for (const auto& entry : *values) names.push_back(entry.first);
  return names;
}

bool TMemoryStore::CreateKey(std::u16string_view key) {
  if (Unwritable.count(std::u16string(key))) return false;
  AddKey(key);
  return true;
}

void TMemoryStore::WriteInteger(std::u16string_view key, std::u16string_view name, int32_t value) {
  ++Writes;
  if (CreateKey(key)) SetInteger(key, name, value);
}

void TMemoryStore::WriteText(std::u16string_view key, std::u16string_view name, std::u16string_view value) {
  ++Writes;
  if (CreateKey(key)) SetText(key, name, value);
}

void TMemoryStore::WriteTextA(std::u16string_view key, std::u16string_view name, std::string_view value) {
  WriteText(key, name, FromAnsi(value));
}

void TMemoryStore::DeleteValue(std::u16string_view key, std::u16string_view name) {
  ++Writes;
  const auto it = values_.find(Lower(key));
  if (it == values_.end()) return;
  std::erase_if(it->second, [&](const auto& entry) { return SameTextW(entry.first, name); });
}

void TMemoryStore::DeleteKey(std::u16string_view key) {
  ++Writes;
  const std::u16string k = Lower(key);
  // As the registry does, a key that still has subkeys stays.
  if (!values_.count(k) || !SubKeyNames(key).empty()) return;
  values_.erase(k);
  std::erase_if(keys_, [&](const std::u16string& name) { return Lower(name) == k; });
}
