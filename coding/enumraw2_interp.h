// The printer command interpreters of DOS print streams: the control bytes and escape sequences of PCL,
// ESC/P (9 and 24 pin), IBM Proprinter and Mannesmann Tally keep the page geometry, skip parameters and
// data, end the page where a command asks for it, and log what they do not know.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "coding/enumraw2.h"
#include "foundation/lib_file_reader.h"
#include "foundation/lib_log.h"

// The coder's fields the interpreters read and move, lent by reference, so that the page loop, the
// interpreters and whoever reads the coder afterwards see one state.
struct TRawInterpContext {
  uint8_t PrinterLang;
  const double (&PitchTable)[2][2];  // [width class][condensed]
  double& CurrentPitch;
  double& BasePitch;
  double& CurrentSpacing;
  double& BaseSpacing;
  int32_t& TabWidth;
  int32_t& LeftMargin;
  bool& Underline;
  int32_t& MacroId;
  const std::string& FontPitchP;
  const std::string& FontPitchS;
  const std::string& FontMacro;
  const std::string& FontTypeF;
  const int32_t& HPresDPI;
  const std::string& BadPitchs;
  const bool& HalfLF;
  const TDosPrinterState& PrinterState;  // what the reset commands return to
  std::vector<enumraw2::TLineFeed>& LineFeeds;
  TLogFile* Log;
};

TRawInterpContext RawInterpContext(TRAWCoder& coder);

// The control byte code has just been read; the reader stands after it. Interprets it with what follows
// in the context's language; false when it was not recognised (then logged and counted as an error).
// Whatever the stream holds, the reader stays inside it, and it ends past the code byte unless the
// command ended the page (parse.PageGoesOn cleared, the reader back on the command's first byte).
bool InterpretRawCommand(TRawInterpContext& c, uint8_t code, TByteReader& reader, TRawParseState& parse);

// One line in 1/48 inch at the spacing in force.
int32_t LineHeight48(double spacing);
// The width of one character (0.01 mm): the current text's, else one at the current pitch.
int32_t CharWidth(const TRawInterpContext& c, const TRawParseState& parse);
// Sets the width class (which 0) or condensed (which 1) of the pitch table's entry nearest the current
// pitch, and makes the entry found the current and base pitch.
void SelectPitch(TRawInterpContext& c, int which, int value);
// The substitute of p among the "from=to" entries of badPitchs (from within 0.1005); p without one.
double MapBadPitch(std::string_view badPitchs, double p);
// The pitch of font n in a table ",n=pitch,...": found and valid it becomes the current pitch (else the
// base pitch does); a font the table lacks returns both to the printer state's pitch.
void FontPitchLookup(TRawInterpContext& c, std::string_view table, int32_t n);
// Records a line feed of length bytes whose first byte is at offset, and moves to the next line (half a
// line when half is asked and HalfLF is on).
void DoLineFeed(TRawInterpContext& c, TRawParseState& parse, size_t offset, int32_t length, bool half);
// One character back, not before the left edge.
void BackSpace(const TRawInterpContext& c, TRawParseState& parse);
// The printer state's pitch, spacing, tab size and left margin, underline off.
void ResetPrinter(TRawInterpContext& c);

// One parameter group of a PCL escape sequence.
struct TPclGroup {
  uint8_t Letter = 0;   // the final character upper-cased
  uint8_t Final = 0;    // the final character as read
  bool Last = false;    // the final character was not a lower-case letter
  bool HasValue = false;
  bool Relative = false;  // the value text starts with a sign
  bool First = true;      // the group read is the sequence's first
  int32_t Count = 0;      // groups read
  int32_t Value = 0;      // rounded; 0 without a value
  double ValueF = 0;
  // The sequence is over: its last group was read, a data block ended it, or the stream ended in it.
  bool Ended = false;
  bool Cut = false;  // the stream ended inside the sequence
  // Where the sequence's data block began (its bytes are not logged); 0 without one.
  size_t DataStart = 0;
};

// Reads the next group of a sequence; false when there is none more (g.Ended). A group with final W and
// a value is a data block: its bytes and the NUL bytes after them are skipped and the sequence ends.
bool ReadPclGroup(TRawInterpContext& c, TByteReader& reader, TRawParseState& parse, TPclGroup& g);
// Reads the rest of the sequence and logs it as unknown (one error); a sequence the stream cut off
// ends silently. esc is the offset of its ESC.
void SkipPclSequence(TRawInterpContext& c, TByteReader& reader, TRawParseState& parse, size_t esc, TPclGroup& g);
// The PCL data block of count bytes, then the NUL bytes that follow; never past the stream's end.
void SkipPclData(TByteReader& reader, int64_t count);

// The language interpreters; each returns whether it recognised the code, the reader put back to just
// after the code byte when it did not.
bool InterpretPCL(TRawInterpContext& c, uint8_t code, TByteReader& reader, TRawParseState& parse);
bool InterpretEscP(TRawInterpContext& c, uint8_t code, TByteReader& reader, TRawParseState& parse);
bool InterpretEscP24(TRawInterpContext& c, uint8_t code, TByteReader& reader, TRawParseState& parse);
bool InterpretIBM(TRawInterpContext& c, uint8_t code, TByteReader& reader, TRawParseState& parse);
bool InterpretMT(TRawInterpContext& c, uint8_t code, TByteReader& reader, TRawParseState& parse);

// Reader moves that never leave the stream: past the end they stop at it.
void SkipClamped(TByteReader& reader, int64_t count);
// Just after the next byte b, or the end.
void SkipPastByte(TByteReader& reader, uint8_t b);
// Just after the next occurrence of pattern; false (reader unmoved) without one.
bool SkipPastPattern(TByteReader& reader, std::string_view pattern);

// The log lines of what is not interpreted; each but the ignored code counts one error.
void LogIgnoredCode(TRawInterpContext& c, const TByteReader& reader, uint8_t code);
void LogUnknownCode(TRawInterpContext& c, const TByteReader& reader, TRawParseState& parse, uint8_t code);
void LogUnknownEsc(TRawInterpContext& c, const TByteReader& reader, TRawParseState& parse, uint8_t b);
void LogUnknownEsc2(TRawInterpContext& c, const TByteReader& reader, TRawParseState& parse, uint8_t b1, uint8_t b2);
void LogUnknownEsc3(TRawInterpContext& c, const TByteReader& reader, TRawParseState& parse, uint8_t b1, uint8_t b2,
                    uint8_t b3);

// Small steps the interpreters share.
namespace enumraw2_interp {

inline constexpr uint8_t kEsc = 0x1B;

inline int32_t ClampToInt(int64_t v) {
  return static_cast<int32_t>(v < INT32_MIN ? INT32_MIN : v > INT32_MAX ? INT32_MAX : v);
}
// Moves of the current point that stop at the ends of the 32-bit range instead of wrapping.
void MoveX(TRawParseState& parse, int64_t dx);
void MoveY(TRawParseState& parse, int64_t dy);
// The stream's bytes as text, for searches.
inline std::string_view StreamText(const TByteReader& reader) {
  const std::span<const uint8_t> bytes = reader.Bytes();
  return {reinterpret_cast<const char*>(bytes.data()), bytes.size()};
}
// Parameter reads of a sequence: what the stream cannot give moves the reader to its end, where the
// sequence ends without an error (false).
inline bool ReadOrEnd(TByteReader& reader, uint8_t& b) {
  if (reader.ReadByte(b)) return true;
  reader.Seek(static_cast<int64_t>(reader.Size()));
  return false;
}
bool ReadWordOrEnd(TByteReader& reader, uint16_t& w);
enum class TMatch { Yes, No, Cut };
// The next bytes against expected: read when they match; Cut (reader at the end) when too few remain.
TMatch MatchOrEnd(TByteReader& reader, std::string_view expected);
// Sets CurrentSpacing and BaseSpacing together.
void SetSpacing(TRawInterpContext& c, double linesPerInch);

}  // namespace enumraw2_interp
