// SIXPACK: windowed LZ with hash chains; literals, copies and the end mark share one adaptive
// Huffman code of 629 symbols; copy distances follow in 4 to 14 extra bits.
#include <array>
#include <memory>
#include <vector>

#include "coding/lib_datcoder_compress.h"
#include "coding/lib_datcoder_trees.h"

namespace {

constexpr int TEXTSEARCH = 1000, BINSEARCH = 200;  // chain depth at the current position
constexpr int TEXTNEXT = 50, BINNEXT = 20;         // and at the next one
constexpr int MINCOPY = 3, MAXCOPY = 64;
constexpr int SHORTRANGE = 3;  // a 3-byte copy must lie in the first 4 ranges (5 for binary)
constexpr int COPYRANGES = 6;
constexpr int kCopyBits[COPYRANGES] = {4, 6, 8, 10, 12, 14};
constexpr int CODESPERRANGE = MAXCOPY - MINCOPY + 1;  // 62
constexpr int TERMINATE = 256;
constexpr int FIRSTCODE = 257;
static_assert(TSixpackTree::kMaxChar == FIRSTCODE + COPYRANGES * CODESPERRANGE - 1);
constexpr int HASHSIZE = 16384;
constexpr int NIL = -1;

struct TCopyRanges {
  int min[COPYRANGES], max[COPYRANGES];
};
constexpr TCopyRanges kRanges = [] {
  TCopyRanges r{};
  int j = 0;
  for (int i = 0; i < COPYRANGES; ++i) {
    r.min[i] = j;
    j += 1 << kCopyBits[i];
    r.max[i] = j - 1;
  }
  return r;
}();
constexpr int MAXDISTANCE = kRanges.max[COPYRANGES - 1];  // 21839
constexpr int MAXSIZE = MAXDISTANCE + MAXCOPY;            // 21903

class TSixpackEncoder {
 public:
  explicit TSixpackEncoder(std::string& out) : out_(out) { head_.fill(NIL); }
  void Run(std::string_view data);

 private:
  void PutBit(int bit);
  void PutCode(int code, int bits);
  void Flush();
  void Encode(int code);
  int Key(int n) const;
  void AddNode(int n);
  void DeleteNode(int n);
  int Match(int n, int depth);

  std::string& out_;
  unsigned bitBuf_ = 0;
  int bitCount_ = 0;
  TSixpackTree tree_;
  std::array<int, HASHSIZE> head_{}, tail_{};
  std::array<int, MAXSIZE> succ_{}, pred_{};
  std::array<unsigned char, MAXSIZE> buffer_{};
  int insert_ = MINCOPY;
  int distance_ = 0;
  bool binary_ = false;
};

void TSixpackEncoder::PutBit(int bit) {
  bitBuf_ = (bitBuf_ << 1) | static_cast<unsigned>(bit);
  if (++bitCount_ == 16) {
    out_.push_back(static_cast<char>(bitBuf_ & 0xFF));  // each 16-bit word low byte first
    out_.push_back(static_cast<char>((bitBuf_ >> 8) & 0xFF));
    bitBuf_ = 0;
    bitCount_ = 0;
  }
}

void TSixpackEncoder::PutCode(int code, int bits) {
  for (int i = 0; i < bits; ++i, code >>= 1) PutBit(code & 1);
}

void TSixpackEncoder::Flush() {
  while (bitCount_ != 0) PutBit(0);
}

void TSixpackEncoder::Encode(int code) {
  // The path is read leaf to root and sent root first; a rebalanced tree may grow deep.
  std::array<unsigned char, TSixpackTree::kTwiceMax> path;
  int sp = 0;
  int a = code + TSixpackTree::kSuccMax;
  do {
    path[sp++] = tree_.right[tree_.up[a]] == a;
    a = tree_.up[a];
  } while (a != TSixpackTree::kRoot);
  while (sp > 0) PutBit(path[--sp]);
  tree_.Update(code);
}

int TSixpackEncoder::Key(int n) const {
  return (buffer_[n] ^ (buffer_[(n + 1) % MAXSIZE] << 4) ^ (buffer_[(n + 2) % MAXSIZE] << 8)) &
         (HASHSIZE - 1);
}

void TSixpackEncoder::AddNode(int n) {
  const int key = Key(n);
  if (head_[key] == NIL) {
    tail_[key] = n;
    succ_[n] = NIL;
  } else {
    succ_[n] = head_[key];
    pred_[head_[key]] = n;
  }
  head_[key] = n;
  pred_[n] = NIL;
}

// Drops the oldest node of n's chain, which is n: nodes leave in the order they came.
void TSixpackEncoder::DeleteNode(int n) {
  const int key = Key(n);
  if (head_[key] == NIL) return;
  if (head_[key] == tail_[key]) {
    head_[key] = NIL;
  } else {
    succ_[pred_[tail_[key]]] = NIL;
    tail_[key] = pred_[tail_[key]];
  }
}

int TSixpackEncoder::Match(int n, int depth) {
  if (n == MAXSIZE) n = 0;
  int best = 0, count = 0;
  for (int index = head_[Key(n)]; index != NIL; index = succ_[index]) {
    if (++count > depth) break;
    if (buffer_[(n + best) % MAXSIZE] != buffer_[(index + best) % MAXSIZE]) continue;
    int len = 0, i = n, j = index;
    while (buffer_[i] == buffer_[j] && len < MAXCOPY && j != n && i != insert_) {
      ++len;
      if (++i == MAXSIZE) i = 0;
      if (++j == MAXSIZE) j = 0;
    }
    int dist = n - index;
    if (dist < 0) dist += MAXSIZE;
    dist -= len;
    if (len > best && dist <= MAXDISTANCE &&
        (len > MINCOPY || dist <= kRanges.max[SHORTRANGE + (binary_ ? 1 : 0)])) {
      best = len;
      distance_ = dist;
    }
  }
  return best;
}

void TSixpackEncoder::Run(std::string_view data) {
  size_t in = 0;
  for (int i = 0; i < MINCOPY; ++i) {
    if (in == data.size()) {
      Encode(TERMINATE);
      Flush();
      return;
    }
    const auto c = static_cast<unsigned char>(data[in++]);
    Encode(c);
    buffer_[i] = c;
  }
  for (int i = 0; i < MAXCOPY && in < data.size(); ++i) {
    const auto c = static_cast<unsigned char>(data[in++]);
    buffer_[insert_++] = c;
    if (c > 127) binary_ = true;
  }

  int n = MINCOPY, addpos = 0, len = 0;
  bool copying = false, full = false, more = true;
  while (n != insert_) {
    if (full) DeleteNode(insert_);
    AddNode(addpos);
    if (copying) {
      if (--len == 1) copying = false;
    } else {
      // The next position's match is searched first: Match leaves distance_ for the last search.
      const int nextlen = binary_ ? Match(n + 1, BINNEXT) : Match(n + 1, TEXTNEXT);
      len = binary_ ? Match(n, BINSEARCH) : Match(n, TEXTSEARCH);
      if (len >= MINCOPY && len >= nextlen) {
        copying = true;
        int range = 0;
        while (distance_ > kRanges.max[range]) ++range;
        Encode(FIRSTCODE - MINCOPY + len + range * CODESPERRANGE);
        PutCode(distance_ - kRanges.min[range], kCopyBits[range]);
      } else {
        Encode(buffer_[n]);
      }
    }
    if (++n == MAXSIZE) n = 0;
    if (++addpos == MAXSIZE) addpos = 0;
    if (more) {
      if (in < data.size()) {
        buffer_[insert_++] = static_cast<unsigned char>(data[in++]);
        if (insert_ == MAXSIZE) {
          insert_ = 0;
          full = true;
        }
      } else {
        more = false;
        full = false;
      }
    }
  }
  Encode(TERMINATE);
  Flush();
}

}  // namespace

std::string LzWindowCompress(std::string_view data, uint32_t& length) {
  if (length > data.size()) length = static_cast<uint32_t>(data.size());
  std::string out;
  out.reserve(length / 2 + 16);
  // About 300 KB of window and chains: kept off the stack.
  auto encoder = std::make_unique<TSixpackEncoder>(out);
  encoder->Run(data.substr(0, length));
  length = static_cast<uint32_t>(out.size());
  return out;
}
