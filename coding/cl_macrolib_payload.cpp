// Payload text: field entries, the print-server payload and the code-page choice of the payload bytes.
#include "coding/cl_macrolib_payload.h"

#include "coding/cl_macrolib.h"
#include "coding/cl_macrolib_code.h"
#include "foundation/lib_codepage.h"
#include "foundation/lib_str.h"
#include "foundation/lib_unicode.h"

namespace {

std::u16string Ascii(std::string_view text) { return std::u16string(text.begin(), text.end()); }


bool IsAscii(std::string_view bytes) {
  for (unsigned char b : bytes)
    if (b >= 0x80) return false;
  return true;
}

// Length of the UTF-8 sequence a byte opens; a stray continuation byte counts alone.
size_t Utf8SequenceLength(uint8_t b) {
  if (b >= 0xF0 && b <= 0xF7) return 4;
  if (b >= 0xE0) return b <= 0xEF ? 3 : 1;
  if (b >= 0xC0) return 2;
  return 1;
}

}  // namespace

std::u16string InvalidFieldChars(std::u16string_view value, const TWideCharSet& charList) {
  std::u16string list;
  if (charList.Empty()) return list;
  for (char16_t c : value) {
    if (InWideCharSet(c, charList)) continue;
    const std::u16string item =
        u"'" + std::u16string(1, c) + u"'(0x" + LowerCaseW(Ascii(ByteToHex2(static_cast<uint8_t>(c)))) + u")";
    AppendWithSeparatorW(u", ", item, list);
  }
  return list;
}

TFieldEntry MakeFieldEntry(char16_t type, std::u16string_view label, std::u16string_view value,
                           const TWideCharSet& charList, const TPayloadDelims& delims) {
  TFieldEntry e;
  const char16_t t = UpperCharW(type);
  const bool carried = t == u'L';
  if (!carried) e.Invalid = InvalidFieldChars(value, charList);
  e.HasInvalid = !e.Invalid.empty();
  e.Acceptable = !value.empty();
  // A carried value goes unseen in the log: it may hold a whole earlier page.
  if (carried)
    e.StatusValue = value.empty() ? u"" : u"[... " + Ascii(IntToText(static_cast<int64_t>(value.size()))) + u" ...]";
  else
    e.StatusValue = std::u16string(value);
  if (value.empty()) return e;
  if (carried) {
    e.Entry = std::u16string(value);
  } else {
    // The field delimiter inside a value would end the entry early for a reader.
    const std::u16string cleaned =
        delims.FieldDelim.empty() ? std::u16string(value) : ReplaceAllW(value, delims.FieldDelim, delims.LinesDelim);
    e.Entry = std::u16string(label) + delims.LabelDelim + cleaned + delims.FieldDelim;
  }
  return e;
}

std::u16string InvalidCharsLogLine(std::u16string_view label, std::u16string_view displayName,
                                   std::u16string_view list) {
  return u"    " + std::u16string(label) + u" - " + InvalidCharsMessage(displayName, list);
}

std::u16string InvalidCharsMessage(std::u16string_view displayName, std::u16string_view list) {
  return u"Недопустимые символы в поле " + Quoted(displayName) + u": " + std::u16string(list);
}

std::optional<TCharsetCodePage> TPortableCodePages::LookupCharset(uint8_t charset) const {
  // The character sets the system's table knows; the others (DEFAULT_CHARSET among them) fail.
  switch (charset) {
    case 0: case 2: case 128: case 129: case 130: case 134: case 136: case 161: case 162: case 163:
    case 177: case 178: case 186: case 204: case 222: case 238:
      return TCharsetCodePage{CodePageOfCharset(charset, ansi_, oem_), charset};
    default:
      return std::nullopt;
  }
}

std::optional<std::string> TPortableCodePages::Encode(std::u16string_view text, uint32_t codePage,
                                                      bool& lossy) const {
  lossy = false;
  if (!IsCodePageSupported(codePage)) return std::nullopt;
  return EncodeCodePage(text, codePage, &lossy);
}

std::u16string TPortableCodePages::Decode(std::string_view bytes, uint32_t codePage) const {
  return DecodeCodePage(bytes, codePage);
}

const TCodePageSystem& DefaultCodePages() {
  static const TPortableCodePages pages(kCodePage1251, kCodePage866);
  return pages;
}

std::string ToAnsiBytes(const TCodePageSystem& system, std::u16string_view text) {
  bool lossy = false;
  std::optional<std::string> bytes = system.Encode(text, system.AnsiCodePage(), lossy);
  if (bytes) return *bytes;
  // A system code page that cannot convert: what 7 bits carry, the rest as "?".
  std::string out;
  for (char16_t c : text) out.push_back(c < 0x80 ? static_cast<char>(c) : '?');
  return out;
}

std::u16string ThroughAnsi(const TCodePageSystem& system, std::u16string_view text) {
  return system.Decode(ToAnsiBytes(system, text), system.AnsiCodePage());
}

std::u16string DocDataPayload(uint32_t docData, const std::optional<std::u16string>& docDataParam,
                              const TCodePageSystem& system) {
  std::u16string payload = Ascii(IntToHexMin(docData));
  if (docDataParam) payload += u"|" + ThroughAnsi(system, *docDataParam);
  return payload;
}

TPayloadBytes ConvertPayload(std::u16string_view payload, uint8_t& charset, const TCodePageSystem& system) {
  TPayloadBytes out;
  const uint32_t ansi = system.AnsiCodePage();
  std::optional<TCharsetCodePage> found;
  if (charset < 255) {
    found = system.LookupCharset(charset);
    out.CodePage = found ? found->CodePage : ansi;
  } else {
    out.CodePage = system.OemCodePage();
  }
  auto toUtf8 = [&] {
    out.Bytes = WideToUtf8(payload);
    out.CodePage = kCodePageUtf8;
    out.Utf8 = true;
    out.ForeignCodePage = false;
    charset = 0;
    return out;
  };

  bool lossy = false;
  std::optional<std::string> bytes = system.Encode(payload, out.CodePage, lossy);
  // A code page that cannot convert at all gives no bytes even for an empty payload.
  if (!bytes || (!payload.empty() && bytes->empty())) {
    // The chosen code page cannot convert: the system's, unless that loses a letter too.
    charset = 0;
    bool lost = false;
    std::optional<std::string> ansiBytes = system.Encode(payload, ansi, lost);
    if (!ansiBytes || lost) return toUtf8();
    out.Bytes = std::move(*ansiBytes);
    out.CodePage = ansi;
    return out;
  }
  if (lossy) return toUtf8();
  out.Bytes = std::move(*bytes);
  if (charset == 0 || charset == 1) charset = found ? found->Charset : 0;
  out.ForeignCodePage = out.CodePage != ansi;
  // The header names a foreign code page by its character set, and character set 0 means UTF-8 there:
  // such bytes would be read in the system code page, so letters beyond ASCII go as UTF-8.
  if (out.ForeignCodePage && charset == 0 && !IsAscii(out.Bytes)) return toUtf8();
  return out;
}

size_t CharBoundaryAtOrBelow(std::string_view bytes, size_t maxLength, uint32_t codePage,
                             const TCodePageSystem& system) {
  if (maxLength >= bytes.size()) return bytes.size();
  size_t pos = 0;
  while (pos < maxLength) {
    const uint8_t b = static_cast<uint8_t>(bytes[pos]);
    const size_t step =
        codePage == kCodePageUtf8 ? Utf8SequenceLength(b) : system.IsLeadByte(codePage, b) ? 2 : 1;
    if (pos + step > maxLength) break;
    pos += step;
  }
  return pos;
}

std::u16string TCoder::PayloadEntry(char16_t type, std::u16string_view label, std::u16string_view displayName,
                                    std::u16string_view value) {
  const TPayloadDelims d = WidePayloadDelims(Delims, [this](std::string_view text) { return Store().FromAnsi(text); });
  TFieldEntry e = MakeFieldEntry(type, label, value, CharList, d);
  if (e.HasInvalid) {
    LogLine(InvalidCharsLogLine(label, displayName, e.Invalid));
    Errors->Add(InvalidCharsMessage(displayName, e.Invalid));
  }
  if (Log) Log->AddFieldStatus(displayName, e.StatusValue, e.HasInvalid, e.Acceptable);
  return std::move(e.Entry);
}

bool TCoder::ProcessDocData(uint32_t docData) {
  State = 0;
  Payload.clear();
  LogLine(u"  Обработка полей");
  std::optional<std::u16string> param;
  for (const TWideStringList::Item& item : NamedParams->Items()) {
    const auto* p = dynamic_cast<const TNamedParam*>(item.Object);
    if (p && SameTextW(item.Text, u"docdata")) {
      param = p->Data;
      break;
    }
  }
  const TCodePageSystem& pages = CodeServices ? CodeServices->CodePages() : DefaultCodePages();
  Payload = DocDataPayload(docData, param, pages);
  LogLine(u"OK!");
  return !Payload.empty();
}
