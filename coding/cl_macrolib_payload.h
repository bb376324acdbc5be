// The payload text a code carries: labelled field entries with their character check, the payload of the
// print-server pass, and the payload's bytes in the code page its character set chooses (UTF-8 when
// that code page lacks a letter).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "coding/cl_macrolib_format.h"
#include "foundation/lib_str.h"

// Field types that make an entry: "R", "O", "C" and "P" are labelled; "L" (a carried value) is not.
inline constexpr std::u16string_view kEntryFieldTypes = u"ROCPL";

// The delimiters of a type's payload, as wide text (the coder keeps the 8-bit ones in the system code page).
struct TPayloadDelims {
  std::u16string LabelDelim = u":";
  std::u16string FieldDelim = u"\t";
  std::u16string LinesDelim = u"^";
};

// The type's delimiters as the payload takes them; toWide converts from the system code page.
template <class ToWide>
TPayloadDelims WidePayloadDelims(const TCodeDelimiters& delims, const ToWide& toWide) {
  return {toWide(delims.LabelDelim), toWide(delims.FieldDelim), delims.LinesDelim};
}

// One field's entry step: what the log, the user and the payload receive.
struct TFieldEntry {
  std::u16string Invalid;      // "'%s'(0x%.2x)" items joined by ", "; empty when all are allowed
  std::u16string StatusValue;  // the value for the field status ("[... %d ...]" for an "L" field)
  bool HasInvalid = false;     // first flag of the field status
  bool Acceptable = false;     // second flag: the value is not empty, so it enters the payload
  std::u16string Entry;        // what is appended to the level's payload; empty for an empty value
};

// Characters of value that charList lacks, listed as the log shows them; empty when charList is empty.
std::u16string InvalidFieldChars(std::u16string_view value, const TWideCharSet& charList);
// The entry step for a field of type "R", "O", "C", "P" or "L" (case-insensitive).
TFieldEntry MakeFieldEntry(char16_t type, std::u16string_view label, std::u16string_view value,
                           const TWideCharSet& charList, const TPayloadDelims& delims);
// "    %s - Недопустимые символы в поле "%s": %s" and the user's "Недопустимые символы в поле "%s": %s".
std::u16string InvalidCharsLogLine(std::u16string_view label, std::u16string_view displayName,
                                   std::u16string_view list);
std::u16string InvalidCharsMessage(std::u16string_view displayName, std::u16string_view list);

// What the conversions need of the system: its code pages, the character-set lookup and a converter
// that never substitutes a look-alike. The Windows edge asks the system; the portable one uses the
// core's own tables.
struct TCharsetCodePage {
  uint32_t CodePage = 0;
  uint8_t Charset = 0;  // the character set the lookup reported
};

class TCodePageSystem {
 public:
  virtual ~TCodePageSystem() = default;
  virtual uint32_t AnsiCodePage() const = 0;
  virtual uint32_t OemCodePage() const = 0;
  // The ANSI code page of a character set below 255; nullopt where the system knows none.
  virtual std::optional<TCharsetCodePage> LookupCharset(uint8_t charset) const = 0;
  // nullopt when the code page cannot convert at all; lossy tells that some character had no byte
  // and became the default character.
  virtual std::optional<std::string> Encode(std::u16string_view text, uint32_t codePage, bool& lossy) const = 0;
  virtual std::u16string Decode(std::string_view bytes, uint32_t codePage) const = 0;
  // Whether a byte opens a two-byte character (the double-byte code pages of East Asia).
  virtual bool IsLeadByte(uint32_t codePage, uint8_t byte) const = 0;
};

// The core's tables (1251, 866, 1252, UTF-8) with the given system code pages; the character sets
// are looked up as the system's table has them.
class TPortableCodePages : public TCodePageSystem {
 public:
  explicit TPortableCodePages(uint32_t ansiCodePage = 1251, uint32_t oemCodePage = 866)
      : ansi_(ansiCodePage), oem_(oemCodePage) {}
  uint32_t AnsiCodePage() const override { return ansi_; }
  uint32_t OemCodePage() const override { return oem_; }
  std::optional<TCharsetCodePage> LookupCharset(uint8_t charset) const override;
  std::optional<std::string> Encode(std::u16string_view text, uint32_t codePage, bool& lossy) const override;
  std::u16string Decode(std::string_view bytes, uint32_t codePage) const override;
  bool IsLeadByte(uint32_t, uint8_t) const override { return false; }

 private:
  uint32_t ansi_;
  uint32_t oem_;
};

// The core's code pages of a Russian system (1251, 866), where the system's are not lent.
const TCodePageSystem& DefaultCodePages();

// Text through the system code page and back, so that characters outside it arrive as "?".
std::u16string ThroughAnsi(const TCodePageSystem& system, std::u16string_view text);
// The text in the system code page; characters outside it become "?".
std::string ToAnsiBytes(const TCodePageSystem& system, std::u16string_view text);

// The payload of the print-server pass: docData in upper-case hexadecimal, then "|" and the "docdata"
// parameter's value (through the system code page) when that parameter exists.
std::u16string DocDataPayload(uint32_t docData, const std::optional<std::u16string>& docDataParam,
                              const TCodePageSystem& system);

// The payload as the message codec takes it.
struct TPayloadBytes {
  std::string Bytes;
  uint32_t CodePage = 0;         // the code page of Bytes (65001 for UTF-8)
  bool Utf8 = false;
  bool ForeignCodePage = false;  // a code page other than the system's, named by Charset in the header
};

// ConvertPayload: charset in, the character set that names the bytes out (0 for UTF-8).
TPayloadBytes ConvertPayload(std::u16string_view payload, uint8_t& charset, const TCodePageSystem& system);

// The largest length up to maxLength that ends on a character boundary of bytes in codePage, so that
// cutting there never splits a multi-byte character.
size_t CharBoundaryAtOrBelow(std::string_view bytes, size_t maxLength, uint32_t codePage,
                             const TCodePageSystem& system);
