// The record walk under Wine: a page recorded by Wine's GDI on the destination printer's DC, taken with
// GetEnhMetaFileBits, gives its texts (Cyrillic, by glyph index, a current-position run, an underscore
// field) and its ruled lines where they were drawn; glyphs map back through the text's own font.
#include "coding/enumemf2_records_win.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "coding/cl_macrolib_payload_win.h"
#include "coding/enumemf2_decode_win.h"
#include "coding/enumemf2_records.h"
#include "foundation/lib_handle_win.h"
#include "support/coder_fakes.h"

namespace {

constexpr wchar_t kInvoice[] = L"Счёт-фактура № 17 от 01.02.2024";

struct TExpectedText {
  std::u16string Text;
  TPoint At;
  uint8_t OwnPosition;
};

struct TRecorded {
  TEnhMetaFile Metafile;
  std::vector<TExpectedText> Texts;
  std::vector<TRect> HLines, VLines;
};

HFONT ArialFont() {
  return CreateFontW(-42, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, RUSSIAN_CHARSET, OUT_DEFAULT_PRECIS,
                     CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, L"Arial");
}

// The glyph indices of the text in the font, as a screen-compatible DC gives them.
std::vector<WORD> GlyphsOf(const wchar_t* text, HFONT font) {
  TDeviceContext dc(CreateCompatibleDC(nullptr));
  const HGDIOBJ old = SelectObject(dc.Get(), font);
  std::vector<WORD> glyphs(wcslen(text));
  GetGlyphIndicesW(dc.Get(), text, static_cast<int>(glyphs.size()), glyphs.data(), 0);
  SelectObject(dc.Get(), old);
  return glyphs;
}

TRecorded RecordPage() {
  TRecorded page;
  TDeviceContext printer(CreateDCW(nullptr, L"Client Test PS", nullptr, nullptr));
  if (!printer) return page;
  const RECT frame{0, 0, GetDeviceCaps(printer.Get(), HORZSIZE) * 100, GetDeviceCaps(printer.Get(), VERTSIZE) * 100};
  const HDC dc = CreateEnhMetaFileW(printer.Get(), nullptr, &frame, L"Client\0records page\0");
  if (!dc) return page;

  // A ruled table: lines, an outline and thin filled bars.
  TGdiObject pen(CreatePen(PS_SOLID, 3, RGB(0, 0, 0)));
  SelectObject(dc, pen.Get());
  SelectObject(dc, GetStockObject(NULL_BRUSH));
  Rectangle(dc, 200, 200, 2200, 1000);
  page.HLines = {{200, 200, 2200, 200}, {200, 1000, 2200, 1000}};
  page.VLines = {{2200, 200, 2200, 1000}, {200, 200, 200, 1000}};
  for (int y : {400, 600}) {
    MoveToEx(dc, 200, y, nullptr);
    LineTo(dc, 2200, y);
    page.HLines.push_back({200, y, 2200, y});
  }
  MoveToEx(dc, 1200, 200, nullptr);
  LineTo(dc, 1200, 1000);
  page.VLines.push_back({1200, 200, 1200, 1000});
  SelectObject(dc, GetStockObject(NULL_PEN));
  SelectObject(dc, GetStockObject(BLACK_BRUSH));
  Rectangle(dc, 200, 1100, 2200, 1104);
  page.HLines.push_back({200, 1102, 2200, 1102});
  SelectObject(dc, pen.Get());

  // A world transform over an anisotropic mapping (scale 2, then shift): logical (100, 700) to (600, 700)
  // goes to (200, 750)-(700, 750) by the world and to (400, 1500)-(1400, 1500) by the mapping.
  SaveDC(dc);
  SetGraphicsMode(dc, GM_ADVANCED);
  SetMapMode(dc, MM_ANISOTROPIC);
  SetWindowExtEx(dc, 1000, 1000, nullptr);
  SetViewportExtEx(dc, 2000, 2000, nullptr);
  const XFORM shift{1, 0, 0, 1, 100, 50};
  SetWorldTransform(dc, &shift);
  MoveToEx(dc, 100, 700, nullptr);
  LineTo(dc, 600, 700);
  page.HLines.push_back({400, 1500, 1400, 1500});
  RestoreDC(dc, -1);

  TGdiObject font(ArialFont());
  SelectObject(dc, font.Get());
  SetBkMode(dc, TRANSPARENT);
  ExtTextOutW(dc, 300, 300, 0, nullptr, kInvoice, static_cast<UINT>(wcslen(kInvoice)), nullptr);
  page.Texts.push_back({reinterpret_cast<const char16_t*>(kInvoice), {300, 300}, 1});
  const std::vector<WORD> glyphs = GlyphsOf(kInvoice, static_cast<HFONT>(font.Get()));
  ExtTextOutW(dc, 300, 500, ETO_GLYPH_INDEX, nullptr, reinterpret_cast<const wchar_t*>(glyphs.data()),
              static_cast<UINT>(glyphs.size()), nullptr);
  page.Texts.push_back({reinterpret_cast<const char16_t*>(kInvoice), {300, 500}, 1});
  TextOutW(dc, 1300, 700, L"Подпись ________", 16);
  page.Texts.push_back({u"Подпись ________", {1300, 700}, 1});
  SetTextAlign(dc, TA_BASELINE | TA_UPDATECP);
  MoveToEx(dc, 300, 900, nullptr);
  TextOutW(dc, 0, 0, L"Итого: ", 7);
  TextOutW(dc, 0, 0, L"1 234,56", 8);
  page.Texts.push_back({u"Итого: ", {300, 900}, 1});
  page.Texts.push_back({u"1 234,56", {}, 0});
  SelectObject(dc, GetStockObject(SYSTEM_FONT));
  SelectObject(dc, GetStockObject(BLACK_PEN));
  page.Metafile.Reset(CloseEnhMetaFile(dc));
  return page;
}

// Every drawn line has one walked line within two pixels, and there are no others.
std::string Mismatch(const TObjectList& walked, const std::vector<TRect>& drawn) {
  std::string out;
  auto show = [](const TRect& r) {
    return std::to_string(r.Left) + "," + std::to_string(r.Top) + "," + std::to_string(r.Right) + "," + std::to_string(r.Bottom);
  };
  std::vector<bool> used(walked.size());
  for (const TRect& d : drawn) {
    bool found = false;
    for (size_t i = 0; i < walked.size() && !found; ++i) {
      const TRect& w = walked[i]->Rect;
      found = !used[i] && std::abs(w.Left - d.Left) <= 2 && std::abs(w.Top - d.Top) <= 2 &&
              std::abs(w.Right - d.Right) <= 2 && std::abs(w.Bottom - d.Bottom) <= 2;
      if (found) used[i] = true;
    }
    if (!found) out += " missing " + show(d);
  }
  for (size_t i = 0; i < walked.size(); ++i)
    if (!used[i]) out += " extra " + show(walked[i]->Rect);
  return out;
}

}  // namespace

TEST(EmfRecordsWin, RecordedPageGivesItsTextsAndLines) {
  TRecorded page = RecordPage();
  ASSERT_TRUE(page.Metafile) << "no DC for the destination printer: run scripts/setup";
  const std::vector<uint8_t> bytes = EnhMetaFileBytes(page.Metafile.Get());
  ASSERT_FALSE(bytes.empty());

  TMemoryStore store;
  auto coder = TCoder::Create<TEMFCoder>(store, nullptr, nullptr, 0, nullptr, TDocIdClass::CreateFromText("AB"));
  TWinCodePages pages;
  TWinGlyphResolver glyphs(pages, static_cast<uint8_t>(coder->DefaultCharset));
  const TEmfWalkResult walked = WalkEmfRecords(bytes, *coder, &glyphs);
  ASSERT_TRUE(walked.Ok) << walked.Error;
  EXPECT_EQ(coder->Header.szlDeviceCx, GetDeviceCaps(TDeviceContext(CreateDCW(nullptr, L"Client Test PS", nullptr, nullptr)).Get(), HORZRES));

  ASSERT_EQ(coder->Texts->size(), page.Texts.size());
  for (size_t i = 0; i < page.Texts.size(); ++i) {
    const auto& t = dynamic_cast<const TText&>(*coder->Texts->at(i));
    const TExpectedText& e = page.Texts[i];
    EXPECT_EQ(t.Text, e.Text) << "text " << i;
    EXPECT_EQ(t.OwnPosition, e.OwnPosition) << "text " << i;
    EXPECT_EQ(t.Font.FaceName(), u"Arial") << "text " << i;
    if (e.OwnPosition) {
      EXPECT_EQ(t.Rect.Left, e.At.X) << "text " << i;
      EXPECT_EQ(t.Rect.Top, e.At.Y) << "text " << i;
    }
  }
  EXPECT_EQ(Mismatch(*coder->HLines, page.HLines), "");
  EXPECT_EQ(Mismatch(*coder->VLines, page.VLines), "");
}

TEST(EmfRecordsWin, GlyphResolverKnowsTheFontsOwnGlyphs) {
  TWinCodePages pages;
  TWinGlyphResolver glyphs(pages, 204);
  TLogFontW arial{};
  arial.lfHeight = -42;
  arial.lfCharSet = 204;
  std::u16string(u"Arial").copy(arial.lfFaceName, 5);
  const TGlyphChars* chars = glyphs.CharsOf(arial);
  ASSERT_NE(chars, nullptr);
  EXPECT_EQ(glyphs.CharsOf(arial), chars) << "built once per font";
  TGdiObject font(ArialFont());
  const std::vector<WORD> indices = GlyphsOf(L"ЖжA№", static_cast<HFONT>(font.Get()));
  std::u16string back;
  for (WORD g : indices) back.push_back(chars->count(g) ? chars->at(g) : u'?');
  EXPECT_EQ(back, u"ЖжA№");
  TLogFontW missing = arial;
  std::u16string(u"No Such Face Here").copy(missing.lfFaceName, 17);
  EXPECT_EQ(glyphs.CharsOf(missing), nullptr) << "a substituted face is left to the classic order";
}

TEST(EmfRecordsWin, NoBytesWithoutAMetafile) { EXPECT_TRUE(EnhMetaFileBytes(nullptr).empty()); }
