// Text decoding of the text records: the classic glyph order, 8-bit and 16-bit strings by the font's and
// the default character set, 16-bit text of foreign fonts, and glyphs mapped back by the font itself.
#include "coding/enumemf2_decode.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/emf_builder.h"

namespace {

const TPortableCodePages kPages(1251, 866);

TTextDecoding Decoding(uint8_t defaultCharset = 204, std::u16string_view noUnicode = u"*",
                       std::u16string_view longSign = u"\u2DF0", TGlyphResolver* glyphs = nullptr) {
  return TTextDecoding{kPages, defaultCharset, noUnicode, longSign, glyphs};
}

// A font that knows some of its glyphs.
class TFakeGlyphs : public TGlyphResolver {
 public:
  const TGlyphChars* CharsOf(const TLogFontW& font) override {
    ++Asked;
    return font.FaceName() == u"Own" ? &Chars : nullptr;
  }
  TGlyphChars Chars;
  int Asked = 0;
};

}  // namespace

TEST(EmfTextDecoding, ClassicGlyphOrder) {
  struct Case {
    std::u16string glyphs;
    bool wide;
    std::string expected;
    const char* why;
  };
  const std::vector<Case> cases = {
      {u"\x24", false, "A", "8-bit index 36 is 'A'"},
      {u"\xFF", false, "\x1C", "8-bit indices wrap at 256"},
      {u"\x24\x7F", true, "A\x9C", "16-bit below 128 as 8-bit"},
      {u"\x80", true, "?", "128 is outside both ranges"},
      {std::u16string{char16_t(512), char16_t(639)}, true, "\x86\x05", "512..639 less 378, wrapped"},
      {std::u16string{char16_t(511), char16_t(640)}, true, "??", "just outside 512..639"},
      {std::u16string{char16_t(651)}, true, "\xB9", "651 is the numero sign"},
      {std::u16string{char16_t(200)}, true, "?", "any other glyph"},
  };
  for (const Case& c : cases) EXPECT_EQ(DecodeGlyphs(c.glyphs, c.wide), c.expected) << c.why;
  // 0xB9 is "№" in the system code page.
  EXPECT_EQ(DecodeText16(Decoding(), TLogFontW{}, std::u16string{char16_t(651)}, true), u"№");
}

TEST(EmfTextDecoding, EightBitStrings) {
  struct Case {
    uint8_t fontCharset, defaultCharset;
    std::string bytes;
    std::u16string expected;
    const char* why;
  };
  const std::vector<Case> cases = {
      {204, 204, "\xD1\xF7\xB8\xF2", u"Счёт", "the Russian set"},
      {0, 204, "\xE9", u"é", "with the Russian default the font's own set (1252)"},
      {0, 238, "\xE9", u"\u00E9", "another default set wins whatever the font's (1250: é as well)"},
      {204, 0, "\xE9", u"é", "a default of 0 reads the Russian font by 1252"},
      {255, 204, "\xC4", u"Д", "OEM bytes are read in the system code page"},
      {161, 204, "\xE1", u"\u00E1", "a set the core has no table for passes bytes through"},
  };
  for (const Case& c : cases) {
    TLogFontW font = LogFont(u"Arial", -40, c.fontCharset);
    EXPECT_EQ(DecodeText8(Decoding(c.defaultCharset), font, c.bytes, false), c.expected) << c.why;
  }
  EXPECT_EQ(DecodeText8(Decoding(), LogFont(u"Arial", -40), "\x24\x25", true), u"AB");
}

TEST(EmfTextDecoding, SixteenBitStrings) {
  struct Case {
    uint8_t fontCharset;
    std::u16string noUnicode, longSign, face, chars, expected;
    const char* why;
  };
  const std::u16string greek = u"\u03B1\u03B2";
  const std::vector<Case> cases = {
      {204, u"*", u"", u"Arial", u"Счёт", u"Счёт", "the default set keeps what 1251 holds"},
      {204, u"*", u"", u"Arial", u"Сч\u0101", u"Сч?", "and replaces what it cannot"},
      {255, u"*", u"", u"Arial", u"\u2554\u2550", u"ЙН", "OEM box drawing becomes the 1251 letters of its 866 bytes"},
      {161, u"*", u"", u"Greek", u"\u00E1\u00E2", u"\u00E1\u00E2", "a foreign font below U+0100: its low bytes"},
      {161, u"*", u"\u2014\u2013", u"Greek", greek + u"\u2014\u2013", greek + u"--", "long signs become hyphens"},
      {161, u"Symbol,Wingdings", u"", u"Wingdings", u"\uF041\u0142", u"\u0041\u0042", "a listed face: low bytes"},
      {161, u"Symbol,Wingdings", u"", u"wingdings", u"\uF041", u"\uF041", "the face list counts case"},
      {161, u"Symbol", u"\u2DF0", u"Arial", u"a\u2DF0", u"a-", "an unlisted face keeps its text, long signs replaced"},
  };
  for (const Case& c : cases) {
    TLogFontW font = LogFont(c.face, -40, c.fontCharset);
    EXPECT_EQ(DecodeText16(Decoding(204, c.noUnicode, c.longSign), font, c.chars, false), c.expected) << c.why;
  }
}

TEST(EmfTextDecoding, GlyphsOfTheFontItselfFirst) {
  TFakeGlyphs glyphs;
  glyphs.Chars = {{1000, u'Ж'}, {36, u'Z'}};
  const TTextDecoding d = Decoding(204, u"*", u"", &glyphs);
  const std::u16string indices{char16_t(1000), char16_t(36), char16_t(37)};
  EXPECT_EQ(DecodeText16(d, LogFont(u"Own", -40), indices, true), u"ЖZB") << "the map, then the classic order";
  EXPECT_EQ(DecodeText16(d, LogFont(u"Other", -40), indices, true), u"?AB") << "a font that cannot be asked";
  EXPECT_EQ(DecodeText8(d, LogFont(u"Own", -40), "\x24\x25", true), u"ZB");
  EXPECT_EQ(glyphs.Asked, 3);
}
