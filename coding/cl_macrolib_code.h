// Code generation: the payload becomes the code picture, sized and split over symbols as the document
// type's format letter says, through the message codec and the Aztec encoder.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "coding/aztencod.h"
#include "coding/cl_macrolib_format.h"
#include "coding/cl_macrolib_payload.h"
#include "coding/cl_macrotools.h"

// What one code takes from the coder besides its code format and delimiters.
struct TCodeRequest {
  std::u16string Payload;
  uint8_t State = 0;        // 2: the document was filtered off
  uint8_t Charset = 0;      // the payload's character set when the format's Unicode is set
  bool Debug = false;       // keep the encoder's input in a temporary file
  std::string DocTypeId;    // the text of GetDocTypeId
};

// The document context's counters as the header carries them.
struct TCodeCounters {
  uint16_t PageCount = 0;
  uint16_t PageNo = 0;
  std::array<uint8_t, 4> DocumentId{};
};

// What code generation needs of its surroundings.
class TCodeHost {
 public:
  virtual ~TCodeHost() = default;
  virtual void Log(std::u16string_view line) = 0;
  virtual void LogElapsed(uint32_t startTick) = 0;
  virtual uint32_t TickCount() = 0;
  virtual void ShowError(std::u16string_view text) = 0;
  // Updates the context's page count for this page; nullopt without a context.
  virtual std::optional<TCodeCounters> UpdatePageCount() = 0;
  // The encoder's input for a debug run, written to a new temporary file that stays.
  virtual void SaveDebugData(std::string_view data) = 0;
  virtual const TCodePageSystem& CodePages() const = 0;
};

// What the coder's creator lends to code generation: the system's code pages, the error box, and the
// temporary file that keeps the encoder's input of a debug run.
class TCodeServices {
 public:
  virtual ~TCodeServices() = default;
  virtual const TCodePageSystem& CodePages() const = 0;
  virtual void ShowError(std::u16string_view text) = 0;
  virtual void SaveDebugData(std::string_view data) = 0;
};

struct TCodeResult {
  bool Ok = false;
  bool Started = false;     // false only for an empty payload: the picture stays as it was
  bool Truncated = false;   // the payload was shortened (letters E, G, H, I)
  std::string Error;        // why no picture was made, for the log and the tests
  std::vector<uint8_t> Picture;  // empty unless Ok
  int32_t PictureWidth = 0;
  int32_t PictureHeight = 0;
};

inline constexpr std::u16string_view kCodeErrorText = u"Графический код не сформирован.\r\nОшибка формирования символики.";

// One code in the type's format and delimiters: encoder is the coder's TAztCoder, substTable its cached
// class table.
TCodeResult MakeCodePicture(const TCodeRequest& request, const TCodeFormat& format, const TCodeDelimiters& delims,
                            TAztCoder& encoder, std::string& substTable, TCodeHost& host);

// The structured-append identifier: "A".."Z" kept, any other character a pseudo-random capital letter.
std::string MessageIdFromText(std::string_view text);

// Symbols of a strip (n side by side, size s, gap g) arranged in rows of perRow, the last row
// left-aligned; perRow of 1 or more.
std::vector<uint8_t> ArrangeSymbolRows(const std::vector<uint8_t>& strip, int32_t count, int32_t size, int32_t gap,
                                       int32_t perRow, int32_t& width, int32_t& height);
