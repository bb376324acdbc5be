// Fuzz target of the destination texts kept in the registry: any stored text with any user and printer
// gives back, after an update, the printer for that user, and every other user's printer unchanged; and
// the printer list loaded from keys and values that come from the same texts.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <functional>
#include <map>
#include <string>

#include "foundation/lib_prn_printers.h"
#include "foundation/lib_str.h"
#include "foundation/lib_unicode.h"
#include "support/memory_store.h"
#include "support/printers_host_fake.h"

namespace {
// The printer keys in memory: every value of every key reads as the same stored text until written.
class TFuzzStore : public TMemoryStore {
 public:
  std::vector<std::u16string> Keys;
  std::u16string Stored;
  std::vector<std::u16string> SubKeyNames(std::u16string_view) const override { return Keys; }
  std::u16string ReadText(std::u16string_view key, std::u16string_view name, std::u16string_view def) const override {
    return Get(key, name) ? TMemoryStore::ReadText(key, name, def) : Stored;
  }
  int32_t ReadInteger(std::u16string_view, std::u16string_view, int32_t) const override { return int32_t(Stored.size() % 4); }
};

// Key and printer names are never empty.
std::vector<std::u16string> Names(std::u16string_view text) {
  std::vector<std::u16string> names;
  for (std::u16string_view rest = text; !rest.empty() && names.size() < 64;) {
    std::u16string name = ExtractTokenW(rest, u',');
    if (!name.empty()) names.push_back(std::move(name));
  }
  return names;
}

// Printer keys named by the user text, system printers named by the printer text, every value the
// stored text.
void LoadList(const std::u16string& stored, const std::u16string& keys, const std::u16string& system) {
  // The spooler in memory; its first printer is the default.
  auto host = std::make_shared<TListPrintersHost>();
  host->Names = Names(system);
  if (!host->Names.empty()) host->Default = host->Names[0];
  TFuzzStore machine, user;
  for (TFuzzStore* store : {&machine, &user}) {
    store->Stored = stored;
    store->Keys = Names(keys);
  }
  TPrinters printers(host, machine, user);
  printers.UserName = u"Иванов";
  printers.Load();
  if (printers.Count() > int32_t(machine.Keys.size() + user.Keys.size())) std::abort();
  std::u16string first;
  printers.GetFirstPrinter(first);
  std::u16string fresh;
  printers.GetNewPrinterName(fresh);
  if (fresh.empty()) std::abort();
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // Three UTF-16 texts separated by 0x0000: the stored text, a user and a printer.
  std::u16string parts[3];
  size_t part = 0;
  for (size_t i = 0; i + 1 < size && part < 3; i += 2) {
    const char16_t c = static_cast<char16_t>(data[i] | (data[i + 1] << 8));
    if (c == 0) {
      ++part;
    } else {
      parts[part] += c;
    }
  }
  const std::u16string& text = parts[0];
  const std::u16string& user = parts[1];
  const std::u16string& printer = parts[2];
  LoadList(text, user, printer);
  const std::u16string updated = UpdatePrintToOfUser(text, user, printer);
  if (user.find(u',') != std::u16string::npos || printer.find(u',') != std::u16string::npos) {
    if (updated != text) std::abort();
    return 0;
  }
  if (PickPrintToOfUser(updated, user) != printer) std::abort();
  const auto users = PrintToUsers(text);
  // A last user without a printer of its own is given an empty one when another user is appended.
  const size_t paired = text.empty() || (users.size() * 2 + 1) == static_cast<size_t>(std::count(text.begin(), text.end(), u',') + 1)
                            ? users.size()
                            : users.size() - 1;
  for (size_t i = 0; i < paired; ++i) {
    if (SameTextW(users[i], user)) continue;
    if (PickPrintToOfUser(updated, users[i]) != PickPrintToOfUser(text, users[i])) std::abort();
  }
  return 0;
}
