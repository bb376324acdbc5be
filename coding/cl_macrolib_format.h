// A document type's code format (symbol kind, layers, symbol count and arrangement, module size) and
// payload delimiters, as read from its "Code" and "Format" keys, and the picture size they give.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "foundation/cl_tools_store.h"
#include "coding/cl_macrotools.h"
#include "foundation/cl_tools_docid.h"
#include "foundation/lib_sys.h"

struct TCodeFormat {
  char FormatLetter = 'E';
  uint8_t Unicode = 0;
  uint8_t IsCompact = 0;
  uint8_t Rotated = 0;
  int32_t ECP = 20;
  int32_t ModuleSize = 71;                  // 0.01 mm
  TSmallPoint Layers{16, 2};                // start, growth
  TSmallPoint Symbols{1, 0};                // smallest count, growth
  int32_t SymOffsets = 0;                   // modules between symbols
  TSmallPoint SymLines{1, 0};               // rows, rows follow the count
  std::string AppEndHdr;
  bool SeveralSymbols = false;
  TSize PictureSize;                        // 0.01 mm
};

struct TCodeDelimiters {
  std::string FieldDelim = "\t";
  std::u16string LinesDelim = u"^";
  std::string LabelDelim = ":";
  std::string LabelEnd = "-";
  std::string LabelTrunc = ".";
  std::string GridCDelim = "\r";
  std::string GridLDelim = "\n";
  std::string GridHead = "%d,%d,";
};

// Format letters whose payload may take several symbols: G, I, L, M, N, O, P and lower-case p.
bool LetterAllowsSeveralSymbols(char letter);

// The side in modules of a compact (1..4 layers) or full-range (1..32 layers) symbol; a layer count
// outside the range is taken as the nearest one inside it.
int32_t SymbolSide(bool compact, int32_t layers);

// Both halves of a paired value (low, high) added.
int32_t HalvesSum(TSmallPoint pair);

// The largest code width and height in 0.01 mm, the symbols' rows and gaps included, exchanged when
// the code is turned. Sizes beyond 32 bits wrap as 32-bit numbers.
TSize CodePictureSize(const TCodeFormat& format);
// value x 100 / moduleSize rounded to the nearest integer (halves away from zero); moduleSize below 1
// counts as 1. -1 when the quotient leaves the 32-bit range, as the system's multiply-divide answers.
int32_t OffsetInModules(int32_t value, int32_t moduleSize);

// configKey\<doc>\Format "Version" and "Unicode", then configKey\<doc>\Code, in this order.
TCodeFormat ReadCodeFormat(const TSettingsStore& store, std::u16string_view configKey, const TDocIdClass& docId);
// configKey\<doc>\Format: the eight delimiters, in the order FieldDelim, LinesDelim, LabelDelim, LabelEnd,
// LabelTrunc, GridCDelim, GridLDelim, GridHead; defaults when the key is missing.
TCodeDelimiters ReadCodeDelimiters(const TSettingsStore& store, std::u16string_view formatKey);
