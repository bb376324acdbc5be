// Document-type identifier: a code of up to four 8-bit characters held in one 32-bit word.
#include "foundation/cl_tools_docid.h"

namespace {
// 'D' in byte 0 and 'C' in byte 1: the prefix of a four-character code that names a two-character type.
constexpr uint32_t kDcPrefix = 0x4344;
constexpr uint32_t kLowHalf = 0xFFFF;

char ByteOf(uint32_t value, int index) { return static_cast<char>((value >> (8 * index)) & 0xFF); }
}  // namespace

uint32_t TDocIdClass::Pack(std::string_view text) {
  if (text.empty() || text.size() > 4) return 0;
  // The characters take bytes 4 - n to 3, in memory order (byte 0 the least significant).
  uint32_t value = 0;
  const int first = 4 - static_cast<int>(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    value |= static_cast<uint32_t>(static_cast<unsigned char>(text[i])) << (8 * (first + static_cast<int>(i)));
  }
  return value;
}

uint32_t TDocIdClass::NormalForm(uint32_t value) {
  return (value & kLowHalf) == kDcPrefix ? value & ~kLowHalf : value;
}

TDocIdClass TDocIdClass::CreateFromText(std::string_view text) {
  TDocIdClass id;
  id.SetText(text);
  return id;
}

TDocIdClass TDocIdClass::CreateCopy(const TDocIdClass& other) {
  TDocIdClass id;
  id.FValue = other.FValue;
  return id;
}

void TDocIdClass::SetText(std::string_view text) { FValue = Pack(text); }

std::string TDocIdClass::GetText() const {
  if (FValue == 0 || FValue == kDcPrefix) return {};
  const uint32_t low = FValue & kLowHalf;
  if (low != 0 && low != kDcPrefix) return {ByteOf(FValue, 0), ByteOf(FValue, 1), ByteOf(FValue, 2), ByteOf(FValue, 3)};
  return {ByteOf(FValue, 2), ByteOf(FValue, 3)};
}

int32_t TDocIdClass::CharCount() const {
  const uint32_t low = FValue & kLowHalf;
  return low == 0 || low == kDcPrefix ? 2 : 4;
}

void TDocIdClass::Assign(const TDocIdClass* other) {
  if (other != nullptr) FValue = other->FValue;
}

bool TDocIdClass::SameAs(const TDocIdClass& other) const { return NormalForm(FValue) == NormalForm(other.FValue); }

bool TDocIdClass::SameAsText(std::string_view text) const {
  const std::string bytes{ByteOf(FValue, 0), ByteOf(FValue, 1), ByteOf(FValue, 2), ByteOf(FValue, 3)};
  return SameTexts(bytes, text);
}

bool TDocIdClass::SameTexts(std::string_view a, std::string_view b) { return NormalForm(Pack(a)) == NormalForm(Pack(b)); }
