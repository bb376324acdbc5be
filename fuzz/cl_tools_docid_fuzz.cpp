// Fuzz target of document-type identifiers (subkey names and "DocType" values of the configuration).
// Input: two texts separated by byte 0x00.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "foundation/cl_tools_docid.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string input(reinterpret_cast<const char*>(data), size);
  const size_t cut = input.find('\0');
  const std::string a = input.substr(0, cut);
  const std::string b = cut == std::string::npos ? std::string() : input.substr(cut + 1);
  const TDocIdClass id = TDocIdClass::CreateFromText(a);
  const TDocIdClass other = TDocIdClass::CreateFromText(b);
  // The text of an identifier makes the same identifier again.
  const std::string text = id.GetText();
  if (text.size() > 4 || !TDocIdClass::CreateFromText(text).SameAs(id)) std::abort();
  if (id.SameAs(other) != other.SameAs(id)) std::abort();
  (void)id.SameAsText(b);
  (void)TDocIdClass::SameTexts(a, b);
  (void)id.CharCount();
  return 0;
}
