// An end-to-end document as a Windows page: recorded by Wine's GDI on the destination printer's DC
// ("Client Test PS" of scripts/setup), passed through an NT EMF spool file, recognised by ProcessDecode,
// coded, its code exported and placed, and the page with its code drawn as one bitmap of the printer's
// pixels. The Wine tests and the demo's coder both run it.
#pragma once

#include <windows.h>

#include <algorithm>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "coding/cl_emfcoder.h"
#include "coding/cl_emfcoder_parse_win.h"
#include "coding/enumemf2_records_win.h"
#include "coding/lib_graph.h"
#include "foundation/cl_tools_config.h"
#include "foundation/cl_tools_store_win.h"
#include "foundation/lib_handle_win.h"
#include "foundation/lib_prn_spool.h"
#include "foundation/lib_prn_spoolwriter.h"
#include "foundation/lib_unicode_win.h"
#include "support/coder_fakes.h"
#include "support/dib_canvas.h"
#include "support/e2e_fixtures.h"
#include "support/e2e_win_fixtures.h"
#include "support/win_fixtures.h"

inline const TE2EDocument& E2EDocument(std::string_view docId) {
  for (const TE2EDocument& doc : E2EDocuments())
    if (doc.DocId == docId) return doc;
  return E2EDocuments().front();
}

// A ruled table drawn under a document's own texts: cells in rows and columns, printer pixels.
struct TE2ETable {
  std::vector<int32_t> Xs, Ys;
  std::vector<std::vector<std::u16string>> Cells;  // row by row
};

// Services below the invoice's fields: neither its labels nor its values.
inline const TE2ETable& InvoiceTable() {
  static const TE2ETable table{{100, 250, 1100, 1400, 1800},
                               {800, 870, 940, 1010},
                               {{u"№", u"Наименование", u"Кол-во", u"Цена"},
                                {u"1", u"Услуги связи", u"1", u"9 800,00"},
                                {u"2", u"Обслуживание", u"1", u"5 500,00"}}};
  return table;
}

namespace e2e_page_detail {
inline void Line(HDC dc, int32_t x0, int32_t y0, int32_t x1, int32_t y1) {
  MoveToEx(dc, x0, y0, nullptr);
  LineTo(dc, x1, y1);
}

// A text in a font whose cell fills its box, through ExtTextOutW.
inline void Text(HDC dc, const TE2EText& t) {
  const int width = (t.Rect.Right - t.Rect.Left) / static_cast<int>(t.Text.size());
  TGdiObject font(CreateFontW(-(t.Rect.Bottom - t.Rect.Top), width, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE,
                              RUSSIAN_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                              DEFAULT_PITCH, L"Arial"));
  const HGDIOBJ old = SelectObject(dc, font.Get());
  ExtTextOutW(dc, t.Rect.Left, t.Rect.Top, 0, nullptr, WStr(t.Text), static_cast<UINT>(t.Text.size()), nullptr);
  SelectObject(dc, old);
}

inline void Table(HDC dc, const TE2ETable& table) {
  for (int32_t y : table.Ys) Line(dc, table.Xs.front(), y, table.Xs.back(), y);
  for (int32_t x : table.Xs) Line(dc, x, table.Ys.front(), x, table.Ys.back());
  for (size_t r = 0; r < table.Cells.size() && r + 1 < table.Ys.size(); ++r)
    for (size_t c = 0; c < table.Cells[r].size() && c + 1 < table.Xs.size(); ++c) {
      const std::u16string& cell = table.Cells[r][c];
      // Smaller than the cell, so that no letter touches a rule.
      const int32_t charWidth = std::min<int32_t>(20, (table.Xs[c + 1] - table.Xs[c] - 20) / static_cast<int32_t>(cell.size()));
      Text(dc, TE2EText{cell, TRect{table.Xs[c] + 10, table.Ys[r] + 15,
                                    table.Xs[c] + 10 + charWidth * static_cast<int32_t>(cell.size()), table.Ys[r + 1] - 15}});
    }
}
}  // namespace e2e_page_detail

// The destination printer's settings for A4 at 300 dpi, whatever its driver's defaults.
inline DEVMODEW DestinationDevMode(short orientation = DMORIENT_PORTRAIT) {
  DEVMODEW mode{};
  lstrcpynW(mode.dmDeviceName, L"Client Test PS", CCHDEVICENAME);
  mode.dmSize = sizeof mode;
  mode.dmFields = DM_PAPERSIZE | DM_PRINTQUALITY | DM_YRESOLUTION | DM_ORIENTATION;
  mode.dmOrientation = orientation;
  mode.dmPaperSize = DMPAPER_A4;
  mode.dmPrintQuality = 300;
  mode.dmYResolution = 300;
  return mode;
}

inline TDeviceContext DestinationPrinterDC(short orientation = DMORIENT_PORTRAIT) {
  const DEVMODEW mode = DestinationDevMode(orientation);
  return TDeviceContext(CreateDCW(nullptr, L"Client Test PS", nullptr, &mode));
}

// The document's lines and texts (and the table, when given) recorded on the destination printer's DC:
// its pixels are the metafile's units, its printable area the frame.
inline TEnhMetaFile RecordE2EPage(const TE2EDocument& doc, const TE2ETable* table = nullptr,
                                  short orientation = DMORIENT_PORTRAIT) {
  const TDeviceContext printer = DestinationPrinterDC(orientation);
  if (!printer) return TEnhMetaFile();
  const RECT frame{0, 0, GetDeviceCaps(printer.Get(), HORZSIZE) * 100, GetDeviceCaps(printer.Get(), VERTSIZE) * 100};
  const HDC dc = CreateEnhMetaFileW(printer.Get(), nullptr, &frame, L"Client\0parse page\0");
  if (!dc) return TEnhMetaFile();
  for (const TRect& r : doc.HLines) e2e_page_detail::Line(dc, r.Left, r.Top, r.Right, r.Bottom);
  for (const TRect& r : doc.VLines) e2e_page_detail::Line(dc, r.Left, r.Top, r.Right, r.Bottom);
  SetBkMode(dc, TRANSPARENT);
  for (const TE2EText& t : doc.Texts) e2e_page_detail::Text(dc, t);
  if (table) e2e_page_detail::Table(dc, *table);
  return TEnhMetaFile(CloseEnhMetaFile(dc));
}

// The page as the spooler keeps it: an NT EMF spool file holding it as its only page.
inline std::vector<uint8_t> SpoolE2EPage(HENHMETAFILE page) {
  TEmfSpoolWriter writer(u"Client end to end", u"Client Test PS");
  writer.AddPage(EnhMetaFileBytes(page));
  return writer.Bytes();
}

// The first page of an NT spool file as a metafile, as the print monitor splits it off; nil without one.
inline TEnhMetaFile FirstSpooledPage(const std::vector<uint8_t>& spool) {
  TProcSPLFile reader;
  if (!reader.Open(spool, true) || reader.Is9xFormat) return TEnhMetaFile();
  const std::span<const uint8_t> data = reader.PageData();
  return TEnhMetaFile(SetEnhMetaFileBits(static_cast<UINT>(data.size()), data.data()));
}

inline TEnhMetaFile ThroughSpoolFile(HENHMETAFILE page) { return FirstSpooledPage(SpoolE2EPage(page)); }

// A Windows page coded as the pipeline does it: the type by ProcessDecode (configuration in
// HKEY_LOCAL_MACHINE), the code made with pinned seeds, exported to codeFile in the type's format, and
// placed on the page's own sheet. Place and CodeSize in 0.01 mm.
struct TE2EPageRun {
  TE2EPageRun(HENHMETAFILE page, const std::u16string& codeFile) {
    Coder = ProcessDecode(0, nullptr, page, nullptr, Log, 0, nullptr);
    if (!Coder) {
      FailedStage = "ProcessDecode";
      return;
    }
    Coder->CodeServices = &Services;
    {
      const TFixedSeeds seeds;
      if (!Coder->MakeCode(static_cast<uint8_t>(Coder->DefaultCharset))) {
        FailedStage = "MakeCode";
        return;
      }
    }
    if (!Coder->ExportCodeToFile(codeFile)) {
      FailedStage = "ExportCodeToFile";
      return;
    }
    Place = Coder->CalcCodePlace(TSize{0, 0});
  }

  TMemoryLog Log;
  TRecordedCodeServices Services;
  std::unique_ptr<TEMFCoder> Coder;
  TPoint Place;
  std::string FailedStage;
};

// 0.01 mm of the page to its device pixels.
inline int32_t PagePixelsX(const TEnhMetaHeader& page, int32_t hundredths) {
  return MulDiv(hundredths, page.szlDeviceCx, page.szlMillimetersCx * 100);
}
inline int32_t PagePixelsY(const TEnhMetaHeader& page, int32_t hundredths) {
  return MulDiv(hundredths, page.szlDeviceCy, page.szlMillimetersCy * 100);
}

// The code file's symbol on the page in device pixels.
inline RECT CodeRectOnPage(const TE2EPageRun& run) {
  const TEnhMetaHeader& h = run.Coder->Header;
  const int32_t left = PagePixelsX(h, run.Place.X), top = PagePixelsY(h, run.Place.Y);
  return RECT{left, top, left + PagePixelsX(h, run.Coder->CodeSize.cx), top + PagePixelsY(h, run.Coder->CodeSize.cy)};
}

// Plays a placeable WMF or an EMF file into the rectangle.
inline bool PlayCodeFile(HDC dc, const std::u16string& file, const RECT& at) {
  const std::string bytes = ReadFixture(file);
  if (bytes.size() > 22 && bytes.compare(0, 4, "\xD7\xCD\xC6\x9A") == 0) {
    HMETAFILE wmf = SetMetaFileBitsEx(static_cast<UINT>(bytes.size() - 22), reinterpret_cast<const BYTE*>(bytes.data()) + 22);
    if (!wmf) return false;
    const int saved = SaveDC(dc);
    SetMapMode(dc, MM_ANISOTROPIC);
    SetViewportOrgEx(dc, at.left, at.top, nullptr);
    SetViewportExtEx(dc, at.right - at.left, at.bottom - at.top, nullptr);
    const bool played = PlayMetaFile(dc, wmf);
    RestoreDC(dc, saved);
    DeleteMetaFile(wmf);
    return played;
  }
  TEnhMetaFile emf(GetEnhMetaFileW(WStr(file)));
  return emf && PlayEnhMetaFile(dc, emf.Get(), &at);
}

// What was played onto the canvas as a 1-bit BMP file; empty when it cannot be written.
inline std::vector<uint8_t> CanvasMonoBmp(const TCanvas& canvas) {
  const TPictureSize size{canvas.width, canvas.height};
  const int stride = (canvas.width + 7) / 8;
  TMonoPicture mono(static_cast<size_t>(stride) * canvas.height, 0);
  GdiFlush();
  for (int y = 0; y < canvas.height; ++y)
    for (int x = 0; x < canvas.width; ++x) {
      const uint32_t v = canvas.bits[static_cast<size_t>(y) * canvas.width + x];
      // Darker than mid grey is ink: smoothed letter edges fall on either side.
      if ((v & 0xFF) + ((v >> 8) & 0xFF) + ((v >> 16) & 0xFF) < 384)
        mono[static_cast<size_t>(y) * stride + x / 8] |= static_cast<uint8_t>(0x80 >> (x % 8));
    }
  std::vector<uint8_t> bmp;
  if (!WriteMonoBmp(mono, size, bmp, 1)) return {};
  return bmp;
}

// A white canvas, for the pictures played onto it.
inline void FillWhite(TCanvas& canvas) {
  const RECT all{0, 0, canvas.width, canvas.height};
  FillRect(canvas.dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
}

// The page and its code played into one white bitmap of the page's device pixels, as a 1-bit BMP file;
// empty when either cannot be played.
inline std::vector<uint8_t> CodedPageImage(HENHMETAFILE page, const TE2EPageRun& run, const std::u16string& codeFile) {
  const TEnhMetaHeader& h = run.Coder->Header;
  TCanvas canvas(h.szlDeviceCx, h.szlDeviceCy);
  FillWhite(canvas);
  const RECT all{0, 0, canvas.width, canvas.height};
  if (!PlayEnhMetaFile(canvas.dc, page, &all) || !PlayCodeFile(canvas.dc, codeFile, CodeRectOnPage(run))) return {};
  return CanvasMonoBmp(canvas);
}

// The code picture file alone, played at pixels per module with a quiet zone of four modules around it,
// as a 1-bit BMP file that zxing-cpp reads; empty when it cannot be played.
inline std::vector<uint8_t> CodeFileImage(const std::u16string& codeFile, int32_t modules, int32_t pixels = 8) {
  const int32_t quiet = 4 * pixels, side = modules * pixels;
  TCanvas canvas(side + 2 * quiet, side + 2 * quiet);
  FillWhite(canvas);
  if (!PlayCodeFile(canvas.dc, codeFile, RECT{quiet, quiet, quiet + side, quiet + side})) return {};
  return CanvasMonoBmp(canvas);
}

// The order the invoice page is recognised through: a type that does not match it first, then the print
// server's type (passed over while its monitor is off).
inline constexpr std::u16string_view kE2EPageOrder = u"TORG,@@,SCHT";

// The invoice's code in the lower half, at the sheet's right and bottom edges (both shares whole).
inline void PlaceInvoiceCodeLowerRight(TSettingsStore& store) {
  const std::u16string key = std::u16string(kConfigKey) + u"\\SCHT";
  store.WriteInteger(key, u"PicTop", 0);
  store.WriteInteger(key, u"PicPlace", 0x01010101);
}

// The end-to-end types in the machine's configuration (HKEY_LOCAL_MACHINE, where ProcessDecode reads
// them) with the given order and the print-server monitor off; removed again at the end.
class TMachineTypes {
 public:
  explicit TMachineTypes(std::u16string_view order) {
    for (const TE2EDocument& doc : E2EDocuments()) ok_ = ok_ && WriteE2EConfig(store_, kConfigKey, doc);
    store_.WriteText(kConfigKey, u"DocOrder", order);
    store_.WriteInteger(kConfigKey, u"PrnMonServEnable", 0);
  }
  ~TMachineTypes() {
    for (const TE2EDocument& doc : E2EDocuments())
      RegDeleteTreeW(HKEY_LOCAL_MACHINE, WStr(TypeKey(doc.DocId)));
    RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, WStr(std::u16string(kConfigKey)), L"DocOrder");
    RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, WStr(std::u16string(kConfigKey)), L"PrnMonServEnable");
  }
  TMachineTypes(const TMachineTypes&) = delete;
  TMachineTypes& operator=(const TMachineTypes&) = delete;

  bool Ok() const { return ok_; }
  static std::u16string TypeKey(std::string_view docId) {
    return std::u16string(kConfigKey) + u"\\" + AnsiToWide(std::string(docId));
  }
  TSettingsStore& Store() { return store_; }

 private:
  TRegistryStore store_;
  bool ok_ = true;
};
