// LZHUF: LZSS over a 4096-byte ring with binary search trees, literals and lengths sent through an
// adaptive Huffman code, match positions through a fixed code for their upper 6 bits.
#include <algorithm>
#include <bit>
#include <cstring>
#include <array>
#include <memory>
#include <vector>

#include "coding/lib_datcoder_compress.h"
#include "coding/lib_datcoder_trees.h"

namespace {

constexpr int N = 4096;        // ring size
constexpr int F = 60;          // look-ahead
constexpr int THRESHOLD = 2;   // matches this short go out as literals
constexpr int NIL = N;
static_assert(TLzhTree::kSymbols == 256 - THRESHOLD + F);

// Lengths of the position codes for the upper 6 bits; the codes are canonical (consecutive).
constexpr std::array<uint8_t, 64> kPosLen = [] {
  std::array<uint8_t, 64> len{};
  const int counts[] = {1, 3, 8, 12, 24, 16};  // codes of 3..8 bits
  int i = 0;
  for (int bits = 3; bits <= 8; ++bits)
    for (int k = 0; k < counts[bits - 3]; ++k) len[i++] = static_cast<uint8_t>(bits);
  return len;
}();
constexpr std::array<uint8_t, 64> kPosCode = [] {
  std::array<uint8_t, 64> code{};
  unsigned next = 0;  // left-aligned in 8 bits
  for (int i = 0; i < 64; ++i) {
    code[i] = static_cast<uint8_t>(next);
    next += 1u << (8 - kPosLen[i]);
  }
  return code;
}();

class TBitWriter {
 public:
  explicit TBitWriter(std::string& out) : out_(out) {}
  // The low n bits of bits, most significant first.
  void Put(uint64_t bits, int n) {
    while (n > 0) {
      const int take = std::min(n, 8 - fill_);
      n -= take;
      acc_ = static_cast<uint8_t>((acc_ << take) | ((bits >> n) & ((1u << take) - 1)));
      fill_ += take;
      if (fill_ == 8) {
        out_.push_back(static_cast<char>(acc_));
        acc_ = 0;
        fill_ = 0;
      }
    }
  }
  void Flush() {
    if (fill_ > 0) out_.push_back(static_cast<char>(acc_ << (8 - fill_)));
    fill_ = 0;
  }

 private:
  std::string& out_;
  uint8_t acc_ = 0;
  int fill_ = 0;
};

// Length of the common prefix of two F-byte strings, from their second byte on; eight bytes a step
// (the whole-match test dominates the coding time on repetitive documents).
int MatchLength(const unsigned char* a, const unsigned char* b) {
  int i = 1;
  if constexpr (std::endian::native == std::endian::little) {
    for (; i + 8 <= F; i += 8) {
      uint64_t x, y;
      std::memcpy(&x, a + i, 8);
      std::memcpy(&y, b + i, 8);
      if (x != y) return i + (std::countr_zero(x ^ y) >> 3);
    }
  }
  while (i < F && a[i] == b[i]) ++i;
  return i;
}

class TLzhEncoder {
 public:
  explicit TLzhEncoder(std::string& out) : bits_(out) { InitTree(); }

  void Run(std::string_view data);

 private:
  void EncodeChar(int c);
  void EncodePosition(unsigned c);
  // Match trees.
  void InitTree();
  void InsertNode(int r);
  void DeleteNode(int p);

  TBitWriter bits_;
  TLzhTree tree_;
  std::array<unsigned char, N + F - 1> text_{};
  std::array<int, N + 1> dad_{};
  std::array<int, N + 257> lson_{}, rson_{};  // N + 1 + c: the tree root of first byte c
  int matchPosition_ = 0, matchLength_ = 0;
};

void TLzhEncoder::EncodeChar(int c) {
  // Frequencies stay below 0x8000, which bounds the depth well below 64; codes may pass 16 bits.
  uint64_t code = 0;
  int len = 0;
  for (int k = tree_.prnt[c + TLzhTree::T]; k != TLzhTree::R; k = tree_.prnt[k]) {
    code |= static_cast<uint64_t>(k & 1) << len;
    ++len;
  }
  // The walk from the leaf to the root gives the bits from the last one up.
  bits_.Put(code, len);
  tree_.Update(c);
}

void TLzhEncoder::EncodePosition(unsigned c) {
  const unsigned i = c >> 6;
  bits_.Put(kPosCode[i] >> (8 - kPosLen[i]), kPosLen[i]);
  bits_.Put(c & 0x3F, 6);
}

void TLzhEncoder::InitTree() {
  for (int i = N + 1; i <= N + 256; ++i) rson_[i] = NIL;
  for (int i = 0; i < N; ++i) dad_[i] = NIL;
}

void TLzhEncoder::InsertNode(int r) {
  int cmp = 1;
  const unsigned char* key = &text_[r];
  int p = N + 1 + key[0];
  rson_[r] = lson_[r] = NIL;
  matchLength_ = 0;
  for (;;) {
    if (cmp >= 0) {
      if (rson_[p] != NIL) {
        p = rson_[p];
      } else {
        rson_[p] = r;
        dad_[r] = p;
        return;
      }
    } else {
      if (lson_[p] != NIL) {
        p = lson_[p];
      } else {
        lson_[p] = r;
        dad_[r] = p;
        return;
      }
    }
    const int i = MatchLength(key, &text_[p]);
    cmp = i < F ? key[i] - text_[p + i] : 0;
    if (i > THRESHOLD) {
      const int distance = ((r - p) & (N - 1)) - 1;
      if (i > matchLength_) {
        matchPosition_ = distance;
        if ((matchLength_ = i) >= F) break;
      } else if (i == matchLength_ && distance < matchPosition_) {
        matchPosition_ = distance;
      }
    }
  }
  // A full-length match: r takes p's place in the tree.
  dad_[r] = dad_[p];
  lson_[r] = lson_[p];
  rson_[r] = rson_[p];
  dad_[lson_[p]] = r;
  dad_[rson_[p]] = r;
  if (rson_[dad_[p]] == p) {
    rson_[dad_[p]] = r;
  } else {
    lson_[dad_[p]] = r;
  }
  dad_[p] = NIL;
}

void TLzhEncoder::DeleteNode(int p) {
  if (dad_[p] == NIL) return;
  int q;
  if (rson_[p] == NIL) {
    q = lson_[p];
  } else if (lson_[p] == NIL) {
    q = rson_[p];
  } else {
    q = lson_[p];
    if (rson_[q] != NIL) {
      do {
        q = rson_[q];
      } while (rson_[q] != NIL);
      rson_[dad_[q]] = lson_[q];
      dad_[lson_[q]] = dad_[q];
      lson_[q] = lson_[p];
      dad_[lson_[p]] = q;
    }
    rson_[q] = rson_[p];
    dad_[rson_[p]] = q;
  }
  dad_[q] = dad_[p];
  if (rson_[dad_[p]] == p) {
    rson_[dad_[p]] = q;
  } else {
    lson_[dad_[p]] = q;
  }
  dad_[p] = NIL;
}

void TLzhEncoder::Run(std::string_view data) {
  size_t in = 0;
  int s = 0;
  int r = N - F;
  std::fill(text_.begin(), text_.begin() + r, ' ');
  int len = 0;
  for (; len < F && in < data.size(); ++len) text_[r + len] = static_cast<unsigned char>(data[in++]);
  for (int i = 1; i <= F; ++i) InsertNode(r - i);
  InsertNode(r);
  do {
    if (matchLength_ > len) matchLength_ = len;
    if (matchLength_ <= THRESHOLD) {
      matchLength_ = 1;
      EncodeChar(text_[r]);
    } else {
      EncodeChar(255 - THRESHOLD + matchLength_);
      EncodePosition(static_cast<unsigned>(matchPosition_));
    }
    const int last = matchLength_;
    int i = 0;
    for (; i < last && in < data.size(); ++i) {
      const auto c = static_cast<unsigned char>(data[in++]);
      DeleteNode(s);
      text_[s] = c;
      if (s < F - 1) text_[s + N] = c;  // mirror, so comparisons run past the ring's end
      s = (s + 1) & (N - 1);
      r = (r + 1) & (N - 1);
      InsertNode(r);
    }
    while (i++ < last) {
      DeleteNode(s);
      s = (s + 1) & (N - 1);
      r = (r + 1) & (N - 1);
      if (--len) InsertNode(r);
    }
  } while (len > 0);
  bits_.Flush();
}

}  // namespace

std::string LzhCompress(std::string_view data, uint32_t& length) {
  if (length > data.size()) length = static_cast<uint32_t>(data.size());
  std::string out;
  if (length == 0) return out;
  out.reserve(length / 2 + 16);
  // About 60 KB of trees and tables: too much for the stack of a coding thread.
  auto encoder = std::make_unique<TLzhEncoder>(out);
  encoder->Run(data.substr(0, length));
  return out;
}

std::string CompressText(std::string_view data, uint32_t& length, uint8_t mode) {
  if (length > data.size()) length = static_cast<uint32_t>(data.size());
  switch (mode) {
    case 0: return std::string(data);
    case 1: return LzhCompress(data, length);
    case 2: return LzWindowCompress(data, length);
    default: return std::string(data.substr(0, length));
  }
}
