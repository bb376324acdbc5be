// The record walk over a page's metafile bytes: every size, offset and count inside a record is checked
// before use, and a record that fails a check stops the walk.
#include "coding/enumemf2_records.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <set>
#include <stdexcept>

#include "coding/lib_datcoder_check.h"
#include "coding/lib_graph.h"
#include "coding/cl_macrolib_code.h"
#include "coding/enumemf2_records_reader.h"

using namespace emfrec;

namespace {

constexpr uint32_t kPsStyleMask = 0xF;
constexpr uint32_t kEmfSignature = 0x464D4520;  // " EMF"
constexpr size_t kHeaderSize = 88;
// A white polygon's sweep pairs its vertical spans; beyond these sizes a polygon gives no white area, so
// that a hostile record cannot make the sweep quadratic in the file's size.
constexpr size_t kMaxSweepSpans = 256;
constexpr size_t kSweepStepsPerSpan = 4;

int32_t Saturated(int64_t v) {
  return static_cast<int32_t>(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX));
}


}  // namespace

size_t TPathLines::Live(size_t i) {
  size_t root = i;
  while (root - start_ < next_.size() && next_[root - start_] != root) root = next_[root - start_];
  while (i != root) {
    const size_t up = next_[i - start_];
    next_[i - start_] = root;
    i = up;
  }
  return root;
}

void TPathLines::Take(const TObjectList& list, int32_t from, int32_t to, TRect& box, bool& any) {
  for (size_t i = start_ + next_.size(); i < list.size(); ++i) next_.push_back(i);
  const auto first = list.begin() + static_cast<ptrdiff_t>(start_);
  const auto lo = std::lower_bound(first, list.end(), from, [](const auto& line, int32_t n) { return line->Ident < n; });
  const auto hi = std::upper_bound(lo, list.end(), to, [](int32_t n, const auto& line) { return n < line->Ident; });
  const size_t end = static_cast<size_t>(hi - list.begin());
  for (size_t i = Live(static_cast<size_t>(lo - list.begin())); i < end; i = Live(i + 1)) {
    const TRect& r = list[i]->Rect;
    box = any ? TRect{IntMin(box.Left, r.Left), IntMin(box.Top, r.Top), IntMax(box.Right, r.Right),
                      IntMax(box.Bottom, r.Bottom)}
              : r;
    any = true;
    next_[i - start_] = i + 1;
  }
}

void TPathLines::Finish(TObjectList& list) {
  size_t kept = start_;
  for (size_t i = start_; i < list.size(); ++i)
    if (i - start_ >= next_.size() || next_[i - start_] == i) list[kept++] = std::move(list[i]);
  list.resize(kept);
  next_.clear();
}

TEnumData::TEnumData(TEMFCoder& coder, const TTextDecoding& decoding)
    : Coder(coder), CollectLines(!coder.LinesFound), Decoding(decoding), hPath_(*coder.HLines), vPath_(*coder.VLines) {
  ApplyMapMode(State, 1, Coder.Header);
  Recompose();
}

void TEnumData::Recompose() { State.Transform = MultiplyXForm(State.World, MappingOf(State)); }

TPoint TEnumData::T(int32_t x, int32_t y) const { return TransformPoint(State.Transform, x, y); }

void TEnumData::AddLine(int32_t type, TPoint a, TPoint b) {
  auto line = std::make_unique<TLine>(type, a, b, RecordNo);
  (TLine::IsVertical(a, b) ? Coder.VLines : Coder.HLines)->push_back(std::move(line));
}

TPoint TEnumData::AddLineTo(int32_t type, TPoint from, TPoint p) {
  const TPoint q = T(p.X, p.Y);
  // A null or white pen draws nothing; inside a path the lines are the path's outline, kept for a clip.
  const bool inPath = State.PathStart > State.PathEnd;
  const bool ink = State.Pen.Style != kPsNull && !IsWhiteColor(State.Pen.Color);
  if (CollectLines && (ink || inPath)) AddLine(type, from, q);
  return q;
}

void TEnumData::UpdatePositionFlags() {
  State.UseCurrentPos = (State.TextAlign & kTaUpdateCp) != 0;
  State.OwnPositionNext = 1;
}

bool TEnumData::PenInk() const {
  return CollectLines && State.Pen.Style != kPsNull && !IsWhiteColor(State.Pen.Color);
}
bool TEnumData::BrushInk() const {
  return CollectLines && State.Brush.Style != kBsNull && !IsWhiteColor(State.Brush.Color);
}
bool TEnumData::WhiteBrush() const { return State.Brush.Style != kBsNull && IsWhiteColor(State.Brush.Color); }

void TEnumData::Record(std::span<const uint8_t> bytes) {
  const TRec r(bytes);
  const int32_t type = r.I32(0);
  switch (type) {
    case kSetWindowExtEx: case kSetWindowOrgEx: case kSetViewportExtEx: case kSetViewportOrgEx:
    case kScaleViewportExtEx: case kScaleWindowExtEx: case kSetMapMode: case kSetWorldTransform:
    case kModifyWorldTransform:
      return Mapping(type, bytes);
    case kSetBkMode: State.Transparent = r.U32(8) == 1; return;
    case kSetTextAlign:
      State.TextAlign = r.U32(8);
      return UpdatePositionFlags();
    case kSetTextColor: State.TextColor = r.U32(8); return;
    case kCreatePen: case kExtCreatePen: case kCreateBrushIndirect: case kCreateMonoBrush:
    case kExtCreateFontIndirectW: case kDeleteObject:
      return CreateObject(type, bytes);
    case kSelectObject: return SelectObject(r.U32(8));
    case kSaveDC: SaveState(); return;
    case kRestoreDC: RestoreState(r.I32(8)); return;
    case kMoveToEx: {
      const TPoint p = r.Point(8);
      CurrentPos = T(p.X, p.Y);
      return UpdatePositionFlags();
    }
    case kLineTo:
      CurrentPos = AddLineTo(type, CurrentPos, r.Point(8));
      return UpdatePositionFlags();
    case kPolylineTo: case kPolylineTo16: case kPolyline: case kPolyline16: case kPolyPolyline:
    case kPolyPolyline16: case kPolygon: case kPolygon16: case kPolyPolygon: case kPolyPolygon16:
      return Paths(type, bytes);
    case kRectangle: case kRoundRect: return Rectangle(type, bytes);
    case kBitBlt: case kStretchBlt: return Blit(type, bytes);
    case kBeginPath: State.PathStart = RecordNo; return;
    case kEndPath: State.PathEnd = RecordNo; return;
    case kSelectClipPath:
      if (r.U32(8) == 5) PathToClip();  // RGN_COPY
      return;
    case kIntersectClipRect: {
      State.ClipRect = TRectOf(r.Rect(8));
      return;
    }
    case kOffsetClipRgn:
      if (IsSet(State.ClipRect)) {
        const TPoint o = r.Point(8), d = T(o.X, o.Y), z = T(0, 0);
        const int64_t dx = int64_t{d.X} - z.X, dy = int64_t{d.Y} - z.Y;
        TRect& c = State.ClipRect;
        c = TRect{Saturated(c.Left + dx), Saturated(c.Top + dy), Saturated(c.Right + dx), Saturated(c.Bottom + dy)};
      }
      return;
    case kExcludeClipRect: case kExtSelectClipRgn: State.ClipRect = TRect{}; return;
    case kGdiComment: return Comment(type, bytes);
    case kExtEscape: return Escape(type, bytes);
    case kEmrExtTextOutA: case kEmrExtTextOutW: case kPolyTextOutA: case kPolyTextOutW: return TextOuts(type, bytes);
    case kEmrSmallTextOut: return SmallTextOut(type, bytes);
    default: return;
  }
}

void TEnumData::Mapping(int32_t type, std::span<const uint8_t> bytes) {
  const TRec r(bytes);
  TDrawState& s = State;
  const bool scalable = s.MapMode == 7 || s.MapMode == 8;
  switch (type) {
    case kSetWindowExtEx: case kSetViewportExtEx: {
      const TPoint e = r.Point(8);
      // GDI takes extents only in the two scalable modes, and never a zero one.
      if (!scalable || e.X == 0 || e.Y == 0) return;
      (type == kSetWindowExtEx ? s.WindowExtX : s.ViewportExtX) = e.X;
      (type == kSetWindowExtEx ? s.WindowExtY : s.ViewportExtY) = e.Y;
      break;
    }
    case kSetWindowOrgEx: s.WindowOrg = r.Point(8); break;
    case kSetViewportOrgEx: s.ViewportOrg = r.Point(8); break;
    case kScaleViewportExtEx: case kScaleWindowExtEx: {
      const int32_t xNum = r.I32(8), xDenom = r.I32(12), yNum = r.I32(16), yDenom = r.I32(20);
      if (!scalable || xNum == 0 || xDenom == 0 || yNum == 0 || yDenom == 0) return;
      double& ex = type == kScaleWindowExtEx ? s.WindowExtX : s.ViewportExtX;
      double& ey = type == kScaleWindowExtEx ? s.WindowExtY : s.ViewportExtY;
      const double nx = std::round(ex * xNum / xDenom), ny = std::round(ey * yNum / yDenom);
      if (nx == 0 || ny == 0) return;
      ex = nx;
      ey = ny;
      break;
    }
    case kSetMapMode: ApplyMapMode(s, r.I32(8), Coder.Header); break;
    case kSetWorldTransform: s.World = r.XForm(8); break;
    case kModifyWorldTransform: {
      const TXForm x = r.XForm(8);
      switch (r.U32(32)) {
        case 1: s.World = TXForm{}; break;
        case 2: s.World = MultiplyXForm(x, s.World); break;
        case 3: s.World = MultiplyXForm(s.World, x); break;
        case 4: s.World = x; break;  // MWT_SET
        default: return;
      }
      break;
    }
    default: return;
  }
  Recompose();
}

void TEnumData::CreateObject(int32_t type, std::span<const uint8_t> bytes) {
  const TRec r(bytes);
  const uint32_t handle = r.U32(8);
  TEmfObject object;
  object.Kind = type;
  switch (type) {
    case kCreatePen:
      object.Pen = TLogPen{r.U32(12), r.I32(16), r.I32(20), r.U32(24)};
      break;
    case kExtCreatePen: {
      const int32_t width = r.I32(32);
      object.Pen = TLogPen{r.U32(28) & kPsStyleMask, width, width, r.U32(40)};
      break;
    }
    case kCreateBrushIndirect: object.Brush = TLogBrush{r.U32(12), r.U32(16), r.U32(20)}; break;
    case kCreateMonoBrush:
      // A pattern brush counts as black.
      object.Kind = kCreateBrushIndirect;
      object.Brush = TLogBrush{0, 0, 0};
      break;
    case kExtCreateFontIndirectW: {
      const std::span<const uint8_t> font = r.Bytes(12, sizeof(TLogFontW), "font outside the record");
      std::memcpy(&object.Font, font.data(), sizeof(TLogFontW));
      break;
    }
    case kDeleteObject: Objects.erase(handle); return;
    default: return;
  }
  Objects[handle] = object;
}

void TEnumData::SelectObject(uint32_t handle) {
  TDrawState& s = State;
  if (handle & 0x80000000u) {
    const uint32_t index = handle & 0x7FFFFFFFu;
    if (index <= 8) {
      // WHITE_BRUSH..DKGRAY_BRUSH, BLACK_BRUSH, NULL_BRUSH, WHITE_PEN, BLACK_PEN, NULL_PEN.
      if (index <= 3) s.Brush = TLogBrush{0, 0xFFFFFF, 0};
      else if (index == 4) s.Brush = TLogBrush{0, 0, 0};
      else if (index == 5) s.Brush = TLogBrush{kBsNull, 0, 0};
      else if (index == 6) s.Pen = TLogPen{0, 1, 0, 0xFFFFFF};
      else if (index == 7) s.Pen = TLogPen{0, 1, 0, 0};
      else s.Pen = TLogPen{kPsNull, 1, 0, 0};
      return;
    }
    if (index < 20) return;  // stock fonts and palettes leave the state alone
  }
  const auto it = Objects.find(handle);
  if (it == Objects.end()) return;
  const TEmfObject& o = it->second;
  if (o.Kind == kCreatePen || o.Kind == kExtCreatePen) {
    s.Pen = o.Pen;
  } else if (o.Kind == kCreateBrushIndirect) {
    s.Brush = o.Brush;
  } else if (o.Kind == kExtCreateFontIndirectW) {
    s.Font = o.Font;
    s.FontHash = XorFold(std::string_view(reinterpret_cast<const char*>(&o.Font), sizeof(TLogFontW)));
  }
}

void TEnumData::Paths(int32_t type, std::span<const uint8_t> bytes) {
  const TRec r(bytes);
  const bool small = type >= kPolygon16;
  const bool many = type == kPolyPolyline || type == kPolyPolyline16 || type == kPolyPolygon || type == kPolyPolygon16;
  std::vector<uint32_t> counts;
  std::vector<TPoint> points;
  if (many) {
    const uint32_t polys = r.U32(24), total = r.U32(28);
    r.Need(32, polys, 4, "polygon counts outside the record");
    uint64_t sum = 0;
    counts.resize(polys);
    for (uint32_t i = 0; i < polys; ++i) sum += counts[i] = r.U32(32 + size_t{i} * 4);
    if (sum > total) throw TEmfMalformed("polygon counts exceed the points");
    points = r.Points(32 + uint64_t{polys} * 4, total, small);
  } else {
    points = r.Points(28, r.U32(24), small);
    counts.push_back(static_cast<uint32_t>(points.size()));
  }
  if (points.empty()) return;
  if (type == kPolylineTo || type == kPolylineTo16) {
    for (const TPoint& p : points) CurrentPos = AddLineTo(type, CurrentPos, p);
    return UpdatePositionFlags();
  }
  const int16_t mode = Coder.Settings.Polygones.X;
  const bool polygons = type == kPolygon || type == kPolygon16 || type == kPolyPolygon || type == kPolyPolygon16;
  if (polygons && (mode == 0 || (many && mode != 1 && mode != 2))) return;
  size_t at = 0;
  for (const uint32_t n : counts) {
    const std::span<const TPoint> one(points.data() + at, n);
    at += n;
    if (one.empty()) continue;
    if (polygons) {
      Polygon(type, one);
      continue;
    }
    TPoint p = T(one[0].X, one[0].Y);
    for (size_t i = 1; i < one.size(); ++i) p = AddLineTo(type, p, one[i]);
  }
}

void TEnumData::Polygon(int32_t type, std::span<const TPoint> logical) {
  if (PenInk() || BrushInk()) {
    const TPoint first = T(logical[0].X, logical[0].Y);
    TPoint p = first;
    for (size_t i = 1; i <= logical.size(); ++i) {
      const TPoint q = i < logical.size() ? T(logical[i].X, logical[i].Y) : first;
      PolyEdges.emplace_back(type, p, q, RecordNo);
      p = q;
    }
    const TEnhMetaHeader& h = Coder.Header;
    const int32_t threshold = Coder.Settings.Polygones.Y;
    const int32_t tx = HundredthsToPixels(threshold, h.szlDeviceCx, h.szlMillimetersCx);
    const int32_t ty = HundredthsToPixels(threshold, h.szlDeviceCy, h.szlMillimetersCy);
    const bool dropShort = Coder.Settings.Polygones.X == 2;
    for (TLine& edge : PolyEdges) {
      const TRect& e = edge.Rect;
      if (dropShort && std::llabs(int64_t{e.Left} - e.Right) < tx && std::llabs(int64_t{e.Top} - e.Bottom) < ty)
        continue;
      const bool vertical = edge.Vertical();
      (vertical ? Coder.VLines : Coder.HLines)->push_back(std::make_unique<TLine>(std::move(edge)));
    }
    PolyEdges.clear();
  }
  if (WhiteBrush()) WhiteSweep(type, logical);
}

void TEnumData::WhiteSweep(int32_t, std::span<const TPoint> logical) {
  struct TSpan {
    int32_t X, Top, Bottom;
  };
  struct TOrder {
    bool operator()(const TSpan& a, const TSpan& b) const { return a.X != b.X ? a.X < b.X : a.Top < b.Top; }
  };
  if (logical.size() > kMaxSweepSpans) return;
  std::multiset<TSpan, TOrder> spans;
  const TPoint first = T(logical[0].X, logical[0].Y);
  TPoint p = first;
  for (size_t i = 1; i <= logical.size(); ++i) {
    const TPoint q = i < logical.size() ? T(logical[i].X, logical[i].Y) : first;
    if (p.Y != q.Y) spans.insert(TSpan{static_cast<int32_t>((int64_t{p.X} + q.X) / 2), IntMin(p.Y, q.Y), IntMax(p.Y, q.Y)});
    p = q;
  }
  auto addParts = [&](const TSpan& s, int32_t top, int32_t bottom) {
    if (top > s.Top) spans.insert(TSpan{s.X, s.Top, top});
    if (s.Bottom > bottom) spans.insert(TSpan{s.X, bottom, s.Bottom});
  };
  for (size_t steps = kSweepStepsPerSpan * logical.size(); spans.size() >= 2 && steps > 0; --steps) {
    const auto f = spans.begin();
    auto s = std::next(f);
    int32_t top = 0, bottom = 0;
    for (; s != spans.end(); ++s) {
      top = IntMax(f->Top, s->Top);
      bottom = IntMin(f->Bottom, s->Bottom);
      if (bottom > top) break;
    }
    if (s == spans.end()) {
      spans.erase(f);
      continue;
    }
    if (s->X > f->X) Coder.WhiteRects.push_back(std::make_unique<TRectProTo>(RecordNo, TRect{f->X, top, s->X, bottom}));
    const TSpan fs = *f, ss = *s;
    spans.erase(s);
    spans.erase(f);
    addParts(ss, top, bottom);
    addParts(fs, top, bottom);
  }
}

void TEnumData::Rectangle(int32_t type, std::span<const uint8_t> bytes) {
  const TRect b = TRec(bytes).Rect(8);
  if (!PenInk() && !BrushInk()) return;
  const TPoint lt = T(b.Left, b.Top), rt = T(b.Right, b.Top), rb = T(b.Right, b.Bottom), lb = T(b.Left, b.Bottom);
  if (State.Brush.Style != kBsNull && !IsWhiteColor(State.Brush.Color)) return AddLine(type, lt, rb);  // a filled bar
  // Each edge by its own orientation, so that a rotated box keeps its edges in the right lists.
  AddLine(type, lt, rt);
  AddLine(type, lb, rb);
  AddLine(type, rt, rb);
  AddLine(type, lt, lb);
}

void TEnumData::Blit(int32_t type, std::span<const uint8_t> bytes) {
  const TRec r(bytes);
  const TRect bounds = r.Rect(8);
  const uint32_t rop = r.U32(40), usage = r.U32(80), offBmi = r.U32(84), cbBmi = r.U32(88), offBits = r.U32(92),
                 cbBits = r.U32(96);
  // The literal style 5 (not BS_NULL) as the blits have always been read: a blit drawn with no brush
  // still counts.
  // Inverted bounds mark a blit that painted nothing.
  if (!CollectLines || State.Brush.Style == 5 || bounds.Left > bounds.Right || bounds.Top > bounds.Bottom) return;
  bool sourceDark = false;
  if (cbBmi != 0 && cbBits != 0) {
    r.Need(offBits, cbBits, 1, "bitmap bits outside the record");
    sourceDark = DibIsDark(r.Bytes(offBmi, cbBmi, "bitmap header outside the record"), cbBits, usage);
  }
  if (BlitIsDark(State.Brush.Color, sourceDark, rop))
    AddLine(type, TPoint{bounds.Left, bounds.Top}, TPoint{bounds.Right, bounds.Bottom});
  else
    Coder.WhiteRects.push_back(std::make_unique<TRectProTo>(RecordNo, bounds));
}

void TEnumData::PathToClip() {
  TDrawState& s = State;
  TRect box;
  bool any = false;
  if (s.PathEnd > s.PathStart) {
    hPath_.Take(*Coder.HLines, s.PathStart, s.PathEnd, box, any);
    vPath_.Take(*Coder.VLines, s.PathStart, s.PathEnd, box, any);
    s.PathStart = s.PathEnd = 0;
  }
  s.ClipRect = any && box.Left <= box.Right && box.Top <= box.Bottom ? box : TRect{};
}

void TEnumData::FinishPaths() {
  hPath_.Finish(*Coder.HLines);
  vPath_.Finish(*Coder.VLines);
}

void TEnumData::Comment(int32_t type, std::span<const uint8_t> bytes) {
  const TRec r(bytes);
  const uint32_t size = r.U32(8);
  const TRec d(r.Bytes(12, size, "comment data outside the record"));
  if (!CollectLines || !Coder.Settings.HPGdiComment || size < 8) return;
  const uint32_t id = d.U32(0), kind = d.U32(4);
  const TEnhMetaHeader& h = Coder.Header;
  if (size == 28 && id == 0x43494447 && kind == 2) {  // "GDIC": the resolution of the comments to come
    State.CommentRes = TPoint{d.I32(16), d.I32(20)};
  } else if (size >= 28 && id == 0x00004358 && kind == 15) {  // "XC": a ruled line in logical units
    const TPoint a = d.Point(8), b = d.Point(16);
    AddLine(type, T(a.X, a.Y), T(b.X, b.Y));
  } else if (size == 28 && id == 0x43494448 && kind == 1) {  // "HDIC": a ruled line at the comments' resolution
    const int32_t x = static_cast<int16_t>(d.U16(16)), y = static_cast<int16_t>(d.U16(18));
    const int32_t cx = static_cast<int16_t>(d.U16(20)), cy = static_cast<int16_t>(d.U16(22));
    double x1 = x, x2 = x + cx, y1 = y, y2 = y + cy;
    if (State.CommentRes.X != 0) {
      const double f = static_cast<double>(h.szlDeviceCx) / State.CommentRes.X;
      x1 *= f;
      x2 *= f;
    }
    if (State.CommentRes.Y != 0) {
      const double f = static_cast<double>(h.szlDeviceCy) / State.CommentRes.Y;
      y1 *= f;
      y2 *= f;
    }
    AddLine(type, TPoint{RoundToInt(x1), RoundToInt(y1)}, TPoint{RoundToInt(x2), RoundToInt(y2)});
  }
}

void TEnumData::Escape(int32_t type, std::span<const uint8_t> bytes) {
  const TRec r(bytes);
  const uint32_t escape = r.U32(8), size = r.U32(12);
  const TRec d(r.Bytes(16, size, "escape data outside the record"));
  if (!CollectLines || !Coder.Settings.HPGdiComment || escape != 25 || size != 20) return;  // DRAWPATTERNRECT
  const TPoint at = d.Point(0), extent = d.Point(8);
  AddLine(type, at, TPoint{Saturated(int64_t{at.X} + extent.X), Saturated(int64_t{at.Y} + extent.Y)});
}

THeaderRead ReadEnhMetaHeader(std::span<const uint8_t> bytes, TEnhMetaHeader& h, std::string& error) {
  if (bytes.size() < kHeaderSize) {
    error = "shorter than a metafile header";
    return THeaderRead::NotAHeader;
  }
  const TRec r(bytes);
  h.iType = r.U32(0);
  h.nSize = r.U32(4);
  h.rclBounds = r.Rect(8);
  h.rclFrame = r.Rect(24);
  h.dSignature = r.U32(40);
  h.nVersion = r.U32(44);
  h.nBytes = r.U32(48);
  h.nRecords = r.U32(52);
  h.nHandles = r.U16(56);
  h.sReserved = r.U16(58);
  h.nDescription = r.U32(60);
  h.offDescription = r.U32(64);
  h.nPalEntries = r.U32(68);
  h.szlDeviceCx = r.I32(72);
  h.szlDeviceCy = r.I32(76);
  h.szlMillimetersCx = r.I32(80);
  h.szlMillimetersCy = r.I32(84);
  if (h.iType != 1 || h.dSignature != kEmfSignature || h.nSize < kHeaderSize || h.nSize > bytes.size()) {
    error = "no enhanced metafile header";
    return THeaderRead::NotAHeader;
  }
  // The page's pixels and millimetres scale every fixed map mode and threshold.
  if (h.szlDeviceCx <= 0 || h.szlDeviceCy <= 0 || h.szlMillimetersCx <= 0 || h.szlMillimetersCy <= 0) {
    error = "the header has no reference device";
    return THeaderRead::NoReferenceDevice;
  }
  return THeaderRead::Ok;
}

namespace {
// The records after the header, interpreted until EOF or the first that fails a check.
void WalkRecords(std::span<const uint8_t> bytes, TEnumData& data, TEmfWalkResult& result) {
  size_t at = 0;
  while (at < bytes.size()) {
    ++data.RecordNo;
    result.Records = data.RecordNo;
    auto where = [&] { return "record " + std::to_string(data.RecordNo); };
    if (bytes.size() - at < 8) {
      result.Error = where() + ": truncated";
      return;
    }
    const TRec head(bytes.subspan(at, 8));
    const uint32_t type = head.U32(0), size = head.U32(4);
    if (size < 8 || size % 4 != 0 || size > bytes.size() - at) {
      result.Error = where() + " (" + EmfRecordName(type) + "): size " + std::to_string(size) + " does not fit";
      return;
    }
    if (data.RecordNo == 1 || type == kEmrHeader) {
      if ((data.RecordNo == 1) != (type == kEmrHeader)) {
        result.Error = where() + ": a header out of place";
        return;
      }
    } else {
      try {
        data.Record(bytes.subspan(at, size));
      } catch (const TEmfMalformed& e) {
        result.Error = where() + " (" + EmfRecordName(type) + "): " + e.what();
        return;
      }
    }
    at += size;
    if (type == kEof) break;
  }
  result.Ok = true;
}
}  // namespace

TEmfWalkResult WalkEmfRecords(std::span<const uint8_t> bytes, TEMFCoder& coder, TGlyphResolver* glyphs) {
  TEmfWalkResult result;
  if (ReadEnhMetaHeader(bytes, coder.Header, result.Error) != THeaderRead::Ok) return result;
  const TCodePageSystem& pages = coder.CodeServices ? coder.CodeServices->CodePages() : DefaultCodePages();
  const TTextDecoding decoding{pages, static_cast<uint8_t>(coder.DefaultCharset), coder.Settings.NoUnicode,
                               coder.Settings.LongSign, glyphs};
  TEnumData data(coder, decoding);
  WalkRecords(bytes, data, result);
  data.FinishPaths();
  return result;
}

