// Test-only decoders for LZHUF, SIXPACK and the additive and class scrambles. They carry their own
// Huffman models and shift register, written from the published algorithms, so that a fault in the
// coder's tables or register breaks the round trips instead of being mirrored by the reader.
#include "support/datcoder_decoders.h"

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

namespace {

// The keystream register: taps at bits 31, 21, 1 and 0, the new bit their parity shifted in at the
// bottom; one keystream value is eight steps.
class TKeyRegister {
 public:
  explicit TKeyRegister(uint32_t seed) : state_(seed) {}
  uint32_t Next() {
    for (int step = 0; step < 8; ++step) {
      const uint32_t bit = ((state_ >> 31) ^ (state_ >> 21) ^ (state_ >> 1) ^ state_) & 1u;
      state_ = (state_ << 1) | bit;
    }
    return state_;
  }

 private:
  uint32_t state_;
};

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

// The LZHUF model as the published decoder keeps it: 314 leaves, 627 nodes in one array ordered by
// frequency (the root last), a node's children at son and son + 1, a son of 627 or more the leaf of
// symbol son - 627. Frequencies start at 1; at 0x8000 in the root they are halved and the tree rebuilt.
class TLzhModel {
 public:
  static constexpr int kChars = 314;
  static constexpr int kNodes = 2 * kChars - 1;
  static constexpr int kRoot = kNodes - 1;

  TLzhModel() {
    for (int i = 0; i < kChars; ++i) {
      freq_[i] = 1;
      son_[i] = i + kNodes;
      prnt_[i + kNodes] = i;
    }
    int i = 0;
    for (int j = kChars; j <= kRoot; ++j, i += 2) {
      freq_[j] = freq_[i] + freq_[i + 1];
      son_[j] = i;
      prnt_[i] = prnt_[i + 1] = j;
    }
    freq_[kNodes] = 0xFFFF;
    prnt_[kRoot] = 0;
  }

  // The next symbol, the model updated; nullopt when the bits run out.
  std::optional<int> Decode(TMsbReader& in) {
    int c = son_[kRoot];
    while (c < kNodes) {
      int bit;
      if (!in.Bit(bit)) return std::nullopt;
      c = son_[c + bit];
    }
    c -= kNodes;
    Update(c);
    return c;
  }

 private:
  void Reconstruct() {
    int j = 0;
    for (int i = 0; i < kNodes; ++i)
      if (son_[i] >= kNodes) {
        freq_[j] = (freq_[i] + 1) / 2;
        son_[j] = son_[i];
        ++j;
      }
    for (int i = 0, n = kChars; n < kNodes; i += 2, ++n) {
      const unsigned f = freq_[i] + freq_[i + 1];
      int k = n - 1;
      while (f < freq_[k]) --k;
      ++k;
      for (int m = n; m > k; --m) {
        freq_[m] = freq_[m - 1];
        son_[m] = son_[m - 1];
      }
      freq_[k] = f;
      son_[k] = i;
    }
    for (int i = 0; i < kNodes; ++i) {
      const int k = son_[i];
      prnt_[k] = i;
      if (k < kNodes) prnt_[k + 1] = i;
    }
  }

  void Update(int symbol) {
    if (freq_[kRoot] == 0x8000) Reconstruct();
    int c = prnt_[symbol + kNodes];
    do {
      const unsigned k = ++freq_[c];
      int l = c + 1;
      if (k > freq_[l]) {
        while (k > freq_[++l]) {
        }
        --l;
        freq_[c] = freq_[l];
        freq_[l] = k;
        const int i = son_[c];
        prnt_[i] = l;
        if (i < kNodes) prnt_[i + 1] = l;
        const int j = son_[l];
        son_[l] = i;
        prnt_[j] = c;
        if (j < kNodes) prnt_[j + 1] = c;
        son_[c] = j;
        c = l;
      }
    } while ((c = prnt_[c]) != 0);
  }

  std::array<unsigned, kNodes + 1> freq_{};
  std::array<int, kNodes + kChars> prnt_{};
  std::array<int, kNodes> son_{};
};

// The upper 6 bits of an LZHUF position by the stream's next byte: the published decode table, 32
// bytes each for 0, 16 each for 1..3, 8 each for 4..11, 4 each for 12..23, 2 each for 24..47, 1 each
// for 48..63, with codes of 3, 4, 5, 6, 7 and 8 bits.
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

// The SIXPACK model: 629 symbols, nodes 1..1257 with the root at 1 and symbol s at node s + 629. At
// the start node i's parent is i / 2 and its count 1 (the root's 0), inner node i has the children 2i
// (code bit 0) and 2i + 1 (code bit 1). After a symbol its count grows, the counts up to the root are
// summed again, and a node that outgrows its parent's sibling trades places with it; all counts are
// halved when the root's reaches 2000.
class TSixpackModel {
 public:
  static constexpr int kSymbols = 629;
  static constexpr int kInner = kSymbols - 1;
  static constexpr int kLast = 2 * kSymbols - 1;
  static constexpr int kRoot = 1;

  TSixpackModel() {
    for (int i = 2; i <= kLast; ++i) {
      parent_[i] = i / 2;
      count_[i] = 1;
    }
    for (int i = 1; i <= kInner; ++i) {
      child_[0][i] = 2 * i;
      child_[1][i] = 2 * i + 1;
    }
  }

  template <class TBit>
  std::optional<int> Decode(TBit&& bit) {
    int node = kRoot, b;
    while (node <= kInner) {
      if (!bit(b)) return std::nullopt;
      node = child_[b][node];
    }
    const int symbol = node - kSymbols;
    Update(symbol);
    return symbol;
  }

 private:
  int Sibling(int node) const {
    const int p = parent_[node];
    return child_[0][p] == node ? child_[1][p] : child_[0][p];
  }

  void SumToRoot(int node) {
    while (node != kRoot) {
      const int p = parent_[node];
      count_[p] = count_[child_[0][p]] + count_[child_[1][p]];
      node = p;
    }
    if (count_[kRoot] == 2000)
      for (int i = 1; i <= kLast; ++i) count_[i] /= 2;
  }

  void Update(int symbol) {
    int a = symbol + kSymbols;
    ++count_[a];
    if (parent_[a] == kRoot) return;
    SumToRoot(a);
    while (parent_[a] != kRoot) {
      const int up = parent_[a], grand = parent_[up];
      const int b = Sibling(up);
      if (count_[a] > count_[b]) {
        child_[child_[0][grand] == up ? 1 : 0][grand] = a;
        child_[child_[0][up] == a ? 0 : 1][up] = b;
        parent_[b] = up;
        parent_[a] = grand;
        SumToRoot(b);
        a = b;
      }
      a = parent_[a];
    }
  }

  std::array<int, kLast + 1> parent_{}, count_{};
  std::array<std::array<int, kInner + 1>, 2> child_{};
};

uint32_t SeedOf(std::string_view s) {
  uint32_t seed = 0;
  for (int i = 0; i < 4; ++i) seed |= static_cast<uint32_t>(static_cast<unsigned char>(s[i])) << (8 * i);
  return seed;
}

}  // namespace

std::optional<std::string> LzhDecompress(std::string_view stream, size_t length) {
  constexpr int N = 4096, F = 60, THRESHOLD = 2;
  auto model = std::make_unique<TLzhModel>();
  std::vector<unsigned char> ring(N, ' ');
  int r = N - F;
  TMsbReader in(stream);
  std::string out;
  while (out.size() < length) {
    const std::optional<int> symbol = model->Decode(in);
    if (!symbol) return std::nullopt;
    const int c = *symbol;
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
  auto model = std::make_unique<TSixpackModel>();
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
    const std::optional<int> symbol = model->Decode(bit);
    if (!symbol) return std::nullopt;
    const int c = *symbol;
    if (c == 256) return out;
    if (c < 256) {
      out.push_back(static_cast<char>(c));
      continue;
    }
    const int range = (c - 257) / 62, len = (c - 257) % 62 + 3;
    int extra = 0, b;
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
  TKeyRegister key(SeedOf(scrambled));
  std::string out;
  for (unsigned char s : scrambled.substr(4)) {
    const unsigned k = key.Next() % 255;
    out.push_back(static_cast<char>(s >= k ? s - k : s + 255 - k));
  }
  return out;
}

std::optional<std::string> ClassUnscramble(std::string_view scrambled, const std::string& classTable) {
  if (scrambled.size() < 4 || classTable.size() != 1024) return std::nullopt;
  const auto* t = reinterpret_cast<const unsigned char*>(classTable.data());
  TKeyRegister key(SeedOf(scrambled));
  std::string out;
  for (unsigned char c : scrambled.substr(4)) {
    const unsigned j = t[4 * c], n = t[4 * c + 1], base = t[4 * c + 2];
    if (n == 0) return std::nullopt;  // every byte value belongs to a class
    const unsigned k = (key.Next() % n) & 0xFF;
    out.push_back(static_cast<char>(t[4 * ((base + (j + n - k % n) % n) & 0xFF) + 3]));
  }
  return out;
}
