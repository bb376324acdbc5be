// Document-type identifier: a code of up to four 8-bit characters held in one 32-bit word, so that
// codes compare as numbers; a four-character code beginning with "DC" equals its last two characters.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

class TDocIdClass {
 public:
  TDocIdClass() = default;

  static TDocIdClass CreateFromText(std::string_view text);
  static TDocIdClass CreateCopy(const TDocIdClass& other);

  // A text of 1 to 4 characters fills the top bytes of the word; any other length gives 0.
  void SetText(std::string_view text);
  // Four characters, or two (bytes 2 and 3) when the low half is 0 or "DC"; empty for 0 and a bare "DC" word.
  std::string GetText() const;
  uint32_t Value() const { return FValue; }
  bool IsEmpty() const { return FValue == 0; }
  int32_t CharCount() const;
  // A null identifier changes nothing.
  void Assign(const TDocIdClass* other);
  void Clear() { FValue = 0; }
  bool SameAs(const TDocIdClass& other) const;
  // The word's four bytes (zero bytes included) taken as a text and compared by SameTexts.
  bool SameAsText(std::string_view text) const;
  static bool SameTexts(std::string_view a, std::string_view b);

 private:
  static uint32_t Pack(std::string_view text);
  static uint32_t NormalForm(uint32_t value);

  uint32_t FValue = 0;
};
