// Test-only decoders for LZHUF, SIXPACK and the additive and class scrambles.
#include "support/datcoder_decoders.h"

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "coding/lib_datcoder_random.h"
#include "coding/lib_datcoder_trees.h"

namespace {

// Bits most significant first; past the end, reading fails.
class TMsbReader {
 public:
  explicit TMsbReader(std::string_view s) : s_(s) {}
  bool Bit(int& bit) {
    if (pos_ >= s_.size() * 8) return false;
    bit = (static_cast<unsigned char>(s_[pos_ / 8]) >> (7 - pos_ % 8)) & 1;
    ++pos_;
    return true;
  }

 private:
  std::string_view s_;
  size_t pos_ = 0;
};

// Upper 6 bits of an LZHUF position: the code lengths by leading byte, written out as runs of the
// published decode table (32 bytes decode to 0, 16 to each of 1..3, 8 to each of 4..11, ...).
struct TPosDecode {
  std::array<uint8_t, 256> code{}, len{};
};
const TPosDecode& PositionTable() {
  static const TPosDecode table = [] {
    TPosDecode t;
    const struct { int values, bytesEach, bits; } runs[] = {
        {1, 32, 3}, {3, 16, 4}, {8, 8, 5}, {12, 4, 6}, {24, 2, 7}, {16, 1, 8}};
    int byte = 0, value = 0;
    for (const auto& r : runs)
      for (int v = 0; v < r.values; ++v, ++value)
        for (int b = 0; b < r.bytesEach; ++b, ++byte) {
          t.code[byte] = static_cast<uint8_t>(value);
          t.len[byte] = static_cast<uint8_t>(r.bits);
        }
    return t;
  }();
  return table;
}

uint32_t SeedOf(std::string_view s) {
  uint32_t seed = 0;
  for (int i = 0; i < 4; ++i) seed |= static_cast<uint32_t>(static_cast<unsigned char>(s[i])) << (8 * i);
  return seed;
}

}  // namespace

std::optional<std::string> LzhDecompress(std::string_view stream, size_t length) {
  constexpr int N = 4096, F = 60, THRESHOLD = 2;
  auto tree = std::make_unique<TLzhTree>();
  std::vector<unsigned char> ring(N, ' ');
  int r = N - F;
  TMsbReader in(stream);
  std::string out;
  while (out.size() < length) {
    int c = tree->son[TLzhTree::R];
    while (c < TLzhTree::T) {
      int bit;
      if (!in.Bit(bit)) return std::nullopt;
      c = tree->son[c + bit];
    }
    c -= TLzhTree::T;
    tree->Update(c);
    if (c < 256) {
      out.push_back(static_cast<char>(c));
      ring[r] = static_cast<unsigned char>(c);
      r = (r + 1) & (N - 1);
      continue;
    }
    int lead = 0;
    for (int k = 0; k < 8; ++k) {
      int bit;
      if (!in.Bit(bit)) return std::nullopt;
      lead = lead << 1 | bit;
    }
    int low = lead;
    for (int k = PositionTable().len[lead] - 2; k > 0; --k) {
      int bit;
      if (!in.Bit(bit)) return std::nullopt;
      low = low << 1 | bit;
    }
    const int position = PositionTable().code[lead] << 6 | (low & 0x3F);
    const int from = (r - position - 1) & (N - 1);
    for (int k = 0; k < c - 255 + THRESHOLD; ++k) {
      const unsigned char b = ring[(from + k) & (N - 1)];
      out.push_back(static_cast<char>(b));
      ring[r] = b;
      r = (r + 1) & (N - 1);
    }
  }
  if (out.size() != length) return std::nullopt;  // a copy ran past the end
  return out;
}

std::optional<std::string> SixpackDecompress(std::string_view stream) {
  constexpr int kCopyBits[6] = {4, 6, 8, 10, 12, 14};
  int copyMin[6], next = 0;
  for (int i = 0; i < 6; ++i) {
    copyMin[i] = next;
    next += 1 << kCopyBits[i];
  }
  const int window = next - 1 + 64;
  auto tree = std::make_unique<TSixpackTree>();
  // 16-bit words, low byte first, bits from the top of the word.
  size_t bitPos = 0;
  auto bit = [&](int& b) {
    const size_t word = bitPos / 16, in = bitPos % 16;
    if (2 * word + 1 >= stream.size()) return false;
    const unsigned w = static_cast<unsigned char>(stream[2 * word]) |
                       static_cast<unsigned char>(stream[2 * word + 1]) << 8;
    b = (w >> (15 - in)) & 1;
    ++bitPos;
    return true;
  };
  std::string out;
  for (;;) {
    int a = TSixpackTree::kRoot, b;
    while (a <= TSixpackTree::kMaxChar) {
      if (!bit(b)) return std::nullopt;
      a = b ? tree->right[a] : tree->left[a];
    }
    const int c = a - TSixpackTree::kSuccMax;
    tree->Update(c);
    if (c == 256) return out;
    if (c < 256) {
      out.push_back(static_cast<char>(c));
      continue;
    }
    const int range = (c - 257) / 62, len = (c - 257) % 62 + 3;
    int extra = 0;
    for (int i = 0; i < kCopyBits[range]; ++i) {
      if (!bit(b)) return std::nullopt;
      extra |= b << i;
    }
    const size_t back = static_cast<size_t>(extra + copyMin[range] + len);
    if (back > out.size() || back > static_cast<size_t>(window)) return std::nullopt;
    const size_t from = out.size() - back;
    for (int i = 0; i < len; ++i) out.push_back(out[from + i]);
  }
}

std::optional<std::string> AdditiveUnscramble(std::string_view scrambled) {
  if (scrambled.size() < 4) return std::nullopt;
  uint32_t state = SeedOf(scrambled);
  std::string out;
  for (unsigned char s : scrambled.substr(4)) {
    const unsigned k = LfsrNextByte(kLfsrTaps, 255, state);
    out.push_back(static_cast<char>(s >= k ? s - k : s + 255 - k));
  }
  return out;
}

std::optional<std::string> ClassUnscramble(std::string_view scrambled, const std::string& classTable) {
  if (scrambled.size() < 4 || classTable.size() != 1024) return std::nullopt;
  const auto* t = reinterpret_cast<const unsigned char*>(classTable.data());
  uint32_t state = SeedOf(scrambled);
  std::string out;
  for (unsigned char c : scrambled.substr(4)) {
    const unsigned j = t[4 * c], n = t[4 * c + 1], base = t[4 * c + 2];
    const unsigned k = LfsrNextByte(kLfsrTaps, n, state) & 0xFF;
    out.push_back(static_cast<char>(t[4 * ((base + (j + n - k % n) % n) & 0xFF) + 3]));
  }
  return out;
}
