// Text of a page's text records as UTF-16, by the font's character set, the default character set and
// the settings that tell which fonts carry 8-bit text in 16-bit records.
#include "coding/enumemf2_decode.h"

#include "coding/cl_macrotools.h"

namespace {

// Through a code page and back; a code page the system cannot convert with leaves the text as it is.
std::u16string ThroughCodePage(const TCodePageSystem& cp, std::u16string_view text, uint32_t out, uint32_t in) {
  bool lossy = false;
  const std::optional<std::string> bytes = cp.Encode(text, out, lossy);
  if (!bytes) return std::u16string(text);
  return cp.Decode(*bytes, in);
}

std::u16string GlyphText(const TTextDecoding& d, const TLogFontW& font, std::u16string_view glyphs, bool wide) {
  const std::string table = DecodeGlyphs(glyphs, wide);
  const uint32_t ansi = d.CodePages.AnsiCodePage();
  const TGlyphChars* own = d.Glyphs ? d.Glyphs->CharsOf(font) : nullptr;
  if (!own) return d.CodePages.Decode(table, ansi);
  std::u16string out;
  out.reserve(glyphs.size());
  for (size_t i = 0; i < glyphs.size(); ++i) {
    const auto it = own->find(static_cast<uint16_t>(glyphs[i]));
    if (it != own->end()) {
      out.push_back(it->second);
    } else {
      const std::u16string c = d.CodePages.Decode(std::string_view(&table[i], 1), ansi);
      out += c.empty() ? u"?" : c;
    }
  }
  return out;
}

std::u16string LowBytes(std::u16string_view chars) {
  std::u16string out(chars);
  for (char16_t& c : out) c = static_cast<char16_t>(c & 0xFF);
  return out;
}

}  // namespace

uint32_t CharsetCodePage(const TCodePageSystem& cp, uint8_t charset) {
  if (charset == kOemCharset) return cp.OemCodePage();
  const std::optional<TCharsetCodePage> found = cp.LookupCharset(charset);
  return found ? found->CodePage : cp.AnsiCodePage();
}

std::u16string BytesToWideByCharset(const TCodePageSystem& cp, std::string_view bytes, uint8_t charset) {
  return cp.Decode(bytes, CharsetCodePage(cp, charset));
}

std::string DecodeGlyphs(std::u16string_view glyphs, bool wide) {
  std::string out;
  out.reserve(glyphs.size());
  for (const char16_t unit : glyphs) {
    const uint32_t g = wide ? unit : (unit & 0xFFu);
    uint32_t c = '?';
    if (!wide || g < 128) c = (g + 29) % 256;
    else if (g >= 512 && g <= 639) c = (g - 378) % 256;
    else if (g == 651) c = 0xB9;
    out.push_back(static_cast<char>(c));
  }
  return out;
}

std::u16string DecodeText8(const TTextDecoding& d, const TLogFontW& font, std::string_view chars, bool asGlyphs) {
  if (asGlyphs) {
    std::u16string units(chars.size(), u'\0');
    for (size_t i = 0; i < chars.size(); ++i) units[i] = static_cast<uint8_t>(chars[i]);
    return GlyphText(d, font, units, false);
  }
  const uint8_t f = font.lfCharSet;
  if (f == kOemCharset) return d.CodePages.Decode(chars, d.CodePages.AnsiCodePage());
  return BytesToWideByCharset(d.CodePages, chars, d.DefaultCharset == 204 ? f : d.DefaultCharset);
}

std::u16string DecodeText16(const TTextDecoding& d, const TLogFontW& font, std::u16string_view chars, bool asGlyphs) {
  if (asGlyphs) return GlyphText(d, font, chars, true);
  const uint8_t f = font.lfCharSet;
  // OEM bytes kept as ANSI characters, for the OEM handling of the text runs.
  if (f == kOemCharset) return ThroughCodePage(d.CodePages, chars, d.CodePages.OemCodePage(), d.CodePages.AnsiCodePage());
  if (f == d.DefaultCharset) {
    const uint32_t cp = CharsetCodePage(d.CodePages, f);
    return ThroughCodePage(d.CodePages, chars, cp, cp);
  }
  return DecodeForeignText16(d, font, chars);
}

std::u16string DecodeForeignText16(const TTextDecoding& d, const TLogFontW& font, std::u16string_view chars) {
  if (d.NoUnicode.starts_with(u"*")) {
    bool narrow = true;
    for (const char16_t c : chars) narrow = narrow && c < 0x100;
    if (narrow) return std::u16string(chars);
  } else if (InCommaList(font.FaceName(), d.NoUnicode)) {
    return LowBytes(chars);
  }
  std::u16string out(chars);
  if (!d.LongSign.empty())
    for (char16_t& c : out)
      if (d.LongSign.find(c) != std::u16string_view::npos) c = u'-';
  return out;
}
