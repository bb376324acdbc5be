#include "coding/cl_emfcoder_parse.h"

#include <exception>
#include <string>

#include "coding/cl_blank.h"
#include "coding/cl_macrolib_code.h"
#include "coding/enumemf2_records.h"
#include "foundation/lib_str.h"

namespace {
int16_t ToSmall(int32_t v) { return static_cast<int16_t>(IntMax(-32768, IntMin(32767, v))); }

// A pair in 0.01 mm as reference-device pixels.
TSmallPoint PairToPixels(TSmallPoint hundredths, const TEnhMetaHeader& h) {
  return TSmallPoint{ToSmall(HundredthsToPixels(hundredths.X, h.szlDeviceCx, h.szlMillimetersCx)),
                     ToSmall(HundredthsToPixels(hundredths.Y, h.szlDeviceCy, h.szlMillimetersCy))};
}

void AddFinderLines(TEMFCoder& coder) {
  const TLineSearchResult& found = *coder.LineSeeker;
  for (size_t i = 0; i < found.HorzLines.size(); ++i) {
    const TRect& r = found.HorzLines[i];
    coder.HLines->push_back(std::make_unique<TLine>(0, TPoint{r.Left, r.Top}, TPoint{r.Right, r.Bottom},
                                                    static_cast<int32_t>(i)));
  }
  for (size_t i = 0; i < found.VertLines.size(); ++i) {
    const TRect& r = found.VertLines[i];
    coder.VLines->push_back(std::make_unique<TLine>(0, TPoint{r.Left, r.Top}, TPoint{r.Right, r.Bottom},
                                                    static_cast<int32_t>(i)));
  }
}

void CleanUpLines(TEMFCoder& coder, TSmallPoint lineLen) {
  const TSmallPoint t = coder.SortTolerance;
  auto mergeAll = [&] {
    coder.MergeLines(TSmallPoint{t.X, 0}, false);
    coder.MergeLines(t, false);
    coder.MergeLines(TSmallPoint{0, t.Y}, true);
    coder.MergeLines(t, true);
  };
  mergeAll();
  coder.RemoveShortLines(lineLen);
  coder.ConnectLines(true, t);
  coder.ConnectLines(false, t);
  mergeAll();
}

bool ParseWalkedPage(TEMFCoder& coder, std::span<const uint8_t> bytes, TPageDevice& device) {
  const TEnhMetaHeader& h = coder.Header;
  coder.SortTolerance = PairToPixels(coder.Settings.PointSize, h);
  const TSmallPoint lineLen = PairToPixels(coder.Settings.LineLen, h);
  const TSmallPoint margin = PairToPixels(coder.Settings.LineWidth, h);
  const TEmfWalkResult walk = WalkEmfRecords(bytes, coder, device.Glyphs());
  if (!walk.Ok) {
    if (coder.Log) {
      coder.Log->ReportError(u"EnumEnhMetaFile");
      coder.Log->Add("    " + walk.Error);
    }
    return false;
  }
  if (coder.LinesFound) AddFinderLines(coder);
  coder.EraseLinesUnderWhiteRects(TPoint{margin.X, margin.Y});
  device.BuildTexts(coder);
  if (coder.BlankMode == 1 && !coder.LoadBlank()) {
    if (coder.CodeServices) coder.CodeServices->ShowError(kBlankParamsErrorText);
    return false;
  }
  CleanUpLines(coder, lineLen);
  coder.JoinTexts();
  return true;
}
}  // namespace

bool ParsePageBytes(TEMFCoder& coder, std::span<const uint8_t> bytes, TPageDevice& device) {
  const uint32_t start = coder.Log ? coder.Log->TickCount() : 0;
  coder.ScanStarted();
  std::string error;
  const THeaderRead header = ReadEnhMetaHeader(bytes, coder.Header, error);
  if (header == THeaderRead::NotAHeader) {
    if (coder.Log) coder.Log->ReportError(u"GetEnhMetaFileHeader");
    return false;
  }
  bool parsed = false;
  try {
    parsed = header == THeaderRead::Ok && ParseWalkedPage(coder, bytes, device);
  } catch (const std::exception&) {
    parsed = false;
  }
  if (coder.Log) coder.Log->AddElapsed(start);
  return parsed;
}
