// Fuzz target of the payload's conversions: field entries from page text, the code-page choice of the
// payload bytes under any character set, and cuts at character boundaries. Input: one byte character
// set, one byte cut length, then UTF-16LE: label, U+0001, value, U+0001, allowed characters.
#include <cstdint>
#include <cstdlib>

#include "coding/cl_macrolib_payload.h"
#include "foundation/lib_codepage.h"
#include "fuzz/fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  const uint8_t charsetIn = data[0];
  const size_t cut = data[1];
  const std::vector<std::u16string> parts = FuzzPieces<char16_t>(FuzzUtf16(data + 2, size - 2), u'\x01');
  auto part = [&](size_t i) { return i < parts.size() ? parts[i] : std::u16string(); };
  const TPayloadDelims delims;
  TWideCharSet allowed;
  ParseWideCharList(allowed, part(2));
  for (const char16_t type : std::u16string_view(u"ROCPLx")) (void)MakeFieldEntry(type, part(0), part(1), allowed, delims);
  (void)InvalidFieldChars(part(1), allowed);
  const TPortableCodePages pages;
  for (const std::u16string& payload : {part(1), std::u16string()}) {
    uint8_t charset = charsetIn;
    const TPayloadBytes bytes = ConvertPayload(payload, charset, pages);
    // UTF-8 bytes say so, and they are the payload's own.
    if (bytes.Utf8 != (bytes.CodePage == kCodePageUtf8)) std::abort();
    if (bytes.Utf8 && (charset != 0 || bytes.Bytes != WideToUtf8(payload))) std::abort();
    const size_t at = CharBoundaryAtOrBelow(bytes.Bytes, cut, bytes.CodePage, pages);
    if (at > cut && at != bytes.Bytes.size()) std::abort();
    if (at > bytes.Bytes.size()) std::abort();
  }
  (void)DocDataPayload(uint32_t(size), part(0), pages);
  return 0;
}
