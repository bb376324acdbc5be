// Aztec Code text compaction: character table, the six-plan cost search and the code writer.
#include "coding/aztencod_plan.h"

#include <algorithm>
#include <array>
#include <limits>

namespace {

constexpr int kChars = 261;  // 256 bytes, 4 pairs, FLG
constexpr int32_t kInf = std::numeric_limits<int32_t>::max() / 4;
constexpr int8_t kNone = -1;

// Code of each character in each of U, L, M, P, D (kNone where the mode lacks it).
struct TCodeTable {
  std::array<std::array<int8_t, kChars>, 5> Code{};
};

constexpr TCodeTable MakeCodeTable() {
  TCodeTable t{};
  for (auto& row : t.Code)
    for (auto& c : row) c = kNone;
  t.Code[azU][' '] = 1;
  t.Code[azL][' '] = 1;
  t.Code[azM][' '] = 1;
  t.Code[azD][' '] = 1;
  for (int i = 0; i < 26; ++i) {
    t.Code[azU]['A' + i] = static_cast<int8_t>(2 + i);
    t.Code[azL]['a' + i] = static_cast<int8_t>(2 + i);
  }
  for (int i = 1; i <= 13; ++i) t.Code[azM][i] = static_cast<int8_t>(1 + i);
  for (int i = 27; i <= 31; ++i) t.Code[azM][i] = static_cast<int8_t>(i - 12);
  const char mixed[] = "@\\^_`|~";
  for (int i = 0; i < 7; ++i) t.Code[azM][static_cast<uint8_t>(mixed[i])] = static_cast<int8_t>(20 + i);
  t.Code[azM][127] = 27;
  t.Code[azP][13] = 1;
  for (int i = 0; i < 4; ++i) t.Code[azP][AztPairCrLf + i] = static_cast<int8_t>(2 + i);
  const char punct[] = "!\"#$%&'()*+,-./:;<=>?[]{}";
  for (int i = 0; i < 25; ++i) t.Code[azP][static_cast<uint8_t>(punct[i])] = static_cast<int8_t>(6 + i);
  t.Code[azP][AztFlg] = 0;
  for (int i = 0; i < 10; ++i) t.Code[azD]['0' + i] = static_cast<int8_t>(2 + i);
  t.Code[azD][','] = 12;
  t.Code[azD]['.'] = 13;
  return t;
}

constexpr TCodeTable kTable = MakeCodeTable();

constexpr int CodeBits(int mode) { return mode == azD ? 4 : 5; }

// The two characters of a pair, for the modes that hold both (M for CR LF, D for ". " and ", ").
constexpr uint8_t kPairChars[4][2] = {{13, 10}, {'.', ' '}, {',', ' '}, {':', ' '}};

bool Holds(int mode, uint16_t index) {
  if (index >= AztPairCrLf && index < AztFlg && mode != azP) {
    const auto& p = kPairChars[index - AztPairCrLf];
    return kTable.Code[mode][p[0]] != kNone && kTable.Code[mode][p[1]] != kNone;
  }
  return kTable.Code[mode][index] != kNone;
}

// Bits of a character written in a mode that holds it.
int32_t CostIn(int mode, const TAztChar& ch) {
  if (!Holds(mode, ch.Index)) return kInf;
  if (ch.Index == AztFlg) return 5 + 3 + 4 * ch.Flg;
  if (ch.Index >= AztPairCrLf && mode != azP) return 2 * CodeBits(mode);
  return CodeBits(mode);
}

// CostIn for the bytes and pairs, looked up once per character while planning.
struct TCostTable {
  std::array<std::array<int32_t, 5>, AztFlg> Bits{};
};

TCostTable MakeCostTable() {
  TCostTable t;
  for (uint16_t i = 0; i < AztFlg; ++i)
    for (int m = 0; m < 5; ++m) t.Bits[i][m] = CostIn(m, TAztChar{0, i, static_cast<uint8_t>(i >= AztPairCrLf ? 2 : 1), 0});
  return t;
}

const TCostTable kCosts = MakeCostTable();

// Latch costs (row: from, column: to) in U, L, M, P, D, B order.
constexpr int32_t kLatch[5][6] = {
    {0, 5, 5, 10, 5, 10}, {9, 0, 5, 10, 5, 10}, {5, 5, 0, 5, 10, 10},
    {5, 10, 10, 0, 10, 15}, {4, 9, 9, 14, 0, 14},
};

// A plan step packed in 32 bits: the latch path (first entry the mode the character starts from),
// whether that mode was reached by ending a binary run, whether the character is shifted, and the
// mode the character ends in.
constexpr uint32_t kRetBit = 1u << 24;
constexpr uint32_t kShiftBit = 1u << 25;
constexpr int kModeShift = 26;

constexpr uint32_t PathOnly(int mode) { return static_cast<uint32_t>(mode) << 3; }
inline int PathLen(uint32_t s) { return static_cast<int>(s & 7) + 1; }
inline int PathAt(uint32_t s, int i) { return static_cast<int>((s >> (3 + 3 * i)) & 7); }
inline uint32_t PathAppend(uint32_t s, int mode) {
  const int len = PathLen(s);
  return (s & ~7u & ~kShiftBit & ~(7u << kModeShift)) | static_cast<uint32_t>(len) |
         (static_cast<uint32_t>(mode) << (3 + 3 * len));
}
inline int StepMode(uint32_t s) { return static_cast<int>((s >> kModeShift) & 7); }

}  // namespace

void AztReadChars(std::string_view data, bool flgEnabled, std::vector<TAztChar>& chars) {
  chars.clear();
  chars.reserve(data.size());
  const size_t n = data.size();
  for (size_t i = 0; i < n;) {
    const uint8_t c = static_cast<uint8_t>(data[i]);
    TAztChar ch{static_cast<int32_t>(i), c, 1, 0};
    if (i + 1 < n) {
      const uint8_t d = static_cast<uint8_t>(data[i + 1]);
      for (uint16_t p = 0; p < 4; ++p)
        if (c == kPairChars[p][0] && d == kPairChars[p][1]) {
          ch.Index = static_cast<uint16_t>(AztPairCrLf + p);
          ch.Len = 2;
        }
    }
    // ESC ESC n and n digits: FLG(0) (FNC1) or an ECI of n digits; FLG(7) is reserved.
    if (flgEnabled && c == 27 && i + 2 < n && data[i + 1] == 27 && data[i + 2] >= '0' && data[i + 2] <= '6') {
      const int f = data[i + 2] - '0';
      bool digits = i + 3 + f <= n;
      for (int k = 0; digits && k < f; ++k) digits = data[i + 3 + k] >= '0' && data[i + 3 + k] <= '9';
      if (digits) {
        ch.Index = AztFlg;
        ch.Len = static_cast<uint8_t>(3 + f);
        ch.Flg = static_cast<uint8_t>(f);
      }
    }
    chars.push_back(ch);
    i += ch.Len;
  }
}

int AztPlan(const std::vector<TAztChar>& chars, int from, int limit, int64_t budget, std::vector<uint32_t>& steps,
            std::vector<uint32_t>& scratch, int64_t& cost) {
  const int count = std::min(limit, static_cast<int>(chars.size()));
  if (steps.size() < chars.size()) steps.resize(chars.size());
  if (scratch.size() < 6 * chars.size()) scratch.resize(6 * chars.size());
  TEnTree tree;
  for (auto& r : tree) r.Cost = kInf;
  tree[azU].Cost = 0;
  int32_t runLen = 0;
  int retMode = azU;
  int end = from;
  static constexpr int kSources[5] = {azL, azD, azU, azM, azP};
  static constexpr int kTargets[6] = {azB, azD, azP, azM, azL, azU};
  for (int i = from; i < count; ++i) {
    const TAztChar& ch = chars[i];
    uint32_t rec[6];
    for (int m = 0; m < 6; ++m) rec[m] = PathOnly(m);
    // Return from binary.
    if (tree[azB].Cost < tree[retMode].Cost) {
      tree[retMode].Cost = tree[azB].Cost;
      rec[retMode] = PathOnly(retMode) | kRetBit;
    }
    // Latches, updated in place.
    for (int src : kSources) {
      const int32_t base = tree[src].Cost;
      if (base >= kInf) continue;
      for (int tgt : kTargets) {
        if (tgt == src) continue;
        const int32_t c = base + kLatch[src][tgt];
        if (c < tree[tgt].Cost) {
          tree[tgt].Cost = c;
          rec[tgt] = PathAppend(rec[src], tgt);
          if (tgt == azB) {
            runLen = 0;
            retMode = src <= azM ? src : azU;
          }
        }
      }
    }
    // Emission, or a shift where it is cheaper.
    int32_t in[5];
    if (ch.Index < AztFlg) {
      for (int m = 0; m < 5; ++m) in[m] = kCosts.Bits[ch.Index][m];
    } else {
      for (int m = 0; m < 5; ++m) in[m] = CostIn(m, ch);
    }
    const int32_t inU = in[azU];
    const int32_t inP = in[azP];
    for (int m = azU; m <= azD; ++m) {
      const int32_t base = tree[m].Cost;
      if (base >= kInf) continue;
      const int32_t own = in[m];
      int32_t e = own >= kInf ? kInf : base + own;
      int32_t s = kInf;
      if (inU < kInf && m == azL) s = base + 5 + inU;
      if (inU < kInf && m == azD) s = base + 4 + inU;
      if (inP < kInf && m != azP) s = base + CodeBits(m) + inP;
      if (s < e) {
        e = s;
        rec[m] |= kShiftBit;
      }
      tree[m].Cost = e;
    }
    if (tree[azB].Cost < kInf) {
      if (ch.Index == AztFlg) {
        tree[azB].Cost = kInf;
      } else {
        for (int b = 0; b < ch.Len; ++b) {
          if (runLen == AztMaxBinaryRun) {
            tree[azB].Cost += 10 + 8;  // a new binary shift from the return mode
            runLen = 1;
          } else {
            tree[azB].Cost += 8 + (++runLen == 32 ? 11 : 0);
          }
        }
      }
    }
    for (int m = 0; m < 6; ++m) scratch[6 * static_cast<size_t>(i) + m] = rec[m];
    end = i + 1;
    if (budget >= 0) {
      int32_t best = kInf;
      for (const auto& r : tree) best = r.Cost < best ? r.Cost : best;
      if (best >= budget) break;
    }
  }
  int mode = azU;
  for (int m = 1; m < 6; ++m)
    if (tree[m].Cost < tree[mode].Cost) mode = m;
  cost = end == from ? 0 : tree[mode].Cost;
  for (int i = end - 1; i >= from; --i) {
    const uint32_t r = scratch[6 * static_cast<size_t>(i) + mode];
    steps[i] = r | (static_cast<uint32_t>(mode) << kModeShift);
    mode = (r & kRetBit) ? azB : PathAt(r, 0);
  }
  return end;
}

namespace {

// Codes of one latch between two non-binary modes.
void EmitLatch(TAztBits& out, int from, int to) {
  switch (from) {
    case azU:
      if (to == azL) AztPutBits(out, 28, 5);
      if (to == azM || to == azP) AztPutBits(out, 29, 5);
      if (to == azP) AztPutBits(out, 30, 5);
      if (to == azD) AztPutBits(out, 30, 5);
      break;
    case azL:
      if (to == azU) AztPutBits(out, 30, 5), AztPutBits(out, 14, 4);
      if (to == azM || to == azP) AztPutBits(out, 29, 5);
      if (to == azP) AztPutBits(out, 30, 5);
      if (to == azD) AztPutBits(out, 30, 5);
      break;
    case azM:
      if (to == azU || to == azD) AztPutBits(out, 29, 5);
      if (to == azL) AztPutBits(out, 28, 5);
      if (to == azP) AztPutBits(out, 30, 5);
      if (to == azD) AztPutBits(out, 30, 5);
      break;
    case azP:
    case azD:
      if (from == azP) AztPutBits(out, 31, 5);
      else AztPutBits(out, 14, 4);
      if (to == azL) AztPutBits(out, 28, 5);
      if (to == azM || to == azP) AztPutBits(out, 29, 5);
      if (to == azP) AztPutBits(out, 30, 5);
      if (to == azD) AztPutBits(out, 30, 5);
      break;
  }
}

void EmitBinaryShift(TAztBits& out, int32_t length) {
  AztPutBits(out, 31, 5);
  if (length <= 31) {
    AztPutBits(out, static_cast<uint32_t>(length), 5);
  } else {
    AztPutBits(out, 0, 5);
    AztPutBits(out, static_cast<uint32_t>(length - 31), 11);
  }
}

void EmitChar(TAztBits& out, int mode, const TAztChar& ch, std::string_view data) {
  const int bits = CodeBits(mode);
  if (ch.Index == AztFlg) {
    AztPutBits(out, 0, 5);
    AztPutBits(out, ch.Flg, 3);
    for (int k = 0; k < ch.Flg; ++k)
      AztPutBits(out, static_cast<uint32_t>(data[static_cast<size_t>(ch.Pos) + 3 + k] - '0' + 2), 4);
    return;
  }
  if (ch.Index >= AztPairCrLf && ch.Index < AztFlg && mode != azP) {
    const auto& p = kPairChars[ch.Index - AztPairCrLf];
    AztPutBits(out, static_cast<uint32_t>(kTable.Code[mode][p[0]]), bits);
    AztPutBits(out, static_cast<uint32_t>(kTable.Code[mode][p[1]]), bits);
    return;
  }
  AztPutBits(out, static_cast<uint32_t>(kTable.Code[mode][ch.Index]), bits);
}

}  // namespace

TAztMode AztEmit(std::string_view data, const std::vector<TAztChar>& chars, int from, int to,
                 const std::vector<uint32_t>& steps, TAztBits& out, int32_t* byteCost) {
  int cur = azU;       // the mode the decoder stands in
  int32_t runLeft = 0;   // bytes of the binary run still to write
  int32_t chunkLeft = 0;  // bytes before the run's length field must be given again
  for (int i = from; i < to; ++i) {
    const uint32_t s = steps[i];
    const TAztChar& ch = chars[i];
    size_t start = out.size();
    if (s & kRetBit) cur = PathAt(s, 0);
    const int len = PathLen(s);
    for (int k = 1; k < len; ++k) {
      const int a = PathAt(s, k - 1);
      const int b = PathAt(s, k);
      if (b != azB) {
        EmitLatch(out, a, b);
        cur = b;
        continue;
      }
      if (a == azP) AztPutBits(out, 31, 5);
      if (a == azD) AztPutBits(out, 14, 4);
      cur = a <= azM ? a : azU;
      runLeft = 0;
      for (int j = i; j < to; ++j) {
        const uint32_t t = steps[j];
        if (StepMode(t) != azB || (j > i && (PathLen(t) != 1 || (t & kRetBit)))) break;
        runLeft += chars[j].Len;
      }
      chunkLeft = runLeft < AztMaxBinaryRun ? runLeft : AztMaxBinaryRun;
      EmitBinaryShift(out, chunkLeft);
    }
    const int mode = StepMode(s);
    if (mode == azB) {
      for (int b = 0; b < ch.Len; ++b) {
        if (chunkLeft == 0) {  // a run longer than one length field allows goes on in a new shift
          chunkLeft = runLeft < AztMaxBinaryRun ? runLeft : AztMaxBinaryRun;
          EmitBinaryShift(out, chunkLeft);
        }
        AztPutBits(out, static_cast<uint8_t>(data[static_cast<size_t>(ch.Pos) + b]), 8);
        --chunkLeft;
        --runLeft;
        if (byteCost) {
          byteCost[ch.Pos + b] = static_cast<int32_t>(out.size() - start);
        }
        start = out.size();
      }
      continue;
    }
    if (s & kShiftBit) {
      if (Holds(azU, ch.Index)) AztPutBits(out, cur == azD ? 15 : 28, CodeBits(cur));
      else AztPutBits(out, 0, CodeBits(cur));
      EmitChar(out, Holds(azU, ch.Index) ? azU : azP, ch, data);
    } else {
      EmitChar(out, mode, ch, data);
    }
    if (byteCost) {
      for (int b = 0; b + 1 < ch.Len; ++b) byteCost[ch.Pos + b] = 0;
      byteCost[ch.Pos + ch.Len - 1] = static_cast<int32_t>(out.size() - start);
    }
  }
  return static_cast<TAztMode>(cur);
}
