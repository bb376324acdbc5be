// The payload message: header and body (compressed, scrambled and checked as the format letter's
// profile says) that the Aztec symbols carry. Outside scanners read every byte of it.
#pragma once

#include <array>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

#include "foundation/cl_tools_docid.h"
#include "foundation/lib_str_lists.h"

// Raised by TMessageCodec::Encode when a split made another number of symbols than its headers say.
class EArithmeticError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class TMessageCodec {
 public:
  TMessageCodec();

  void SetData(std::string_view text);
  // Modes and header kind of a format letter; a letter outside the table only clears ProfileKnown.
  void SetProfile(char letter);
  // Header for the current modes, counters and CheckValue; also kept in Header.
  std::string BuildHeader(const TDocIdClass& docId, uint16_t totalCount, uint16_t index);
  // Builds Message (and Symbols for a split). False, with Error set and Message empty, when the
  // message format cannot carry the payload faithfully. Throws EArithmeticError on a symbol count
  // mismatch of a split.
  bool Encode();

  std::string Data;
  uint32_t DataLength = 0;
  char FormatLetter = 'E';
  bool ProfileKnown = false;
  uint8_t HeaderMode = 1;    // 1 text header, 3 short "s", 4 short "S"
  uint8_t ScrambleMode = 0;  // ScrambleText mode
  uint8_t CompressMode = 0;  // CompressText mode
  uint8_t CheckMode = 0;     // ComputeCheck mode
  uint32_t CheckValue = 0;
  bool MultiPart = false;
  uint16_t SymbolCapacity = 0;  // bytes a symbol holds; 0: the message is not split
  uint16_t PageCount = 0, PageNo = 0;
  std::array<uint8_t, 4> DocumentId{};
  bool Utf8Payload = false;
  bool ForeignCodePage = false;
  uint8_t Charset = 0;
  std::string Header;
  std::string Message;
  TStringArray Symbols{16};
  TDocIdClass DocId;
  std::string Error;  // why the last Encode failed

 private:
  bool Fail(std::string reason);
  bool Split(std::string body);
};
