// The records of a page's enhanced metafile read without drawing: the drawing state is kept here, and
// texts, ruled lines and white areas go into the coder's page model in reference-device pixels.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <unordered_map>
#include <vector>

#include "coding/cl_emfcoder.h"
#include "coding/enumemf2.h"
#include "coding/enumemf2_decode.h"

// LOGPEN and LOGBRUSH as the records carry them.
struct TLogPen {
  uint32_t Style = 0;
  int32_t WidthX = 1;
  int32_t WidthY = 0;
  uint32_t Color = 0;
};
struct TLogBrush {
  uint32_t Style = 0;
  uint32_t Color = 0xFFFFFF;
  uint32_t Hatch = 0;
};

inline constexpr uint32_t kPsNull = 5;
inline constexpr uint32_t kBsNull = 1;

// The part of the drawing state that SAVEDC saves and RESTOREDC brings back. The world transform and
// the window-to-viewport mapping are kept apart, as GDI keeps them: a point goes through the world
// transform, then the mapping; Transform is that composition.
struct TDrawState {
  int32_t MapMode = 1;
  TXForm World;
  TXForm Transform;
  uint8_t OwnPositionNext = 1;
  uint8_t UseCurrentPos = 0;
  uint8_t Transparent = 0;
  TPoint WindowOrg, ViewportOrg;
  // Extents of the mapping as GDI holds them for the map mode (the fixed modes' own, or the records').
  double WindowExtX = 1, WindowExtY = 1, ViewportExtX = 1, ViewportExtY = 1;
  TLogPen Pen;
  TLogBrush Brush;
  uint32_t TextColor = 0;
  uint32_t TextAlign = 0;
  TRect ClipRect;  // all zero: no clip
  uint32_t FontHash = 0;
  TPoint CommentRes;
  int32_t PathStart = 0, PathEnd = 0;
  TLogFontW Font;
};

// A GDI object a record created: its creating record's type and its bytes (LOGPEN-shaped for pens).
struct TEmfObject {
  int32_t Kind = 0;
  TLogPen Pen;
  TLogBrush Brush;
  TLogFontW Font;
};

// The mapping of a map mode on the page's reference device, and the composition of world and mapping.
TXForm MappingOf(const TDrawState& state);
TXForm MultiplyXForm(const TXForm& a, const TXForm& b);  // a point goes through a, then b
// Extents GDI gives a map mode (1 MM_TEXT to 6 MM_TWIPS); the isotropic and anisotropic modes keep theirs.
void ApplyMapMode(TDrawState& state, int32_t mode, const TEnhMetaHeader& header);

// The lines a path's records drew, taken into a clip. The walk adds lines in record order, so a path's
// lines stand together in each list and are found by their numbers; a taken line stays in its list, marked,
// until the walk ends, and runs of marked lines are skipped, so no clip walks a line twice.
class TPathLines {
 public:
  explicit TPathLines(const TObjectList& list) : start_(list.size()) {}
  // Marks the lines numbered from..to that the walk added, widening box (when any) by each.
  void Take(const TObjectList& list, int32_t from, int32_t to, TRect& box, bool& any);
  // Removes the marked lines.
  void Finish(TObjectList& list);

 private:
  size_t Live(size_t i);

  size_t start_;
  // For an index from start_ on, the next line at or after it that is not taken (path-compressed).
  std::vector<size_t> next_;
};

// The saved states a page may hold: far more than any producer nests, few enough to stay small.
inline constexpr size_t kMaxSavedStates = 4096;

class TEnumData {
 public:
  TEnumData(TEMFCoder& coder, const TTextDecoding& decoding);

  // Interprets one record (its type and size checked by the caller); a malformed one throws
  // emfrec::TEmfMalformed (enumemf2_records_reader.h), which WalkEmfRecords turns into its error.
  void Record(std::span<const uint8_t> record);

  // False (logged once) when kMaxSavedStates states are saved already.
  bool SaveState();
  // level < 0 pops -level states; level > 0 brings back the state saved at that level. False (the state
  // unchanged) when the stack does not hold the level.
  bool RestoreState(int32_t level);
  // Once the walk has ended: the lines taken into clips leave the page.
  void FinishPaths();

  int32_t RecordNo = 0;
  TPoint CurrentPos;
  TDrawState State;
  std::vector<TDrawState> Stack;
  std::unordered_map<uint32_t, TEmfObject> Objects;
  TEMFCoder& Coder;
  bool CollectLines;
  TTextDecoding Decoding;
  std::vector<TLine> PolyEdges;

 private:
  bool saveRefused_ = false;
  TPathLines hPath_, vPath_;

  void Recompose();
  TPoint T(int32_t x, int32_t y) const;
  void AddLine(int32_t type, TPoint a, TPoint b);
  TPoint AddLineTo(int32_t type, TPoint from, TPoint p);
  void UpdatePositionFlags();
  bool PenInk() const;
  bool BrushInk() const;
  bool WhiteBrush() const;

  void Mapping(int32_t type, std::span<const uint8_t> r);
  void CreateObject(int32_t type, std::span<const uint8_t> r);
  void SelectObject(uint32_t handle);
  void Paths(int32_t type, std::span<const uint8_t> r);
  void Polygon(int32_t type, std::span<const TPoint> logical);
  void WhiteSweep(int32_t type, std::span<const TPoint> logical);
  void Rectangle(int32_t type, std::span<const uint8_t> r);
  void Blit(int32_t type, std::span<const uint8_t> r);
  void PathToClip();
  void Comment(int32_t type, std::span<const uint8_t> r);
  void Escape(int32_t type, std::span<const uint8_t> r);
  // The device rectangle of a logical one, upright whatever the mapping's directions.
  TRect TRectOf(const TRect& logical) const;
  void TextOuts(int32_t type, std::span<const uint8_t> r);
  void SmallTextOut(int32_t type, std::span<const uint8_t> r);
  void AddText(int32_t type, std::u16string text, TPoint reference, const TRect& clip, const TRect& bounds,
               std::vector<int32_t> advances, double xScale, double yScale);
};

struct TEmfWalkResult {
  bool Ok = false;
  int32_t Records = 0;  // records seen, the failing one included
  std::string Error;    // why the walk stopped
};

enum class THeaderRead { Ok, NotAHeader, NoReferenceDevice };
// The first 100 bytes of an enhanced metafile; a page must have a reference device in pixels and millimetres.
THeaderRead ReadEnhMetaHeader(std::span<const uint8_t> bytes, TEnhMetaHeader& header, std::string& error);

// The page's metafile bytes into the coder's Header, Texts, HLines, VLines and WhiteRects. A malformed
// record stops the walk: the page does not parse. glyphs may be nil (the classic glyph order).
TEmfWalkResult WalkEmfRecords(std::span<const uint8_t> bytes, TEMFCoder& coder, TGlyphResolver* glyphs = nullptr);
