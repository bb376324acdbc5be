// The coder of DOS print streams: the printer model's language and geometry, the document type's line
// settings, and the page objects a raw page is read into. x is in 0.01 mm, y in 1/48 inch.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "coding/cl_macrolib.h"
#include "coding/cl_macrotools.h"
#include "coding/cl_macrotools_lines.h"
#include "foundation/lib_block_pool.h"
#include "foundation/lib_file_reader.h"

// What one document leaves to the next of the same job.
struct TDosPrinterState {
  int32_t TabSize = 0;
  int32_t LeftMargin = 0;  // 0.01 mm
  double Spacing = 0;      // lines per inch
  double Pitch = 0;        // characters per inch
};

// A pitch-setting command of the model: its first byte, the bytes after it (at most 31) and its pitch.
struct TPitchCode {
  double Pitch = 0;
  std::string Tail;
  uint8_t FirstByte = 0;
};

struct TCodePitch {
  TCharSet FirstBytes;
  std::vector<TPitchCode> Codes;
  void Clear() {
    FirstBytes.reset();
    Codes.clear();
  }
};

enum TPrinterLang : uint8_t { kLangPCL = 0, kLangEscP9 = 1, kLangEscP24 = 2, kLangIBM = 3, kLangMT = 4 };

// Output modes that are not a pin count.
inline constexpr int32_t kModeHPGL = -1;
inline constexpr int32_t kModeRastr = -2;
inline constexpr int32_t kModeRect = -3;
inline constexpr int32_t kModeRectMF = -4;
inline constexpr int32_t kModeMTPlot = -5;

namespace enumraw2 {

// Page objects come from pools: a page makes and frees hundreds of them.

// One run of characters at one pitch; Ident is the stream offset of its first character.
class TText : public TPooled<TTextProTo, TText> {
 public:
  TText(int32_t offset, TPoint point) : TPooled(offset, std::u16string(), point) {}

  uint8_t Underline = 0;
  int32_t Height = 0;     // 1/48 inch
  int32_t CharWidth = 0;  // 0.01 mm: 2540 / pitch, rounded
  std::string AttributeText;
  // The stream offset after its last byte: a code-pitch command inside the text makes it more than
  // Ident plus the length.
  int32_t EndOffset = 0;
};

// A line from line characters or underlines; Ident is the offset of the text it came from.
class TLine : public TPooled<TLineProTo, TLine> {
 public:
  TLine(int32_t offset, const TRect& rect) : TPooled(offset, rect) {}
};

// A line feed met in the stream: where it happened, its byte length, the offset of its first byte. Kept
// by value: a page records one per line.
class TLineFeed : public TObject {
 public:
  TLineFeed(TPoint point, int32_t length, int32_t offset) : Point(point), Length(length), Offset(offset) {}
  TPoint Point;
  int32_t Length = 1;
  int32_t Offset = 0;
};

}  // namespace enumraw2

// The state of one page parse that the interpreters move.
struct TRawParseState {
  TPoint Point;                       // x 0.01 mm, y 1/48 inch
  std::vector<TPoint> PositionStack;  // PCL push and pop
  std::string AttributeText;
  bool PageHoldsText = false;
  int32_t Errors = 0;
  // Cleared by a command that ends the page (the reader is then left on that command's first byte).
  bool PageGoesOn = true;
  enumraw2::TText* CurrentText = nullptr;  // lent, may be nil
  // From this offset on the stream holds no PCL reset (ESC E), so that a search for one is made once.
  size_t NoResetFrom = SIZE_MAX;
};

// The printer language of a model name; false when the name gives none.
bool PrinterLangOfModel(std::u16string_view model, uint8_t& lang);

// Pitch, spacing and tab size of the printers key; false (state all zero) when the key is missing.
// A pitch that fails IsValidPitch or a spacing not above 0 takes its default: both become divisors.
bool ReadDosDefaults(const TSettingsStore& store, TDosPrinterState& state);

// A pitch the geometry can divide by, in characters per inch.
bool IsValidPitch(double pitch);

// True when the stream holds, from the reader's cursor on, a byte other than LF, CR and the blank.
bool HasMoreData(const TByteReader& reader);

// The settings parsers of the model key and the modes key, apart from the store so that any text can be
// fed to them.

// "k1,k2=pitch;..." with the command's bytes in hexadecimal; an entry without bytes, with a byte that is no
// hexadecimal byte, with more bytes than a command holds (32) or without a valid pitch is handed back in
// rejected, as key and value, for the log.
struct TCodePitchEntry {
  std::string Key;
  std::string Value;
};
void ParseCodePitch(std::string_view text, TCodePitch& table, std::vector<TCodePitchEntry>& rejected);

// "DpiX,DpiY,mode[,template]": mode a name (any letter case) or the pin count 8, 9 or 24.
struct TOutputModeValue {
  int32_t DpiX = 0;
  int32_t DpiY = 0;
  int32_t OutputMode = 0;
  std::u16string Template;
};
// False when a resolution is not above 0 or the mode is none of the known ones.
bool ParseModeValue(std::u16string_view value, TOutputModeValue& mode);

// Four pitches in the order [0][0], [1][0], [0][1], [1][1]; a field that is missing or no valid pitch takes
// fallback (or, when that is no valid pitch either, the default of its place) and is listed in bad.
void ParsePitches(std::string_view text, double fallback, double (&table)[2][2], std::vector<std::string>& bad);

// A font table as the interpreters search it: "," and the value without blanks.
std::string FontTableText(std::string_view value);
// The pitch substitutions without the blanks around them.
std::string BadPitchsText(std::string_view value);

class TRAWCoder : public TCoder {
 public:
  TRAWCoder(TCreateKey key, const TSettingsStore& store, const TDocIdClass& docId, TContext* context,
            const TDosPrinterState& state, uint8_t mode, TLogFile* log, std::u16string_view model);

  void DumpObjects() override;
  void AddPageParams() override;
  // False, after the log line "--> Main "LoadParam" aborted!", when anything the page needs is missing.
  bool LoadParam();

  // Dispatches a control byte (the reader stands after it) to the language's interpreter.
  bool InterpretCommand(uint8_t code, TByteReader& reader, TRawParseState& parse);
  bool MakeCodeCommands(std::string& commands);  // false when the code cannot be written (enumraw2_output.h)
  // Reads one page from the reader's cursor into the page model and finds CodePosition, BreakBeforeCode
  // and TrailingData (enumraw2_page.h). The model must be fresh (Reinit between pages). placeOverride -1
  // keeps PicPlace. pageEnded is cleared when a form feed, the marker or a command ended the page, and
  // stays set when the stream's end did. False for a page without text or an abandoned one (the reader
  // then at the stream's end). state gets the tab width, margin, spacing and pitch in force.
  bool ParsePage(TByteReader& reader, bool& pageEnded, int32_t placeOverride, int32_t& errors, TDosPrinterState& state);
  // A text as new, made or taken from those an earlier page left (with their buffers).
  std::unique_ptr<enumraw2::TText> NewText(int32_t offset, TPoint point);

  // Model and language.
  std::u16string Model;
  uint8_t PrinterLang = kLangPCL;
  int32_t OutputMode = 0;
  int32_t DpiX = 0;
  int32_t DpiY = 0;
  std::u16string ModeTemplate;
  double PitchTable[2][2] = {{10.0, 17.0}, {12.0, 20.0}};  // [width class][condensed]
  double CurrentPitch = 0;
  double BasePitch = 0;
  double CurrentSpacing = 0;
  double BaseSpacing = 0;
  int32_t TabWidth = 0;
  int32_t LeftMargin = 0;
  bool Underline = false;
  int32_t MacroId = 0;
  TCharSet LineChHSub;
  TCharSet LineChrVSpec;
  TCharSet BlankChr;
  std::string FontPitchP;
  std::string FontPitchS;
  std::string FontMacro;
  std::string FontTypeF;
  int32_t HPresDPI = 300;
  std::string BadPitchs;
  std::string Marker;
  TCodePitch CodePitchTable;
  int32_t MaxErrors = 100;
  double SplitX = 0.75, SplitY = 1.5, StretchX = 0.75, StretchY = 0.8, RoundX = 0.75, RoundY = 0.75;
  double PointSizeX = 0.5, PointSizeY = 0.5, LineLenX = 2.0, LineLenY = 1.3, SymHeight = 0.75;
  int32_t Strings = 0;
  int32_t AutoCRLF = 0;
  bool HalfLF = false;
  bool TrimTrail = true;
  TDosPrinterState PrinterState;
  // Line feeds met on the page, in stream order.
  std::vector<enumraw2::TLineFeed> LineFeeds;

  // Results of the page parse.
  int32_t CodePosition = 0;
  bool BreakBeforeCode = false;
  std::string TrailingData;
  // Where the stream, from the offset on, holds no PCL reset: kept between the pages of one stream.
  size_t NoResetFrom = SIZE_MAX;
  const uint8_t* NoResetStream = nullptr;
  size_t NoResetSize = 0;

 protected:
  void ClearTexts() override;

 private:
  // Texts of earlier pages kept for NewText: a page makes and drops hundreds, most of them split from
  // others, and their memory is the bulk of the page's work. At most kMaxSpareTexts are kept.
  static constexpr size_t kMaxSpareTexts = 4096;
  std::vector<std::unique_ptr<enumraw2::TText>> spareTexts_;
  // The page parse's working lists (enumraw2_page.cpp), kept with their room from page to page.
  struct TPageLineChar {
    const enumraw2::TText* Text;
    size_t Index;
  };
  std::vector<TPageLineChar> pageLineChars_;
  TLineRecords pageHLines_;
  TLineRecords pageVLines_;

  std::u16string PrintersKey() const;
  std::u16string ModelKey() const;
  bool LoadDocSettings();
  bool FindModel(std::u16string& modeName);
  bool LoadModelSettings(std::u16string& modeName);
  bool ParsePageModel(TByteReader& reader, bool& pageEnded, int32_t& errors, uint32_t start);
  friend class TRawPageParser;
  bool LoadMode(std::u16string_view modeName);
  void LoadPitchTable();
  void ShowBox(std::u16string_view text) const;
};
