// Stand-ins for the coder's surroundings in tests.
#include "support/coder_fakes.h"

#include "foundation/lib_str.h"
#include "foundation/lib_unicode.h"

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
