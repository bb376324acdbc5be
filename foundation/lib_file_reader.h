// The one way to read outside files: a cursor over a file's bytes that never leaves them, with lines
// in the file's own encoding (UTF-16LE, UTF-8 or the ANSI code page) and little-endian values.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

// Numbered as stored: 0 UTF-16LE (mark FF FE), 1 UTF-8 (mark EF BB BF), 2 ANSI (no mark).
enum class TTextEncoding : uint8_t { Utf16LE = 0, Utf8 = 1, Ansi = 2 };

struct TEncodingMark {
  TTextEncoding Encoding = TTextEncoding::Ansi;
  size_t MarkSize = 0;
};

// The encoding by the byte-order mark at the start of a file; ANSI without one.
TEncodingMark DetectTextEncoding(std::span<const uint8_t> start);
std::string_view EncodingMarkBytes(TTextEncoding encoding);

// Conversion of the ANSI code page: the system's at the Windows edge, code page 1251 in the core.
using TAnsiDecoder = std::u16string (*)(std::string_view bytes);
std::u16string DecodeAnsi1251(std::string_view bytes);

// UTF-16LE units of the bytes; an odd last byte becomes the low byte of a last character.
std::u16string DecodeUtf16LE(std::span<const uint8_t> bytes);
// A whole text file by its mark (the mark itself is dropped).
std::u16string DecodeText(std::span<const uint8_t> bytes, TAnsiDecoder ansi = nullptr);

class TByteReader {
 public:
  TByteReader() = default;
  explicit TByteReader(std::span<const uint8_t> bytes, TAnsiDecoder ansi = nullptr);

  // No bytes, cursor at 0, ANSI.
  void Init();
  void Assign(std::span<const uint8_t> bytes);

  TTextEncoding Encoding() const { return encoding_; }
  void SetEncoding(TTextEncoding encoding) { encoding_ = encoding; }
  // From the start of the bytes; the cursor is left behind the mark.
  TTextEncoding DetectEncoding();

  // The next line: CR LF, a lone CR and a lone LF all end it. At the end the line is empty.
  std::u16string ReadLine();

  // Each read takes all it asks for or nothing: false leaves the cursor where it was.
  bool ReadBuf(std::span<uint8_t> dest);
  bool ReadStr(std::string& text, size_t count);
  bool ReadWideStr(std::u16string& text, size_t count);
  // Inline: the raw stream parsers read byte by byte.
  bool ReadByte(uint8_t& value) {
    if (pos_ >= bytes_.size()) return false;
    value = bytes_[pos_++];
    return true;
  }
  bool ReadWord(uint16_t& value);
  bool ReadWideChar(char16_t& value);

  // Moves inside [0, Size] only; false and no move otherwise.
  bool Skip(int64_t n);
  bool Seek(int64_t offset) {
    if (offset < 0 || static_cast<uint64_t>(offset) > bytes_.size()) return false;
    pos_ = static_cast<size_t>(offset);
    return true;
  }

  size_t Position() const { return pos_; }
  size_t Size() const { return bytes_.size(); }
  size_t Remaining() const { return bytes_.size() - pos_; }
  bool Eof() const { return pos_ >= bytes_.size(); }

  // The count bytes at the cursor, for reading a structure in place; empty when fewer remain.
  std::span<const uint8_t> CurrentAddress(size_t count) const;
  std::span<const uint8_t> Bytes() const { return bytes_; }

 protected:
  void SetAnsiDecoder(TAnsiDecoder ansi) { ansi_ = ansi; }

 private:
  std::u16string DecodeAnsi(std::string_view bytes) const;

  std::span<const uint8_t> bytes_;
  size_t pos_ = 0;
  TTextEncoding encoding_ = TTextEncoding::Ansi;
  TAnsiDecoder ansi_ = nullptr;
};
