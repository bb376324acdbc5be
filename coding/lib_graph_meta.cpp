// Code pictures as metafiles: a placeable WMF (16-bit coordinates, 2540 units per inch) and an EMF,
// each either one rectangle per dark module or an embedded bitmap; and the EMF record names.
#include <filesystem>
#include <fstream>
#include <limits>
#include <system_error>

#include "coding/lib_graph.h"

namespace {

class TWriter {
 public:
  explicit TWriter(std::vector<uint8_t>& out) : o_(out) {}
  void U16(uint32_t v) {
    o_.push_back(static_cast<uint8_t>(v));
    o_.push_back(static_cast<uint8_t>(v >> 8));
  }
  void U32(uint32_t v) {
    U16(v & 0xFFFF);
    U16(v >> 16);
  }
  void I16(int32_t v) { U16(static_cast<uint32_t>(v) & 0xFFFF); }
  void I32(int32_t v) { U32(static_cast<uint32_t>(v)); }
  void Bytes(const uint8_t* p, size_t n) { o_.insert(o_.end(), p, p + n); }
  size_t Size() const { return o_.size(); }
  void Patch32(size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) o_[at + i] = static_cast<uint8_t>(v >> (8 * i));
  }

 private:
  std::vector<uint8_t>& o_;
};

int32_t EffectiveScale(int32_t bitmapScale) {
  if (bitmapScale == 0) return 0;
  return (bitmapScale == 2 || bitmapScale == 4 || bitmapScale == 8) ? bitmapScale : 1;
}

bool Module(const TMonoPicture& p, TPictureSize s, int32_t x, int32_t y) {
  const size_t stride = (static_cast<size_t>(s.Width) + 7) / 8;
  return (p[stride * static_cast<size_t>(y) + static_cast<size_t>(x) / 8] >> (7 - x % 8)) & 1;
}

// Sizes in logical units (0.01 mm), checked against the coordinate range of the format.
bool Extents(const TMonoPicture& picture, TPictureSize size, int32_t moduleSize, int64_t limit, int32_t& w,
             int32_t& h) {
  if (size.Width <= 0 || size.Height <= 0 || moduleSize <= 0) return false;
  if (static_cast<int64_t>(picture.size()) < PictureByteSize(size)) return false;
  const int64_t ww = static_cast<int64_t>(moduleSize) * size.Width;
  const int64_t hh = static_cast<int64_t>(moduleSize) * size.Height;
  if (ww > limit || hh > limit) return false;
  w = static_cast<int32_t>(ww);
  h = static_cast<int32_t>(hh);
  return true;
}

// The BMP image without its 14-byte file header: information header, palette, bits.
bool Dib(const TMonoPicture& picture, TPictureSize size, int32_t scale, std::vector<uint8_t>& dib) {
  std::vector<uint8_t> bmp;
  if (!WriteMonoBmp(picture, size, bmp, scale) || bmp.size() <= 62) return false;
  dib.assign(bmp.begin() + 14, bmp.end());
  return true;
}

bool WriteFile(const std::u16string& fileName, const std::vector<uint8_t>& bytes) {
  if (fileName.empty()) return false;
  const std::filesystem::path path(fileName);
  {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (!out) return false;
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) return false;
  }
  std::error_code ec;
  return std::filesystem::exists(path, ec);
}

// Windows metafile record functions and GDI values used here.
constexpr uint32_t kMetaSetWindowOrg = 0x020B, kMetaSetWindowExt = 0x020C, kMetaSetStretchBltMode = 0x0107,
                   kMetaStretchDib = 0x0F43, kMetaCreatePen = 0x02FA, kMetaCreateBrush = 0x02FC,
                   kMetaSelectObject = 0x012D, kMetaRectangle = 0x041B;
constexpr uint32_t kSrcCopy = 0x00CC0020, kColorOnColor = 3, kWhite = 0x00FFFFFF, kBlack = 0;

}  // namespace

bool BuildCodeWmf(const TMonoPicture& picture, TPictureSize size, int32_t moduleSize, int32_t bitmapScale,
                  std::vector<uint8_t>& out) {
  out.clear();
  int32_t w = 0, h = 0;
  // Every coordinate of a placeable metafile is a signed 16-bit value: refuse what would wrap.
  if (!Extents(picture, size, moduleSize, 32767, w, h)) return false;
  const int32_t scale = EffectiveScale(bitmapScale);
  std::vector<uint8_t> dib;
  if (scale) {
    if (static_cast<int64_t>(size.Width) * scale > 32767 || static_cast<int64_t>(size.Height) * scale > 32767) return false;
    if (!Dib(picture, size, scale, dib)) return false;
  }
  TWriter o(out);
  // Placeable header.
  const uint16_t head[10] = {0xCDD7, 0x9AC6, 0, 0, 0, static_cast<uint16_t>(w), static_cast<uint16_t>(h), 2540, 0, 0};
  uint16_t sum = 0;
  for (uint16_t v : head) {
    o.U16(v);
    sum ^= v;
  }
  o.U16(sum);
  const size_t metaStart = o.Size();
  o.U16(1);       // memory metafile
  o.U16(9);       // header words
  o.U16(0x0300);  // version
  o.U32(0);       // size in words, patched below
  o.U16(scale ? 0 : 4);
  o.U32(0);       // largest record, patched below
  o.U16(0);
  uint32_t largest = 0;
  auto record = [&](uint32_t words, uint32_t function) {
    largest = words > largest ? words : largest;
    o.U32(words);
    o.U16(function);
  };
  record(5, kMetaSetWindowExt);
  o.I16(-h);
  o.I16(w);
  record(5, kMetaSetWindowOrg);
  o.I16(0);
  o.I16(0);
  if (scale) {
    record(4, kMetaSetStretchBltMode);
    o.U16(kColorOnColor);
    record(static_cast<uint32_t>(14 + dib.size() / 2), kMetaStretchDib);
    o.U32(kSrcCopy);
    o.U16(0);  // DIB_RGB_COLORS
    o.I16(size.Height * scale);
    o.I16(size.Width * scale);
    o.I16(0);
    o.I16(0);
    o.I16(-h);
    o.I16(w);
    o.I16(0);
    o.I16(0);
    o.Bytes(dib.data(), dib.size());
  } else {
    // Objects 0, 1: white pen and brush; 2, 3: black pen and brush.
    for (uint32_t colour : {kWhite, kBlack}) {
      record(8, kMetaCreatePen);
      o.U16(0);  // PS_SOLID
      o.I16(0);
      o.I16(0);
      o.U32(colour);
      record(7, kMetaCreateBrush);
      o.U16(0);  // BS_SOLID
      o.U32(colour);
      o.U16(0);
    }
    auto rect = [&](int32_t l, int32_t t, int32_t r, int32_t b) {
      record(7, kMetaRectangle);
      o.I16(b);
      o.I16(r);
      o.I16(t);
      o.I16(l);
    };
    record(4, kMetaSelectObject);
    o.U16(0);
    record(4, kMetaSelectObject);
    o.U16(1);
    rect(0, 0, w, -h);
    record(4, kMetaSelectObject);
    o.U16(2);
    record(4, kMetaSelectObject);
    o.U16(3);
    for (int32_t y = 0; y < size.Height; ++y)
      for (int32_t x = 0; x < size.Width; ++x)
        if (Module(picture, size, x, y)) rect(x * moduleSize, -y * moduleSize, (x + 1) * moduleSize, -(y + 1) * moduleSize);
  }
  record(3, 0);  // end of file
  o.Patch32(metaStart + 6, static_cast<uint32_t>((o.Size() - metaStart) / 2));
  o.Patch32(metaStart + 12, largest);
  return true;
}

namespace {

// EMF record types and stock objects used here.
constexpr uint32_t kEmrHeader = 1, kEmrEof = 14, kEmrSetMapMode = 17, kEmrSetStretchBltMode = 21,
                   kEmrSelectObject = 37, kEmrRectangle = 43, kEmrStretchDiBits = 81;
constexpr uint32_t kStock = 0x80000000u, kWhiteBrush = 0, kBlackBrush = 4, kWhitePen = 6, kBlackPen = 7;
// Players differ in how they scale a map mode (Windows by the header's reference device, Wine by the
// playing device), so the records stay in MM_TEXT on a reference device of 0.01 mm pixels, which
// every player maps through the frame alone.
constexpr uint32_t kMmText = 1;
constexpr int32_t kRefPixels = 100000, kRefMillimeters = 1000;

}  // namespace

bool BuildCodeEmf(const TMonoPicture& picture, TPictureSize size, int32_t moduleSize, int32_t bitmapScale,
                  std::vector<uint8_t>& out) {
  out.clear();
  int32_t w = 0, h = 0;
  if (!Extents(picture, size, moduleSize, std::numeric_limits<int32_t>::max(), w, h)) return false;
  const int32_t scale = EffectiveScale(bitmapScale);
  std::vector<uint8_t> dib;
  if (scale && !Dib(picture, size, scale, dib)) return false;
  TWriter o(out);
  uint32_t records = 0;
  auto record = [&](uint32_t type, uint32_t bytes) {
    ++records;
    o.U32(type);
    o.U32(bytes);
  };
  auto bounds = [&] {
    for (int32_t v : {-32767, -32767, 32767, 32767}) o.I32(v);
  };
  record(kEmrHeader, 100);
  bounds();
  for (int32_t v : {0, 0, w, h}) o.I32(v);
  o.U32(0x464D4520);  // " EMF"
  o.U32(0x10000);
  o.U32(0);  // bytes, patched below
  o.U32(0);  // records, patched below
  o.U16(1);  // handles
  o.U16(0);
  for (int i = 0; i < 3; ++i) o.U32(0);  // no description, no palette
  for (int32_t v : {kRefPixels, kRefPixels, kRefMillimeters, kRefMillimeters}) o.I32(v);
  for (int i = 0; i < 3; ++i) o.U32(0);
  record(kEmrSetMapMode, 12);
  o.U32(kMmText);
  if (scale) {
    record(kEmrSetStretchBltMode, 12);
    o.U32(kColorOnColor);
    const uint32_t info = 40 + 4 * 2;
    const uint32_t bits = static_cast<uint32_t>(dib.size()) - info;
    record(kEmrStretchDiBits, 80 + static_cast<uint32_t>(dib.size()));
    bounds();
    o.I32(0);
    o.I32(0);
    o.I32(0);
    o.I32(0);
    o.I32(size.Width * scale);
    o.I32(size.Height * scale);
    o.U32(80);
    o.U32(info);
    o.U32(80 + info);
    o.U32(bits);
    o.U32(0);  // DIB_RGB_COLORS
    o.U32(kSrcCopy);
    o.I32(w);
    o.I32(h);
    o.Bytes(dib.data(), dib.size());
  } else {
    auto select = [&](uint32_t stock) {
      record(kEmrSelectObject, 12);
      o.U32(kStock | stock);
    };
    auto rect = [&](int32_t l, int32_t t, int32_t r, int32_t b) {
      record(kEmrRectangle, 24);
      for (int32_t v : {l, t, r, b}) o.I32(v);
    };
    select(kWhitePen);
    select(kWhiteBrush);
    rect(0, 0, w, h);
    select(kBlackPen);
    select(kBlackBrush);
    for (int32_t y = 0; y < size.Height; ++y)
      for (int32_t x = 0; x < size.Width; ++x)
        if (Module(picture, size, x, y)) rect(x * moduleSize, y * moduleSize, (x + 1) * moduleSize, (y + 1) * moduleSize);
  }
  record(kEmrEof, 20);
  o.U32(0);
  o.U32(16);
  o.U32(20);
  o.Patch32(48, static_cast<uint32_t>(o.Size()));
  o.Patch32(52, records);
  return true;
}

bool SaveCodeWmf(const TMonoPicture& picture, TPictureSize size, int32_t moduleSize, const std::u16string& fileName,
                 int32_t bitmapScale) {
  std::vector<uint8_t> bytes;
  return BuildCodeWmf(picture, size, moduleSize, bitmapScale, bytes) && WriteFile(fileName, bytes);
}

bool SaveCodeEmf(const TMonoPicture& picture, TPictureSize size, int32_t moduleSize, const std::u16string& fileName,
                 int32_t bitmapScale) {
  std::vector<uint8_t> bytes;
  return BuildCodeEmf(picture, size, moduleSize, bitmapScale, bytes) && WriteFile(fileName, bytes);
}

std::string EmfRecordName(uint32_t type) {
  static constexpr const char* kNames[120] = {
      "HEADER", "POLYBEZIER", "POLYGON", "POLYLINE", "POLYBEZIERTO", "POLYLINETO", "POLYPOLYLINE",
      "POLYPOLYGON", "SETWINDOWEXTEX", "SETWINDOWORGEX", "SETVIEWPORTEXTEX", "SETVIEWPORTORGEX",
      "SETBRUSHORGEX", "EOF", "SETPIXELV", "SETMAPPERFLAGS", "SETMAPMODE", "SETBKMODE", "SETPOLYFILLMODE",
      "SETROP2", "SETSTRETCHBLTMODE", "SETTEXTALIGN", "SETCOLORADJUSTMENT", "SETTEXTCOLOR", "SETBKCOLOR",
      "OFFSETCLIPRGN", "MOVETOEX", "SETMETARGN", "EXCLUDECLIPRECT", "INTERSECTCLIPRECT", "SCALEVIEWPORTEXTEX",
      "SCALEWINDOWEXTEX", "SAVEDC", "RESTOREDC", "SETWORLDTRANSFORM", "MODIFYWORLDTRANSFORM", "SELECTOBJECT",
      "CREATEPEN", "CREATEBRUSHINDIRECT", "DELETEOBJECT", "ANGLEARC", "ELLIPSE", "RECTANGLE", "ROUNDRECT",
      "ARC", "CHORD", "PIE", "SELECTPALETTE", "CREATEPALETTE", "SETPALETTEENTRIES", "RESIZEPALETTE",
      "REALIZEPALETTE", "EXTFLOODFILL", "LINETO", "ARCTO", "POLYDRAW", "SETARCDIRECTION", "SETMITERLIMIT",
      "BEGINPATH", "ENDPATH", "CLOSEFIGURE", "FILLPATH", "STROKEANDFILLPATH", "STROKEPATH", "FLATTENPATH",
      "WIDENPATH", "SELECTCLIPPATH", "ABORTPATH", "NO METAFILE RECORD 69", "GDICOMMENT", "FILLRGN",
      "FRAMERGN", "INVERTRGN", "PAINTRGN", "EXTSELECTCLIPRGN", "BITBLT", "STRETCHBLT", "MASKBLT", "PLGBLT",
      "SETDIBITSTODEVICE", "STRETCHDIBITS", "EXTCREATEFONTINDIRECTW", "EXTTEXTOUTA", "EXTTEXTOUTW",
      "POLYBEZIER16", "POLYGON16", "POLYLINE16", "POLYBEZIERTO16", "POLYLINETO16", "POLYPOLYLINE16",
      "POLYPOLYGON16", "POLYDRAW16", "CREATEMONOBRUSH", "CREATEDIBPATTERNBRUSHPT", "EXTCREATEPEN",
      "POLYTEXTOUTA", "POLYTEXTOUTW", "SETICMMODE", "CREATECOLORSPACE", "SETCOLORSPACE", "DELETECOLORSPACE",
      "GLSRECORD", "GLSBOUNDEDRECORD", "PIXELFORMAT", "DRAWESCAPE", "EXTESCAPE", "STARTDOC", "SMALLTEXTOUT",
      "FORCEUFIMAPPING", "NAMEDESCAPE", "COLORCORRECTPALETTE", "SETICMPROFILEA", "SETICMPROFILEW",
      "ALPHABLEND", "SETLAYOUT", "TRANSPARENTBLT", "TRANSPARENTDIB", "GRADIENTFILL", "SETLINKEDUFIS",
      "SETTEXTJUSTIFICATION"};
  return std::string("EMR_") + (type >= 1 && type <= 120 ? kNames[type - 1] : "UNKNOWN");
}
