// The redraw's device calls: header, white fill, playback, world transform, pen and fonts.
#include "coding/cl_emfcoder_draw_win.h"

#include <atomic>
#include <cstring>

#include "coding/cl_emfcoder_draw.h"
#include "coding/enumemf2_measure_win.h"
#include "foundation/lib_handle_win.h"
#include "foundation/lib_unicode_win.h"

namespace {
std::atomic<bool> g_refuseTransform{false};

// A DC's state saved for one scope.
class TSavedDC {
 public:
  explicit TSavedDC(HDC dc) : dc_(dc), saved_(SaveDC(dc)) {}
  ~TSavedDC() { RestoreDC(dc_, saved_); }
  TSavedDC(const TSavedDC&) = delete;
  TSavedDC& operator=(const TSavedDC&) = delete;

 private:
  HDC dc_;
  int saved_;
};

// A GDI object selected for one scope, deselected before its owner deletes it.
class TSelected {
 public:
  TSelected(HDC dc, HGDIOBJ object) : object_(object), dc_(dc), old_(object ? SelectObject(dc, object) : nullptr) {}
  ~TSelected() {
    if (old_) SelectObject(dc_, old_);
  }
  TSelected(const TSelected&) = delete;
  TSelected& operator=(const TSelected&) = delete;

 private:
  TGdiObject object_;
  HDC dc_;
  HGDIOBJ old_;
};


double PerMillimetre(HDC dc, int pixels, int millimetres) {
  const int mm = GetDeviceCaps(dc, millimetres);
  return mm > 0 ? static_cast<double>(GetDeviceCaps(dc, pixels)) / mm : 0.0;
}

bool AcceptsScale(HDC dc, double sx, double sy) {
  SetGraphicsMode(dc, GM_ADVANCED);
  if (g_refuseTransform) return false;
  XFORM xf{static_cast<FLOAT>(sx), 0, 0, static_cast<FLOAT>(sy), 0, 0};
  return SetWorldTransform(dc, &xf) != 0;
}

void DrawLines(HDC dc, const std::vector<std::vector<TPoint>>& lines) {
  if (lines.empty()) return;
  TSavedDC saved(dc);
  LOGPEN pen{PS_SOLID, POINT{1, 0}, RGB(0, 0, 0)};
  TSelected selected(dc, CreatePenIndirect(&pen));
  std::vector<POINT> points;
  for (const std::vector<TPoint>& line : lines) {
    points.clear();
    for (const TPoint& p : line) points.push_back(POINT{p.X, p.Y});
    Polyline(dc, points.data(), static_cast<int>(points.size()));
  }
}

HFONT CreateTextFont(const TLogFontW& font) {
  LOGFONTW wide{};
  static_assert(sizeof wide == sizeof font);
  std::memcpy(&wide, &font, sizeof wide);
  if (UseWideApi()) return CreateFontIndirectW(&wide);
  const LOGFONTA ansi = LogFontToAnsi(wide);
  return CreateFontIndirectA(&ansi);
}

void DrawString(HDC dc, int x, int y, std::u16string_view text) {
  if (UseWideApi()) {
    TextOutW(dc, x, y, reinterpret_cast<const wchar_t*>(text.data()), static_cast<int>(text.size()));
  } else {
    const std::string ansi = WideToAnsi(text);
    TextOutA(dc, x, y, ansi.data(), static_cast<int>(ansi.size()));
  }
}

void DrawTexts(HDC dc, const std::vector<TRedrawText>& texts) {
  if (texts.empty()) return;
  TSavedDC saved(dc);
  SetBkMode(dc, TRANSPARENT);
  for (const TRedrawText& text : texts) {
    TSelected font(dc, CreateTextFont(text.Font));
    SetTextColor(dc, text.Color);
    if (text.Edges.empty()) {
      DrawString(dc, text.At.X, text.At.Y, text.Text);
      continue;
    }
    for (size_t i = 0; i < text.Edges.size(); ++i)
      DrawString(dc, text.Edges[i], text.At.Y, std::u16string_view(text.Text).substr(i, 1));
  }
  SetBkMode(dc, OPAQUE);
}
}  // namespace

void ReadHeader(HENHMETAFILE page, TEnhMetaHeader& header) {
  ENHMETAHEADER h{};
  if (!page || GetEnhMetaFileHeader(page, sizeof h, &h) == 0) return;
  header.iType = h.iType;
  header.nSize = h.nSize;
  header.rclBounds = TRect{h.rclBounds.left, h.rclBounds.top, h.rclBounds.right, h.rclBounds.bottom};
  header.rclFrame = TRect{h.rclFrame.left, h.rclFrame.top, h.rclFrame.right, h.rclFrame.bottom};
  header.dSignature = h.dSignature;
  header.nVersion = h.nVersion;
  header.nBytes = h.nBytes;
  header.nRecords = h.nRecords;
  header.nHandles = h.nHandles;
  header.sReserved = h.sReserved;
  header.nDescription = h.nDescription;
  header.offDescription = h.offDescription;
  header.nPalEntries = h.nPalEntries;
  header.szlDeviceCx = h.szlDevice.cx;
  header.szlDeviceCy = h.szlDevice.cy;
  header.szlMillimetersCx = h.szlMillimeters.cx;
  header.szlMillimetersCy = h.szlMillimeters.cy;
}

void SetWorldTransformRefusedForTesting(bool refused) { g_refuseTransform = refused; }

void DrawPage(TEMFCoder& coder, HDC dc, HENHMETAFILE page, TSize size, bool fit) {
  if (!dc || coder.Mode == 0) return;
  ReadHeader(page, coder.Header);
  const TEnhMetaHeader& header = coder.Header;
  RECT out{0, 0, size.cx, size.cy};
  TSize target = size;
  if (fit) {
    const TRect r = FrameToDevice(header.rclFrame, PerMillimetre(dc, HORZRES, HORZSIZE), PerMillimetre(dc, VERTRES, VERTSIZE));
    out = RECT{r.Left, r.Top, r.Right, r.Bottom};
    target = TSize{GetDeviceCaps(dc, HORZRES), GetDeviceCaps(dc, VERTRES)};
  }
  FillRect(dc, &out, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  if ((coder.Mode & 1) && page) PlayEnhMetaFile(dc, page, &out);
  // A header without a device size gives no scale: the page model cannot be placed.
  if (header.szlDeviceCx <= 0 || header.szlDeviceCy <= 0) return;
  const double sx = static_cast<double>(target.cx) / header.szlDeviceCx;
  const double sy = static_cast<double>(target.cy) / header.szlDeviceCy;
  const TRedrawScale software = AcceptsScale(dc, sx, sy) ? TRedrawScale{} : TRedrawScale{sx, sy};
  const TRedrawPlan plan = PlanRedraw(coder.Mode, *coder.HLines, *coder.VLines, *coder.Texts,
                                      RedrawPenWidth(coder.Settings.DrawWidth, header, software.Y), software);
  DrawLines(dc, plan.Lines);
  DrawTexts(dc, plan.Texts);
}
