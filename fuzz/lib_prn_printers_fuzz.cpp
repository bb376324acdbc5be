// Fuzz target of the destination texts kept in the registry: any stored text with any user and printer
// gives back, after an update, the printer for that user, and every other user's printer unchanged.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "foundation/lib_prn_printers.h"
#include "foundation/lib_unicode.h"

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
