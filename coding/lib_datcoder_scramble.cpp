// Additive, class-preserving and XOR scramblers over the shift register keystream.
#include "coding/lib_datcoder_scramble.h"

#include <array>
#include <utility>

#include "coding/lib_datcoder_random.h"
#include "foundation/lib_sys.h"

namespace {

// The character groups of the substitution, as length-prefixed byte lists. Each group is a class: a
// byte is only ever replaced by a member of its own class. The groups follow the character sets of
// Aztec Code (upper, lower, mixed, punctuation, digit), so a scrambled text costs the same symbol
// room whatever the seed:
//   26 Latin capitals A-Z; 26 Latin small letters a-z;
//   24 control and sign characters of the mixed set: 01-09 (TAB included), 0B, 0C, 1B-1F, @ \ ^ _ ` | ~, 7F;
//   23 punctuation: ! " # $ % & ' ( ) * + - / : ; < = > ? [ ] { };
//   10 digits 0-9; 2 the digit-set signs , and .;
//   1 each, kept as they are: space, CR, LF, NUL.
// The eleventh class holds the 141 remaining values: 0E-1A and 80-FF, that is the Russian letters of
// Windows-1251 (both cases, with Ё and ё) and its other 8-bit signs, all of which Aztec Code sends as
// bytes. An alphabet of 33 letters a case fits none of the fixed group sizes.
constexpr unsigned char kGroups[] = {
    26, 'A', 'B', 'C', 'D', 'E', 'F', 'G', 'H', 'I', 'J', 'K', 'L', 'M', 'N', 'O', 'P', 'Q', 'R',
    'S', 'T', 'U', 'V', 'W', 'X', 'Y', 'Z',
    26, 'a', 'b', 'c', 'd', 'e', 'f', 'g', 'h', 'i', 'j', 'k', 'l', 'm', 'n', 'o', 'p', 'q', 'r',
    's', 't', 'u', 'v', 'w', 'x', 'y', 'z',
    24, 0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08, 0x09, 0x0B, 0x0C, 0x1B, 0x1C, 0x1D, 0x1E,
    0x1F, '@', '\\', '^', '_', '`', '|', '~', 0x7F,
    23, '!', '"', '#', '$', '%', '&', '\'', '(', ')', '*', '+', '-', '/', ':', ';', '<', '=', '>',
    '?', '[', ']', '{', '}',
    10, '0', '1', '2', '3', '4', '5', '6', '7', '8', '9',
    2, ',', '.',
    1, ' ',
    1, 0x0D,
    1, 0x0A,
    1, 0x00,
};

// Exchanges that make the fixed permutation from the identity: single values, then two runs
// {first, second, length}. They only reorder the eleventh class (Ё with ё, the Cyrillic capitals
// with the small letters); no value changes class.
constexpr std::pair<unsigned char, unsigned char> kSingleExchanges[] = {{0xA8, 0xB8}};
struct TRunExchange {
  unsigned char first, second, length;
};
constexpr TRunExchange kRunExchange = {0xC0, 0xE0, 32};

uint32_t TakeSeed(std::string& out, uint32_t n) {
  const uint32_t seed = RandomSeed(n);
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<char>(seed >> (8 * i)));
  return seed;
}

}  // namespace

void BuildClassTable(std::string& table) {
  std::array<unsigned char, 256> order{}, index{}, size{}, start{};
  std::array<bool, 256> grouped{};
  size_t pos = 0;
  for (size_t g = 0; g < sizeof kGroups; g += 1 + kGroups[g]) {
    const unsigned char n = kGroups[g];
    for (unsigned char i = 0; i < n; ++i) {
      const unsigned char v = kGroups[g + 1 + i];
      order[pos + i] = v;
      grouped[v] = true;
      index[v] = i;
      size[v] = n;
      start[v] = static_cast<unsigned char>(pos);
    }
    pos += n;
  }
  const size_t restStart = pos;
  for (unsigned v = 0; v < 256; ++v) {
    if (grouped[v]) continue;
    order[pos] = static_cast<unsigned char>(v);
    index[v] = static_cast<unsigned char>(pos - restStart);
    start[v] = static_cast<unsigned char>(restStart);
    ++pos;
  }
  for (unsigned v = 0; v < 256; ++v)
    if (!grouped[v]) size[v] = static_cast<unsigned char>(256 - restStart);

  std::array<unsigned char, 256> perm{};
  for (unsigned v = 0; v < 256; ++v) perm[v] = static_cast<unsigned char>(v);
  for (auto [a, b] : kSingleExchanges) std::swap(perm[a], perm[b]);
  for (unsigned i = 0; i < kRunExchange.length; ++i)
    std::swap(perm[kRunExchange.first + i], perm[kRunExchange.second + i]);

  table.assign(kClassTableSize, '\0');
  for (unsigned v = 0; v < 256; ++v) {
    const size_t at = 4u * perm[v];
    table[at] = static_cast<char>(index[v]);
    table[at + 1] = static_cast<char>(size[v]);
    table[at + 2] = static_cast<char>(start[v]);
    table[4u * v + 3] = static_cast<char>(perm[order[v]]);
  }
}

std::optional<std::string> AdditiveScramble(std::string_view text) {
  if (text.find('\xFF') != std::string_view::npos) return std::nullopt;
  std::string out;
  out.reserve(text.size() + 4);
  uint32_t state = TakeSeed(out, 255);
  for (unsigned char b : text) {
    const unsigned s = b + LfsrNextByte(kLfsrTaps, 255, state);
    out.push_back(static_cast<char>(s <= 255 ? s : s - 255));
  }
  return out;
}

std::string SubstituteText(std::string_view text, std::string& classTable) {
  if (classTable.size() != kClassTableSize) BuildClassTable(classTable);
  const auto* t = reinterpret_cast<const unsigned char*>(classTable.data());
  std::string out;
  out.reserve(text.size() + 4);
  uint32_t state = TakeSeed(out, 255);
  for (unsigned char c : text) {
    unsigned i = t[4 * c], n = t[4 * c + 1], base = t[4 * c + 2];
    if (n != 0) i = static_cast<unsigned>(IntMod(static_cast<int32_t>(i + (LfsrNextByte(kLfsrTaps, n, state) & 0xFF)),
                                                   static_cast<int32_t>(n)));
    out.push_back(static_cast<char>(t[4 * ((base + i) & 0xFF) + 3]));
  }
  return out;
}

std::string ClassScramble(std::string_view text) {
  std::string table;
  return SubstituteText(text, table);
}

std::optional<std::string> ScrambleText(std::string_view text, uint8_t mode) {
  switch (mode) {
    case 2: return AdditiveScramble(text);
    case 3: return ClassScramble(text);
    default: return std::string(text);
  }
}

std::string XorScramble(std::string_view text) {
  std::string out;
  out.reserve(text.size() + 4);
  uint32_t state = TakeSeed(out, 256);
  for (unsigned char c : text) out.push_back(static_cast<char>(c ^ LfsrXorByte(kLfsrTaps, state)));
  return out;
}

std::string XorUnscramble(std::string_view text) {
  if (text.size() <= 4) return {};
  uint32_t state = 0;
  for (int i = 0; i < 4; ++i) state |= static_cast<uint32_t>(static_cast<unsigned char>(text[i])) << (8 * i);
  std::string out(text.substr(4));
  for (char& c : out) c = static_cast<char>(static_cast<unsigned char>(c) ^ LfsrXorByte(kLfsrTaps, state));
  return out;
}
