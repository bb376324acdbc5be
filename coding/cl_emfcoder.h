// The coder of Windows pages: the coder base with the interpretation settings of a document type read
// from its key, the blank mode, the code picture's file type and the redraw settings.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "coding/cl_dib.h"
#include "coding/cl_emfcoder_place.h"
#include "coding/cl_macrolib.h"
#include "coding/enumemf2.h"

class TTextMeasurer;

class TBlankDebugHost;

// A document type's interpretation settings with their defaults (0.01 mm where a size is meant).
struct TEMFSettings {
  TCharSet BlankChr = StrToCharSet("\xA0");
  TCharSet LineChrH = StrToCharSet("+_-=");
  // Already joined with LineChrVSpec.
  TCharSet LineChrV = StrToCharSet("|\xA6+");
  TCharSet LineChrVSpec = StrToCharSet("+");
  uint8_t HPGdiComment = 1;
  uint8_t LineChrHA = 1;
  TSmallPoint LineLen{900, 300};
  TSmallPoint LineWidth{30, 30};
  int32_t LineChHLen = 3;
  int32_t SplitW = 25;
  int32_t SplitG = 200;
  int32_t SplitBL = 3;
  int32_t ExtractBL = 0;
  TSmallPoint Polygones{2, 300};  // mode, threshold
  std::u16string NoUnicode = u"*";
  std::u16string OEMFonts = u"CourierDOSCTT";
  uint8_t OEMConvert = 0;
  // 65536 entries when OEMConvert is on, empty otherwise: a coder is made for every type tried on a page.
  std::vector<char16_t> OEMTable;
  std::u16string OEMCvtFontList = u"*";
  std::u16string LongSign = u"\u2DF0";
  TSmallPoint PointSize{128, 256};
  // Low half 0: a placeable WMF, otherwise EMF; the high half goes to the picture writer.
  TSmallPoint FileType{0, 8};
  int32_t LogoText = 0;
  int32_t DrawWidth = 9;
  int32_t ReDrawEMF = 0;
};

// The conversion table: c maps to dst at the position of c's first occurrence in src, or to itself.
// Empty when src or dst is empty (no conversion).
std::vector<char16_t> MakeOEMTable(std::u16string_view src, std::u16string_view dst);

// configKey\<doc> (false when it is missing), then configKey\<doc>\Code, then configKey, in this order.
bool ReadEMFSettings(const TSettingsStore& store, std::u16string_view configKey, const TDocIdClass& docId,
                     TEMFSettings& settings);

// Blank modes: 0 none, 1 the type's blank, 2 debugging with the blank editor, 3 debugging by export.
// useBlank 2 (export) gives 3 and 3 (editor) gives 2 when the type is the one being debugged.
uint8_t BlankModeOf(int32_t useBlank, bool debuggedType);

class TEMFCoder : public TCoder {
 public:
  // lineSeeker is the line finder's result for the page, lent and possibly nil.
  TEMFCoder(TCreateKey key, const TSettingsStore& store, const TLineSearchResult* lineSeeker, TContext* context,
            uint8_t mode, TLogFile* log, const TDocIdClass& docId);

  // The base's dump, then the record types, lines and texts of the page with their fonts.
  void DumpObjects() override;
  void AddPageParams() override;
  bool LoadParam();

  // The page's texts into words and phrases, and lines from line characters (enumemf2_runs.cpp).
  void EraseLinesUnderWhiteRects(TPoint margin);
  void BuildPageTexts(TTextMeasurer& measurer);
  void JoinTexts();
  // The type's blank lines over the page; false (logged) when the blank's values are bad.
  bool LoadBlank();
  // After recognition (cl_emfcoder_place.cpp): the code picture as a WMF or EMF file (sets CodeSize), its
  // place on a sheet in millimetres ((0, 0) the page's own size) in 0.01 mm, and the page model as
  // page-data text.
  bool ExportCodeToFile(const std::u16string& fileName);
  TPoint CalcCodePlace(TSize sheet);
  std::u16string ExportPageData();
  // One round of blank debugging of this type (cl_emfcoder_debug.cpp).
  void DebugBlank(TBlankDebugHost& host);

  TEMFSettings Settings;
  // The page's lines came from the rendered page: they are not collected from the records.
  bool LinesFound = false;
  // White areas (rectangle and record number), consumed when the texts are built.
  TObjectList WhiteRects;
  TEnhMetaHeader Header;
  const TLineSearchResult* LineSeeker;
  uint8_t BlankMode = 0;
  TSize CodeSize;  // 0.01 mm, as exported

 private:
  bool LoadOwnParams();
};
