// Text and number helpers: hexadecimal texts, tokenizers, pieces of strings, number texts, case folding.
// 8-bit strings hold bytes of the ANSI code page; positions are 1-based.
#pragma once

#include <array>
#include <bitset>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "foundation/lib_sys.h"

using TCharSet = std::bitset<256>;
// A set of UTF-16 code units, a bit each: membership at once, and a range of the whole plane costs
// a thousand words, not a search per character.
class TWideCharSet {
 public:
  bool Empty() const { return count_ == 0; }
  size_t Size() const { return count_; }
  void Clear();
  bool Contains(char16_t ch) const { return (words_[ch / 64] >> (ch % 64)) & 1u; }
  void Include(char16_t ch);
  void IncludeRange(char16_t from, char16_t to);  // from to to, both in; nothing when to < from
  // The members in code order.
  std::u16string Chars() const;
  bool operator==(const TWideCharSet&) const = default;

 private:
  std::array<uint64_t, 1024> words_{};
  size_t count_ = 0;
};

// Hexadecimal and number texts.
std::string HexDecode(std::string_view text);
int HexDigitValue(char16_t ch);
uint8_t Hex2ToByte(std::string_view text);
uint32_t Hex8ToInt(std::string_view text);
std::string ByteToHex2(uint8_t b);
std::string IntToHex8(uint32_t v);
std::string IntToHexMin(uint32_t v);
std::string IntToHexN(uint32_t v, int minDigits);
std::string HexListToStr(std::string_view list, char delimiter);
std::string StrToHexList(std::string_view bytes);
std::string IntToBase36(uint32_t v, int digits);
std::string IntToText(int64_t v);
// The text in double quotation marks, as log lines and boxes show names.
std::u16string Quoted(std::u16string_view text);
int32_t StrToIntOrZero(std::string_view text);
std::string FormatByteSize(int64_t size);
std::string SizeToText(const TSize& s);
std::string PointToText(const TPoint& p);
std::string RectToText(const TRect& r);

// Tokens and pieces.
std::string ExtractToken(std::string& text, char delimiter);
std::u16string ExtractTokenW(std::u16string& text, char16_t delimiter);
// The same tokens from a view that only moves forward: a loop over a whole list of outside text stays
// linear in its length (the forms above erase from the front of the string).
std::string ExtractToken(std::string_view& text, char delimiter);
std::u16string ExtractTokenW(std::u16string_view& text, char16_t delimiter);
std::u16string ExtractTokenWA(std::u16string& text, char delimiter);
void ExtractTokenAndDelimW(std::u16string& text, const TCharSet& set, char& delimiter, std::u16string& token);
void ExtractTokenBySetW(std::u16string& text, const TCharSet& set, std::u16string& token);
void ExtractTokenBySetSkipW(std::u16string& text, const TCharSet& set, bool skipRun, std::u16string& token);
std::u16string ExtractTokensW(std::u16string& text, const TCharSet& set, int count);
void ExtractTokenByStrW(std::u16string& text, std::u16string_view separator, std::u16string& token);
void AppendWithSeparator(std::string_view separator, std::string_view value, std::string& list);
void AppendWithSeparatorW(std::u16string_view separator, std::u16string_view value, std::u16string& list);
std::string ReplaceAll(std::string_view text, std::string_view oldText, std::string_view newText);
std::u16string ReplaceAllW(std::u16string_view text, std::u16string_view oldText, std::u16string_view newText);
void ReplaceInPatternW(std::u16string& text, std::u16string_view pattern, char16_t newChar, int index,
                       std::u16string_view classChars, char16_t classChar);
std::string CopyFromPos(std::string_view text, int pos);
std::u16string CopyFromPosW(std::u16string_view text, int pos);
bool CopyStrToBuf(std::span<uint8_t> buffer, std::string_view text, int pos, int count);
int PosInBuffer(std::string_view pattern, std::span<const uint8_t> buffer);
std::string BufToStr(std::span<const uint8_t> buffer, int n);
std::u16string BufToStrW(std::span<const char16_t> buffer, int n);
std::u16string LowBytesToStrW(std::span<const char16_t> buffer, int n);
bool HasHighBytes(std::span<const char16_t> buffer, int n);
std::string RepeatChar(char ch, int n);
void PadRight(std::string& text, int width, char ch);
char HeadChar(std::string_view text);
char TailChar(std::string_view text);
char16_t HeadCharW(std::u16string_view text);
char16_t TailCharW(std::u16string_view text);
char CharAtPos(std::string_view text, int pos);
char16_t CharAtPosW(std::u16string_view text, int pos);
int LastCharPos(char ch, std::string_view text);
std::string CharSetToStr(const TCharSet& set);
TCharSet StrToCharSet(std::string_view text);

// Case folding of the letters a Russian system folds (Latin, Latin-1, Latin Extended-A, Greek, Cyrillic).
char16_t LowerCharW(char16_t ch);
char16_t UpperCharW(char16_t ch);
std::u16string LowerCaseW(std::u16string_view text);
std::u16string UpperCaseW(std::u16string_view text);

bool InWideCharSet(char16_t ch, const TWideCharSet& set);
void IncludeWideChar(TWideCharSet& set, char16_t ch);
// "x..y" is the characters x to y (none when y is missing or below x); any other character is itself.
void ParseWideCharList(TWideCharSet& set, std::u16string_view text);

// Characters of at most U+0020, as Trim removes them.
std::string TrimStr(std::string_view text);
std::u16string TrimW(std::u16string_view text);
