// Stand-ins for the coder's surroundings in tests.
#include "support/coder_fakes.h"

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

const std::vector<std::pair<std::u16string, TMemoryStore::Value>>* TMemoryStore::Values(std::u16string_view key) const {
  const auto it = values_.find(Lower(key));
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
  const std::u16string prefix = Lower(key) + u"\\";
  for (const std::u16string& k : keys_) {
    const std::u16string lower = Lower(k);
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

std::vector<std::string> TMemoryStore::SubKeyNamesA(std::u16string_view key) const {
  std::vector<std::string> names;
  for (const std::u16string& name : SubKeyNames(key)) names.push_back(ToAnsi(name));
  return names;
}

void TMemoryStore::WriteInteger(std::u16string_view key, std::u16string_view name, int32_t value) {
  if (CreateKey(key)) SetInteger(key, name, value);
}

void TMemoryStore::WriteText(std::u16string_view key, std::u16string_view name, std::u16string_view value) {
  if (CreateKey(key)) SetText(key, name, value);
}

void TMemoryStore::WriteTextA(std::u16string_view key, std::u16string_view name, std::string_view value) {
  WriteText(key, name, FromAnsi(value));
}

std::u16string TMemoryContextHost::ReadValue(std::u16string_view section, std::u16string_view name,
                                             std::u16string_view def) {
  const auto it = Values.find({std::u16string(section), std::u16string(name)});
  return it == Values.end() ? std::u16string(def) : it->second;
}

void TMemoryContextHost::WriteValue(std::u16string_view section, std::u16string_view name,
                                    std::u16string_view value) {
  if (LockDepth == 0 && (name == u"Id" || name == u"Context")) ++Violations;
  Values[{std::u16string(section), std::u16string(name)}] = std::u16string(value);
}

std::u16string TMemoryContextHost::MakeContextFile() {
  if (LockDepth == 0) ++Violations;
  if (FailMake) return {};
  std::u16string name = std::u16string(kDir);
  for (char c : IntToHex8(NextFile++)) name.push_back(static_cast<char16_t>(c));
  name += u".TMP";
  Files[name] = "";
  return name;
}

std::optional<std::string> TMemoryContextHost::ReadFileBytes(const std::u16string& name) {
  if (LockDepth == 0) ++Violations;
  FileReads.push_back(WideToUtf8(name));
  const auto it = Files.find(name);
  if (it == Files.end()) return std::nullopt;
  return it->second;
}

bool TMemoryContextHost::WriteFileBytes(const std::u16string& name, std::string_view bytes) {
  if (FailWrites) return false;
  Files[name] = std::string(bytes);
  return true;
}

void TMemoryContextHost::DeleteFileByName(const std::u16string& name) {
  if (LockDepth == 0) ++Violations;
  Files.erase(name);
}

void TMemoryContextHost::ShowError(std::u16string_view text) {
  if (LockDepth != 0) ++Violations;
  Errors.emplace_back(text);
}

void TMemoryContextHost::Lock() { ++LockDepth; }
void TMemoryContextHost::Unlock() { --LockDepth; }

std::string TMemoryContextHost::ToAnsi(std::u16string_view text) const { return EncodeCodePage(text, kCodePage1251); }
std::u16string TMemoryContextHost::FromAnsi(std::string_view text) const {
  return DecodeCodePage(text, kCodePage1251);
}
