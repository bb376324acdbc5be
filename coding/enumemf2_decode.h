// Text of a page's text records as UTF-16: 8-bit and 16-bit strings read by the font's character set,
// and glyph indices mapped back to characters by the font itself or by the classic glyph order.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>

#include "coding/cl_macrolib_payload.h"
#include "coding/enumemf2.h"

// The characters of a font's glyph indices.
using TGlyphChars = std::unordered_map<uint16_t, char16_t>;

// Maps glyph indices of a text's font back to characters. The Windows edge asks the font; the core's
// resolver knows no font, so the classic glyph order decodes every glyph.
class TGlyphResolver {
 public:
  virtual ~TGlyphResolver() = default;
  // The font's own map, kept for the page; nil when the font cannot be asked (a face the system
  // substitutes, whose indices belong to a font this machine lacks).
  virtual const TGlyphChars* CharsOf(const TLogFontW& font) = 0;
};

// What decoding takes from the coder and the system.
struct TTextDecoding {
  const TCodePageSystem& CodePages;
  uint8_t DefaultCharset = 204;
  std::u16string_view NoUnicode = u"*";
  std::u16string_view LongSign = u"\u2DF0";
  TGlyphResolver* Glyphs = nullptr;  // nil: the classic order
};

// Classic glyph order to 8-bit characters of the system code page. Each unit of glyphs is one index
// (for 8-bit records a byte); wide selects the 16-bit rule.
std::string DecodeGlyphs(std::u16string_view glyphs, bool wide);

std::u16string DecodeText8(const TTextDecoding& d, const TLogFontW& font, std::string_view chars, bool asGlyphs);
std::u16string DecodeText16(const TTextDecoding& d, const TLogFontW& font, std::u16string_view chars, bool asGlyphs);
// 16-bit text in a font whose character set is neither OEM nor the default one.
std::u16string DecodeForeignText16(const TTextDecoding& d, const TLogFontW& font, std::u16string_view chars);

// The code page of a character set: 255 the OEM one, a set the system does not know the ANSI one.
uint32_t CharsetCodePage(const TCodePageSystem& cp, uint8_t charset);
// Bytes by a character set's code page (255: the OEM one; a set the system does not know: the ANSI one).
std::u16string BytesToWideByCharset(const TCodePageSystem& cp, std::string_view bytes, uint8_t charset);
