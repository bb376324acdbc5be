// Code placement on the sheet and the page model as page-data text.
#include "coding/cl_emfcoder_place.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>

#include "coding/cl_blank.h"
#include "coding/cl_emfcoder.h"
#include "coding/cl_macrolib_code.h"
#include "coding/cl_macrolib_recog_text.h"
#include "coding/lib_graph.h"
#include "foundation/cl_tools_store.h"
#include "foundation/lib_str.h"

namespace {
// Lengths are worked in 64 bits and must come back into 32: a header or sheet of absurd size fails the
// placement instead of wrapping to a place off the sheet.
class TPlaceMath {
 public:
  bool Ok() const { return ok_; }

  int32_t Fit(int64_t v) {
    if (v < std::numeric_limits<int32_t>::min() || v > std::numeric_limits<int32_t>::max()) {
      ok_ = false;
      return 0;
    }
    return static_cast<int32_t>(v);
  }

  // The system's multiply-divide: the product in 64 bits, rounded to the nearest, halves away from zero.
  int32_t MulDiv(int64_t a, int64_t b, int64_t c) {
    const int64_t a32 = Fit(a), b32 = Fit(b), c32 = Fit(c);
    if (!ok_ || c32 == 0) {
      ok_ = false;
      return 0;
    }
    const int64_t product = a32 * b32;
    const int64_t magnitude = (std::abs(product) + std::abs(c32) / 2) / std::abs(c32);
    return Fit((product < 0) != (c32 < 0) ? -magnitude : magnitude);
  }

  // The fraction num / den of the free length, den at least 1 and num at most den.
  int32_t Share(int64_t free, uint8_t num, uint8_t den) {
    return MulDiv(std::max<int64_t>(0, free), std::min(num, den), std::max<uint8_t>(1, den));
  }

 private:
  bool ok_ = true;
};

uint8_t PlaceByte(uint32_t place, int index) { return static_cast<uint8_t>(place >> (8 * index)); }

std::u16string Wide(std::string_view ascii) { return std::u16string(ascii.begin(), ascii.end()); }

std::u16string TypeLine(const TCodePlaceRequest& r, TPoint place, int64_t w, int64_t h) {
  return u"Тип: (" + NumW(r.FileType.X) + u"," + NumW(r.FileType.Y) + u"), символ " +
         (r.RealSize ? u"(real)" : u"(max)") + u": " + NumW(r.Code.cx) + u"x" + NumW(r.Code.cy) +
         u", координаты: (" + NumW(place.X) + u"," + NumW(place.Y) + u"), лист: " + NumW(w) + u"x" + NumW(h);
}

int32_t ClampToInt32(int64_t v) {
  return static_cast<int32_t>(
      std::clamp<int64_t>(v, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()));
}

// Millimetres of a header as 0.01 mm, held inside 32 bits.
int32_t Hundredths(int32_t millimeters) { return ClampToInt32(static_cast<int64_t>(millimeters) * 100); }

int32_t ToHundredths(int32_t v, int32_t millimeters, int32_t device) {
  if (device <= 0) return 0;
  return RoundToInt(static_cast<double>(v) * 100.0 * millimeters / device);
}

void AddLineEntries(const TObjectList& lines, uint8_t direction, const TEnhMetaHeader& page, std::string& out) {
  int32_t number = 0;
  for (const auto& line : lines) {
    if (!line) continue;
    AddBlankLineEntry(++number, direction, 1, RectToText(PageRectToHundredths(line->Rect, page)), out);
  }
}
}  // namespace

std::optional<TCodePlace> PlaceCode(const TCodePlaceRequest& r) {
  TPlaceMath m;
  TSize sheet = r.Sheet;
  if (sheet.cx == 0 && sheet.cy == 0) sheet = TSize{r.Page.szlMillimetersCx, r.Page.szlMillimetersCy};
  const int64_t w = static_cast<int64_t>(sheet.cx) * 100;
  const int64_t h = static_cast<int64_t>(sheet.cy) * 100;
  const uint8_t p0 = PlaceByte(r.PicPlace, 0), p1 = PlaceByte(r.PicPlace, 1);
  const uint8_t p2 = PlaceByte(r.PicPlace, 2), p3 = PlaceByte(r.PicPlace, 3);
  TCodePlace out;
  TPoint& at = out.Place;
  if (r.PicTop < 2) {
    const int64_t half = static_cast<int64_t>(sheet.cy) * 50;
    at.X = m.Share(w - r.Code.cx, p0, p1);
    at.Y = m.Fit(m.Share(half - r.Code.cy, p2, p3) + (r.PicTop == 0 ? half : 0));
  } else {
    const TRect& a = r.OutputArea;
    TRect area;
    area.Left = m.MulDiv(a.Left, w, r.Page.szlDeviceCx);
    area.Top = m.MulDiv(a.Top, h, r.Page.szlDeviceCy);
    area.Right = a.Right == 0 ? m.Fit(static_cast<int64_t>(r.Page.szlMillimetersCx) * 100)
                              : m.MulDiv(a.Right, w, r.Page.szlDeviceCx);
    area.Bottom = a.Bottom == 0 ? m.Fit(h) : m.MulDiv(a.Bottom, h, r.Page.szlDeviceCy);
    at.X = m.Fit(area.Left + static_cast<int64_t>(
                                 m.Share(static_cast<int64_t>(area.Right) - area.Left - r.Code.cx, p0, p1)));
    at.Y = m.Fit(area.Top + static_cast<int64_t>(
                                m.Share(static_cast<int64_t>(area.Bottom) - area.Top - r.Code.cy, p2, p3)));
    out.LogLines.push_back(u"Область вывода: (" + Wide(RectToText(area)) + u")");
  }
  if (!m.Ok()) return std::nullopt;
  out.LogLines.push_back(TypeLine(r, at, w, h));
  return out;
}

TRect PageRectToHundredths(const TRect& rect, const TEnhMetaHeader& page) {
  return TRect{ToHundredths(rect.Left, page.szlMillimetersCx, page.szlDeviceCx),
               ToHundredths(rect.Top, page.szlMillimetersCy, page.szlDeviceCy),
               ToHundredths(rect.Right, page.szlMillimetersCx, page.szlDeviceCx),
               ToHundredths(rect.Bottom, page.szlMillimetersCy, page.szlDeviceCy)};
}

std::u16string PageDataText(const TObjectList& texts, const TObjectList& hLines, const TObjectList& vLines,
                            const TEnhMetaHeader& page, const TCodePageSystem& pages) {
  std::string out = MakeBlankHeader(kBlankKindPageData, Hundredths(page.szlMillimetersCx), Hundredths(page.szlMillimetersCy));
  int32_t number = 0;
  for (const auto& object : texts) {
    const auto* text = dynamic_cast<const TTextProTo*>(object.get());
    if (!text) continue;
    AddBlankTextEntry(++number, 1, RectToText(PageRectToHundredths(text->Rect, page)),
                      ToAnsiBytes(pages, text->Text), out);
  }
  AddLineEntries(hLines, kBlankLineH, page, out);
  AddLineEntries(vLines, kBlankLineV, page, out);
  return pages.Decode(out, pages.AnsiCodePage());
}

bool TEMFCoder::ExportCodeToFile(const std::u16string& fileName) {
  const uint32_t start = Log ? Log->TickCount() : 0;
  const int32_t module = Format.ModuleSize;
  CodeSize = TSize{ClampToInt32(static_cast<int64_t>(PictureWidth) * module),
                   ClampToInt32(static_cast<int64_t>(PictureHeight) * module)};
  LogLine(u"Экспорт гр.кода в файл: \"" + fileName + u"\"");
  const TPictureSize size{PictureWidth, PictureHeight};
  const int32_t scale = Settings.FileType.Y;
  const bool saved = Settings.FileType.X == 0 ? SaveCodeWmf(Picture, size, module, fileName, scale)
                                              : SaveCodeEmf(Picture, size, module, fileName, scale);
  if (saved) {
    if (Log) Log->AddElapsed(start);
    return true;
  }
  LogLine(u"  Ошибка экспорта!");
  if (CodeServices) CodeServices->ShowError(ReplaceAllW(kCodeExportErrorText, u"%s", fileName));
  return false;
}

TPoint TEMFCoder::CalcCodePlace(TSize sheet) {
  const int32_t flowPos = Store().ReadInteger(SubKeyPathA(Store(), ConfigKey, DocId.GetText()), u"FlowPos", 0);
  TCodePlaceRequest request;
  request.Sheet = sheet;
  request.Page = Header;
  request.RealSize = (flowPos & 0xFF) != 0;
  request.Code = request.RealSize ? CodeSize : Format.PictureSize;
  request.PicTop = static_cast<uint32_t>(PicTop);
  request.PicPlace = static_cast<uint32_t>(PicPlace);
  request.OutputArea = OutputArea;
  request.FileType = Settings.FileType;
  const std::optional<TCodePlace> place = PlaceCode(request);
  if (!place) {
    if (CodeServices) CodeServices->ShowError(kCodePlaceErrorText);
    return TPoint{};
  }
  for (const std::u16string& line : place->LogLines) LogLine(line);
  return place->Place;
}

std::u16string TEMFCoder::ExportPageData() {
  LogLine(u"  Экспорт данных");
  const TCodePageSystem& pages = CodeServices ? CodeServices->CodePages() : DefaultCodePages();
  return PageDataText(*Texts, *HLines, *VLines, Header, pages);
}
