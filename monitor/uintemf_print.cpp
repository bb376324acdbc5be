#include "monitor/uintemf_print.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>
#include <utility>

namespace {
// Offsets in the two DEVMODE layouts: they differ only by the device name's 32 characters being
// UTF-16 or 8-bit.
struct TDevModeLayout {
  size_t Size, Fields, Orientation, PaperSize, PaperLength, PaperWidth, Copies;
};
constexpr TDevModeLayout kWideLayout{68, 72, 76, 78, 80, 82, 86};
constexpr TDevModeLayout kAnsiLayout{36, 40, 44, 46, 48, 50, 54};

const TDevModeLayout& LayoutOf(bool wide) { return wide ? kWideLayout : kAnsiLayout; }

template <class T>
T Load(std::span<const uint8_t> bytes, size_t at) {
  T value;
  std::memcpy(&value, bytes.data() + at, sizeof value);
  return value;
}
template <class T>
void Store(std::span<uint8_t> bytes, size_t at, T value) {
  std::memcpy(bytes.data() + at, &value, sizeof value);
}

bool HoldsPaperFields(std::span<const uint8_t> devMode, const TDevModeLayout& layout) {
  const size_t end = layout.Copies + sizeof(int16_t);
  return devMode.size() >= end && Load<uint16_t>(devMode, layout.Size) >= end;
}

// Paper sizes whose dimensions a job may leave out (0.1 mm, length then width).
struct TKnownPaper {
  int16_t Size, Length, Width;
};
constexpr TKnownPaper kKnownPapers[] = {{8, 4200, 2970}, {9, 2970, 2100}, {10, 2970, 2100}, {66, 5940, 4200}};
}  // namespace

bool ReadPaperFields(std::span<const uint8_t> devMode, bool wide, TPaperFields& fields) {
  const TDevModeLayout& layout = LayoutOf(wide);
  if (!HoldsPaperFields(devMode, layout)) return false;
  fields.Fields = Load<uint32_t>(devMode, layout.Fields);
  fields.Orientation = Load<int16_t>(devMode, layout.Orientation);
  fields.PaperSize = Load<int16_t>(devMode, layout.PaperSize);
  fields.PaperLength = Load<int16_t>(devMode, layout.PaperLength);
  fields.PaperWidth = Load<int16_t>(devMode, layout.PaperWidth);
  fields.Copies = Load<int16_t>(devMode, layout.Copies);
  return true;
}

bool WritePaperFields(std::span<uint8_t> devMode, bool wide, const TPaperFields& fields) {
  const TDevModeLayout& layout = LayoutOf(wide);
  if (!HoldsPaperFields(devMode, layout)) return false;
  Store(devMode, layout.Fields, fields.Fields);
  Store(devMode, layout.Orientation, fields.Orientation);
  Store(devMode, layout.PaperSize, fields.PaperSize);
  Store(devMode, layout.PaperLength, fields.PaperLength);
  Store(devMode, layout.PaperWidth, fields.PaperWidth);
  Store(devMode, layout.Copies, fields.Copies);
  return true;
}

bool CopyPaperSettings(std::span<const uint8_t> jobMode, std::span<uint8_t> destMode, bool wide) {
  if (jobMode.empty()) return true;
  TPaperFields job, dest;
  if (!ReadPaperFields(jobMode, wide, job) || !ReadPaperFields(destMode, wide, dest)) return false;
  if (job.PaperLength == 0 && job.PaperWidth == 0) {
    for (const TKnownPaper& paper : kKnownPapers)
      if (paper.Size == job.PaperSize) {
        job.PaperLength = paper.Length;
        job.PaperWidth = paper.Width;
      }
  }
  if (job.Fields & kDmOrientation) {
    dest.Orientation = job.Orientation;
    dest.Fields |= kDmOrientation;
  }
  if ((job.Fields & kDmPaperSize) && job.PaperSize >= 0 && job.PaperSize <= 10) {
    dest.PaperSize = job.PaperSize;
    dest.Fields |= kDmPaperSize;
  } else if (job.PaperLength != 0 && job.PaperWidth != 0) {
    // A size the destination may not know is only given as user-defined when it can be measured.
    dest.PaperSize = kDmPaperUser;
    dest.Fields |= kDmPaperSize;
  }
  if (job.PaperLength != 0) {
    dest.PaperLength = job.PaperLength;
    dest.Fields |= kDmPaperLength;
  }
  if (job.PaperWidth != 0) {
    dest.PaperWidth = job.PaperWidth;
    dest.Fields |= kDmPaperWidth;
  }
  return WritePaperFields(destMode, wide, dest);
}

uint32_t JobCopies(std::span<const uint8_t> jobMode, bool wide) {
  TPaperFields job;
  if (!ReadPaperFields(jobMode, wide, job) || !(job.Fields & kDmCopies) || job.Copies < 1) return 1;
  return static_cast<uint32_t>(job.Copies);
}

void AddPageCopies(TWideStringArray& pages, std::u16string_view pageFile, uint32_t copies) {
  for (uint32_t i = 0; i < copies; ++i) pages.Add(pageFile);
}

std::string CopiesLetters(const TCodeResultRec& rec, bool codeFileExists) {
  const size_t length = strnlen(rec.Pages, kCodePagesLetters);
  if (length == 0 || rec.FileType >= 2 || !codeFileExists) return "N";
  return std::string(rec.Pages, length);
}

std::u16string CodeFileName(const TCodeResultRec& rec) {
  size_t length = 0;
  while (length < kCodeFileNameUnits && rec.FileName[length] != 0) ++length;
  return std::u16string(rec.FileName, length);
}

TRect CodeRect(int32_t x, int32_t y, const TRect& frame) {
  // The frame comes from the picture's file: sums past the 32-bit range are held at its ends.
  const auto clamp = [](int64_t v) {
    return static_cast<int32_t>(std::clamp<int64_t>(v, INT32_MIN + 1, INT32_MAX));
  };
  return TRect{clamp(int64_t{x} + frame.Left), clamp(-(int64_t{y} + frame.Top)), clamp(int64_t{x} + frame.Right),
               clamp(-(int64_t{y} + frame.Bottom))};
}

void MatchRectToOrientation(TRect& rect, bool portrait) {
  const bool tall = rect.Bottom - rect.Top > rect.Right - rect.Left;
  if (tall == portrait) return;
  std::swap(rect.Left, rect.Top);
  std::swap(rect.Right, rect.Bottom);
}

bool FrameInPixels(const TRect& frame, TSize res, TSize sizeMm, TRect& pixels) {
  if (sizeMm.cx == 0 || sizeMm.cy == 0) return false;
  const double scaleX = static_cast<double>(res.cx) / sizeMm.cx;
  const double scaleY = static_cast<double>(res.cy) / sizeMm.cy;
  const double values[4] = {frame.Left / 100.0 * scaleX, frame.Top / 100.0 * scaleY, frame.Right / 100.0 * scaleX,
                            frame.Bottom / 100.0 * scaleY};
  int32_t rounded[4];
  for (int i = 0; i < 4; ++i) {
    // Half-way values go to the even neighbour, as the system's own rounding does.
    const double v = std::nearbyint(values[i]);
    if (!(std::fabs(v) < 2147483647.0)) return false;
    rounded[i] = static_cast<int32_t>(v);
  }
  pixels = TRect{rounded[0], rounded[1], rounded[2], rounded[3]};
  return true;
}

bool ParsePlaceableWmf(std::span<const uint8_t> file, TPlaceableWmf& wmf) {
  constexpr size_t kPlaceableHeader = 22;
  constexpr size_t kMetaHeader = 18;
  constexpr uint32_t kKey = 0x9AC6CDD7;
  if (file.size() < kPlaceableHeader + kMetaHeader || Load<uint32_t>(file, 0) != kKey) return false;
  const uint64_t words = Load<uint32_t>(file, kPlaceableHeader + 6);
  if (words < kMetaHeader / 2 || kPlaceableHeader + 2 * words > file.size()) return false;
  wmf.Bounds = TRect{Load<int16_t>(file, 6), Load<int16_t>(file, 8), Load<int16_t>(file, 10), Load<int16_t>(file, 12)};
  wmf.Bits = file.subspan(kPlaceableHeader, static_cast<size_t>(2 * words));
  return true;
}
