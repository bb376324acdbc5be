// The glyph resolver of the Windows edge: GetFontUnicodeRanges and GetGlyphIndicesW of the text's font.
#include "coding/enumemf2_decode_win.h"

#include <cstring>
#include <vector>


TWinGlyphResolver::TWinGlyphResolver(const TCodePageSystem& codePages, uint8_t defaultCharset)
    : codePages_(codePages),
      defaultCodePage_(CharsetCodePage(codePages, defaultCharset)),
      dc_(CreateCompatibleDC(nullptr)) {}

const TGlyphChars* TWinGlyphResolver::CharsOf(const TLogFontW& font) {
  std::string key(reinterpret_cast<const char*>(&font), sizeof(font));
  auto it = fonts_.find(key);
  if (it == fonts_.end()) it = fonts_.emplace(std::move(key), Build(font)).first;
  return it->second ? &*it->second : nullptr;
}

// 0: a letter of the default code page beyond ASCII; 1: ASCII; 2: anything else.
int TWinGlyphResolver::Rank(char16_t c) const {
  if (c < 0x80) return 1;
  bool lossy = false;
  const std::optional<std::string> bytes = codePages_.Encode(std::u16string_view(&c, 1), defaultCodePage_, lossy);
  return bytes && !lossy ? 0 : 2;
}

std::optional<TGlyphChars> TWinGlyphResolver::Build(const TLogFontW& font) {
  if (!dc_) return std::nullopt;
  LOGFONTW lf;
  static_assert(sizeof(lf) == sizeof(font));
  std::memcpy(&lf, &font, sizeof(lf));
  TGdiObject created(CreateFontIndirectW(&lf));
  if (!created) return std::nullopt;
  const HGDIOBJ previous = SelectObject(dc_.Get(), created.Get());
  if (!previous) return std::nullopt;
  std::optional<TGlyphChars> chars;
  wchar_t face[LF_FACESIZE] = {};
  // A substituted face draws with another font's glyphs than the recorded ones: the classic order then.
  const bool same = GetTextFaceW(dc_.Get(), LF_FACESIZE, face) > 0 && _wcsicmp(face, lf.lfFaceName) == 0;
  const DWORD size = same ? GetFontUnicodeRanges(dc_.Get(), nullptr) : 0;
  if (size >= sizeof(GLYPHSET)) {
    std::vector<uint8_t> buffer(size);
    auto* set = reinterpret_cast<GLYPHSET*>(buffer.data());
    if (GetFontUnicodeRanges(dc_.Get(), set) == size) {
      std::vector<wchar_t> codes;
      for (DWORD r = 0; r < set->cRanges; ++r)
        for (uint32_t c = set->ranges[r].wcLow, n = 0; n < set->ranges[r].cGlyphs && c <= 0xFFFF; ++c, ++n)
          if (c < 0xD800 || c > 0xDFFF) codes.push_back(static_cast<wchar_t>(c));
      std::vector<WORD> glyphs(codes.size());
      if (!codes.empty() && GetGlyphIndicesW(dc_.Get(), codes.data(), static_cast<int>(codes.size()), glyphs.data(),
                                             GGI_MARK_NONEXISTING_GLYPHS) != GDI_ERROR) {
        chars.emplace();
        for (size_t i = 0; i < codes.size(); ++i) {
          if (glyphs[i] == 0xFFFF) continue;
          const char16_t c = static_cast<char16_t>(codes[i]);
          const auto [at, added] = chars->emplace(glyphs[i], c);
          if (!added && Rank(c) < Rank(at->second)) at->second = c;
        }
      }
    }
  }
  SelectObject(dc_.Get(), previous);
  return chars;
}
