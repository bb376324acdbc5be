// Bounds-checked cursor over a file's bytes and the text decoding by byte-order mark.
#include "foundation/lib_file_reader.h"

#include <algorithm>
#include <cstring>

#include "foundation/lib_codepage.h"

namespace {
std::string_view AsChars(std::span<const uint8_t> bytes) {
  return std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size());
}

bool IsLineEnd(char16_t unit) { return unit == u'\r' || unit == u'\n'; }

char16_t Utf16UnitAt(std::span<const uint8_t> bytes, size_t i) {
  return static_cast<char16_t>(bytes[i] | (bytes[i + 1] << 8));
}
}  // namespace

TEncodingMark DetectTextEncoding(std::span<const uint8_t> start) {
  if (start.size() >= 2 && start[0] == 0xFF && start[1] == 0xFE) return {TTextEncoding::Utf16LE, 2};
  if (start.size() >= 3 && start[0] == 0xEF && start[1] == 0xBB && start[2] == 0xBF) return {TTextEncoding::Utf8, 3};
  return {TTextEncoding::Ansi, 0};
}

std::string_view EncodingMarkBytes(TTextEncoding encoding) {
  switch (encoding) {
    case TTextEncoding::Utf16LE:
      return "\xFF\xFE";
    case TTextEncoding::Utf8:
      return "\xEF\xBB\xBF";
    default:
      return {};
  }
}

std::u16string DecodeAnsi1251(std::string_view bytes) { return DecodeCodePage(bytes, kCodePage1251); }

std::u16string DecodeUtf16LE(std::span<const uint8_t> bytes) {
  std::u16string out;
  out.reserve(bytes.size() / 2 + 1);
  size_t i = 0;
  for (; i + 1 < bytes.size(); i += 2) out.push_back(Utf16UnitAt(bytes, i));
  if (i < bytes.size()) out.push_back(static_cast<char16_t>(bytes[i]));
  return out;
}

std::u16string DecodeText(std::span<const uint8_t> bytes, TAnsiDecoder ansi) {
  const TEncodingMark mark = DetectTextEncoding(bytes);
  const std::span<const uint8_t> body = bytes.subspan(mark.MarkSize);
  switch (mark.Encoding) {
    case TTextEncoding::Utf16LE:
      return DecodeUtf16LE(body);
    case TTextEncoding::Utf8:
      return Utf8ToWide(AsChars(body));
    default:
      return ansi ? ansi(AsChars(body)) : DecodeAnsi1251(AsChars(body));
  }
}

TByteReader::TByteReader(std::span<const uint8_t> bytes, TAnsiDecoder ansi) : bytes_(bytes), ansi_(ansi) {}

void TByteReader::Init() {
  bytes_ = {};
  pos_ = 0;
  encoding_ = TTextEncoding::Ansi;
}

void TByteReader::Assign(std::span<const uint8_t> bytes) {
  bytes_ = bytes;
  pos_ = 0;
}

TTextEncoding TByteReader::DetectEncoding() {
  const TEncodingMark mark = DetectTextEncoding(bytes_);
  encoding_ = mark.Encoding;
  pos_ = mark.MarkSize;
  return encoding_;
}

std::u16string TByteReader::DecodeAnsi(std::string_view bytes) const {
  return ansi_ ? ansi_(bytes) : DecodeAnsi1251(bytes);
}

std::u16string TByteReader::ReadLine() {
  if (pos_ == 0) DetectEncoding();
  const std::span<const uint8_t> rest = bytes_.subspan(pos_);
  if (encoding_ == TTextEncoding::Utf16LE) {
    const size_t units = rest.size() / 2;
    size_t k = 0;
    while (k < units && !IsLineEnd(Utf16UnitAt(rest, 2 * k))) ++k;
    if (k == units) {
      pos_ = bytes_.size();
      return DecodeUtf16LE(rest);
    }
    const char16_t end = Utf16UnitAt(rest, 2 * k);
    size_t next = k + 1;
    if (end == u'\r' && next < units && Utf16UnitAt(rest, 2 * next) == u'\n') ++next;
    pos_ += 2 * next;
    return DecodeUtf16LE(rest.first(2 * k));
  }
  const auto endIt = std::find_if(rest.begin(), rest.end(), [](uint8_t b) { return b == '\r' || b == '\n'; });
  const size_t k = static_cast<size_t>(endIt - rest.begin());
  const std::string_view line = AsChars(rest.first(k));
  size_t next = k;
  if (k < rest.size()) {
    next = k + 1;
    if (rest[k] == '\r' && next < rest.size() && rest[next] == '\n') ++next;
  }
  pos_ += next;
  return encoding_ == TTextEncoding::Utf8 ? Utf8ToWide(line) : DecodeAnsi(line);
}

bool TByteReader::ReadBuf(std::span<uint8_t> dest) {
  if (dest.size() > Remaining()) return false;
  if (!dest.empty()) std::memcpy(dest.data(), bytes_.data() + pos_, dest.size());
  pos_ += dest.size();
  return true;
}

bool TByteReader::ReadStr(std::string& text, size_t count) {
  if (count > Remaining()) return false;
  text.assign(AsChars(bytes_.subspan(pos_, count)));
  pos_ += count;
  return true;
}

bool TByteReader::ReadWideStr(std::u16string& text, size_t count) {
  if (count > Remaining() / 2) return false;
  const std::span<const uint8_t> units = bytes_.subspan(pos_, 2 * count);
  text.resize(count);
  for (size_t i = 0; i < count; ++i) text[i] = Utf16UnitAt(units, 2 * i);
  pos_ += 2 * count;
  return true;
}

bool TByteReader::ReadWord(uint16_t& value) {
  if (Remaining() < 2) return false;
  value = Utf16UnitAt(bytes_, pos_);
  pos_ += 2;
  return true;
}

bool TByteReader::ReadWideChar(char16_t& value) {
  uint16_t unit = 0;
  if (!ReadWord(unit)) return false;
  value = static_cast<char16_t>(unit);
  return true;
}

bool TByteReader::Skip(int64_t n) {
  // Compared against what lies on each side of the cursor, so no sum can overflow.
  if (n >= 0) {
    if (static_cast<uint64_t>(n) > Remaining()) return false;
  } else if (n == INT64_MIN || static_cast<uint64_t>(-n) > pos_) {
    return false;
  }
  pos_ = static_cast<size_t>(static_cast<int64_t>(pos_) + n);
  return true;
}

std::span<const uint8_t> TByteReader::CurrentAddress(size_t count) const {
  if (count > Remaining()) return {};
  return bytes_.subspan(pos_, count);
}
