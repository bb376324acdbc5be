// The decisions of Windows job printing that need no system: the job's paper taken over into the
// destination's device settings, the page list with the job's copies, a page's copies letters, where
// the code picture goes, and the placeable WMF code picture read from its file's bytes.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "foundation/lib_str_lists.h"
#include "foundation/lib_sys.h"
#include "monitor/createcode.h"

// DEVMODE field bits and the user-defined paper size (the platform's values).
inline constexpr uint32_t kDmOrientation = 0x00000001;
inline constexpr uint32_t kDmPaperSize = 0x00000002;
inline constexpr uint32_t kDmPaperLength = 0x00000004;
inline constexpr uint32_t kDmPaperWidth = 0x00000008;
inline constexpr uint32_t kDmCopies = 0x00000100;
inline constexpr uint32_t kDmDuplex = 0x00001000;
inline constexpr int16_t kDmPaperUser = 256;
inline constexpr int16_t kDmOrientPortrait = 1;

// The paper fields of a DEVMODE; Wide is the UTF-16 layout of the NT family, else the 8-bit one.
struct TPaperFields {
  uint32_t Fields = 0;
  int16_t Orientation = 0;
  int16_t PaperSize = 0;
  int16_t PaperLength = 0;  // 0.1 mm
  int16_t PaperWidth = 0;
  int16_t Copies = 0;
};
// False when the bytes, or the size the block gives itself, end before the copies field.
bool ReadPaperFields(std::span<const uint8_t> devMode, bool wide, TPaperFields& fields);
bool WritePaperFields(std::span<uint8_t> devMode, bool wide, const TPaperFields& fields);

// The job's paper into the destination's settings: orientation, size (a size the destination may not
// know becomes user-defined when both dimensions are known), length and width; the job's bits are
// added to the destination's own, so what it stored (duplex, say) stays. False, nothing changed, when
// either block is too short; a job without settings changes nothing.
bool CopyPaperSettings(std::span<const uint8_t> jobMode, std::span<uint8_t> destMode, bool wide);

// How many times each page is printed for the job: its copies when its settings carry them, else 1.
uint32_t JobCopies(std::span<const uint8_t> jobMode, bool wide);
// A saved page stands in the list once per job copy, in a row.
void AddPageCopies(TWideStringArray& pages, std::u16string_view pageFile, uint32_t copies);

// The letters of the page's copies: the record's up to its first zero byte, "N" (one plain copy) when
// there are none, the picture is of no known type, or its file is missing.
std::string CopiesLetters(const TCodeResultRec& rec, bool codeFileExists);
// The record's code picture name, up to its terminator.
std::u16string CodeFileName(const TCodeResultRec& rec);

// The code picture's rectangle in MM_HIMETRIC units (y up) from the record's place and the picture's
// frame (0.01 mm).
TRect CodeRect(int32_t x, int32_t y, const TRect& frame);
// The printing rectangle turned when its shape disagrees with the settings' orientation.
void MatchRectToOrientation(TRect& rect, bool portrait);

// A page's frame (0.01 mm) in device pixels of a device of res pixels over size millimetres per axis.
// False when a size is 0 (the device gives no scale) or a pixel is past the 32-bit range.
bool FrameInPixels(const TRect& frame, TSize res, TSize sizeMm, TRect& pixels);

// A placeable WMF: the 22-byte header (key 9AC6CDD7), then the metafile, whose own header gives its
// size in 16-bit words (at least its 9-word header), all inside the file.
struct TPlaceableWmf {
  TRect Bounds;                    // the header's bounding box, in the header's units
  std::span<const uint8_t> Bits;   // the metafile: its header and records
};
bool ParsePlaceableWmf(std::span<const uint8_t> file, TPlaceableWmf& wmf);
