// Glyph indices mapped back to characters by the text's own font, as this system has it: the font's
// Unicode ranges and their glyph indices, built once per font and kept for the page.
#pragma once

#include <windows.h>

#include <map>
#include <optional>
#include <string>

#include "coding/enumemf2_decode.h"
#include "foundation/lib_handle_win.h"

class TWinGlyphResolver : public TGlyphResolver {
 public:
  // A glyph several characters share goes to the one of defaultCharset's code page (its own letters
  // before ASCII), so that Cyrillic text keeps its letters where a font draws А and A alike.
  TWinGlyphResolver(const TCodePageSystem& codePages, uint8_t defaultCharset);

  const TGlyphChars* CharsOf(const TLogFontW& font) override;

 private:
  std::optional<TGlyphChars> Build(const TLogFontW& font);
  int Rank(char16_t c) const;

  const TCodePageSystem& codePages_;
  uint32_t defaultCodePage_;
  TDeviceContext dc_;
  // By the LOGFONTW's bytes; nullopt for a font that could not be asked or that the system substitutes.
  std::map<std::string, std::optional<TGlyphChars>> fonts_;
};
