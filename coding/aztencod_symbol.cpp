// Aztec Code symbol building: codewords, check words, mode message and module placement.
#include "coding/aztencod_symbol.h"

#include "coding/aztencod.h"

int AztSymbolSize(TAztSymbol s) {
  if (s.Compact) return 11 + 4 * s.Layers;
  const int base = 14 + 4 * s.Layers;
  return base + 1 + 2 * ((base / 2 - 1) / 15);  // reference grid lines every 16 modules
}

int AztTotalBits(TAztSymbol s) { return ((s.Compact ? 88 : 112) + 16 * s.Layers) * s.Layers; }

int AztWordSize(int layers) { return layers <= 2 ? 6 : layers <= 8 ? 8 : layers <= 22 ? 10 : 12; }

void AztStuff(const TAztBits& bits, int wordSize, bool latchFill, TAztMode endMode, std::vector<int32_t>& words) {
  words.clear();
  words.reserve(bits.size() / static_cast<size_t>(wordSize - 1) + 1);
  uint32_t fill = 0;  // the latch code, left-aligned in its bits, then ones
  int fillLen = 0;
  if (latchFill) {
    static constexpr uint8_t kLatch[5] = {28, 29, 30, 31, 14};
    fill = kLatch[endMode <= azD ? endMode : azU];
    fillLen = endMode == azD ? 4 : 5;
  }
  const size_t n = bits.size();
  const uint32_t mask = (1u << wordSize) - 2;
  size_t i = 0;
  do {
    uint32_t word = 0;
    for (int j = 0; j < wordSize; ++j) {
      const size_t p = i + static_cast<size_t>(j);
      uint32_t b = 1;
      if (p < n) b = bits[p];
      else if (p - n < static_cast<size_t>(fillLen)) b = (fill >> (fillLen - 1 - static_cast<int>(p - n))) & 1;
      word |= b << (wordSize - 1 - j);
    }
    if ((word & mask) == mask) {
      words.push_back(static_cast<int32_t>(word & mask));
      i += static_cast<size_t>(wordSize - 1);
    } else if ((word & mask) == 0) {
      words.push_back(static_cast<int32_t>(word | 1));
      i += static_cast<size_t>(wordSize - 1);
    } else {
      words.push_back(static_cast<int32_t>(word));
      i += static_cast<size_t>(wordSize);
    }
  } while (i < n);
}

namespace {

TRsField FieldFor(int wordSize) {
  switch (wordSize) {
    case 6: return RsGf64;
    case 8: return RsGf256;
    case 10: return RsGf1024;
    default: return RsGf4096;
  }
}

// Mode message bits, most significant first: data nibbles and their GF(16) check nibbles.
void ModeMessage(TReedSolomon& rs, uint32_t value, int dataNibbles, int checkNibbles, uint32_t xorMask,
                 uint8_t* bits) {
  RsInit(rs);
  RsSetField(rs, RsGf16);
  for (int i = 0; i < dataNibbles; ++i)
    rs.Words[i] = static_cast<int32_t>((value >> (4 * (dataNibbles - 1 - i))) & 15);
  RsEncode(rs, TRsParams{checkNibbles, dataNibbles, 0});
  for (int i = 0; i < dataNibbles + checkNibbles; ++i) {
    const uint32_t nibble = static_cast<uint32_t>(rs.Words[i]) ^ xorMask;
    for (int b = 0; b < 4; ++b) bits[4 * i + b] = static_cast<uint8_t>((nibble >> (3 - b)) & 1);
  }
}

struct TGrid {
  int Size;
  std::vector<uint8_t>& M;
  void Set(int x, int y) { M[static_cast<size_t>(y) * Size + x] = 1; }
};

void DrawCore(TGrid& g, bool compact, const uint8_t* mode) {
  const int c = g.Size / 2;
  const int r = compact ? 5 : 7;
  for (int i = 0; i < r; i += 2)
    for (int j = c - i; j <= c + i; ++j) {
      g.Set(j, c - i);
      g.Set(j, c + i);
      g.Set(c - i, j);
      g.Set(c + i, j);
    }
  // Orientation marks: three modules top left, two top right, one bottom right.
  g.Set(c - r, c - r);
  g.Set(c - r + 1, c - r);
  g.Set(c - r, c - r + 1);
  g.Set(c + r, c - r);
  g.Set(c + r, c - r + 1);
  g.Set(c + r, c + r - 1);
  if (compact) {
    for (int i = 0; i < 7; ++i) {
      const int o = c - 3 + i;
      if (mode[i]) g.Set(o, c - 5);
      if (mode[i + 7]) g.Set(c + 5, o);
      if (mode[20 - i]) g.Set(o, c + 5);
      if (mode[27 - i]) g.Set(c - 5, o);
    }
  } else {
    for (int i = 0; i < 10; ++i) {
      const int o = c - 5 + i + i / 5;  // steps over the central grid line
      if (mode[i]) g.Set(o, c - 7);
      if (mode[i + 10]) g.Set(c + 7, o);
      if (mode[29 - i]) g.Set(o, c + 7);
      if (mode[39 - i]) g.Set(c - 7, o);
    }
  }
}

}  // namespace

int AztDrawSymbol(TAztSymbol s, const std::vector<int32_t>& dataWords, bool readerInit, TReedSolomon& rs,
                  TReedSolomon& modeRs, std::vector<uint8_t>& matrix) {
  const int layers = s.Layers;
  const int w = AztWordSize(layers);
  const int total = AztTotalBits(s);
  const int capacity = total / w;
  const int n = static_cast<int>(dataWords.size());
  if (n >= capacity) return AztErrNoCheckWords;
  const int countLimit = (s.Compact ? AztCompactMaxWords : 2048) >> (readerInit ? 1 : 0);
  if (n > countLimit) return AztErrTooLong;

  uint8_t mode[40];
  if (s.Compact) {
    const uint32_t v = static_cast<uint32_t>((layers - 1) << 6 | (n - 1)) | (readerInit ? 0x20u : 0u);
    ModeMessage(modeRs, v, 2, 5, 0, mode);
  } else {
    const uint32_t v = static_cast<uint32_t>((layers - 1) << 11 | (n - 1)) | (readerInit ? 0x400u : 0u);
    ModeMessage(modeRs, v, 4, 6, 0, mode);
  }
  RsInit(rs);
  RsSetField(rs, FieldFor(w));
  for (int i = 0; i < n; ++i) rs.Words[i] = dataWords[i];
  RsEncode(rs, TRsParams{capacity - n, n, 0});
  const int32_t* all = rs.Words.data();

  const int size = AztSymbolSize(s);
  matrix.assign(static_cast<size_t>(size) * size, 0);
  TGrid g{size, matrix};
  const int base = (s.Compact ? 11 : 14) + 4 * layers;
  std::vector<int> map(static_cast<size_t>(base));
  if (s.Compact) {
    for (int i = 0; i < base; ++i) map[i] = i;
  } else {
    const int oc = base / 2;
    const int c = size / 2;
    for (int i = 0; i < oc; ++i) {
      const int o = i + i / 15;
      map[oc - i - 1] = c - o - 1;
      map[oc + i] = c + o + 1;
    }
    // Reference grid: lines through the centre and every 16 modules out to the edge.
    for (int j = 0; j <= size / 2; j += 16)
      for (int k = (size / 2) & 1; k < size; k += 2) {
        g.Set(size / 2 - j, k);
        g.Set(size / 2 + j, k);
        g.Set(k, size / 2 - j);
        g.Set(k, size / 2 + j);
      }
  }
  // Layers from the outside in, two modules deep, each side in turn; the words start after
  // total % w unused bits, so the first data word lies outermost and the last check word innermost.
  std::vector<uint8_t> bits(static_cast<size_t>(total), 0);
  for (int i = 0, p = total % w; i < capacity; ++i)
    for (int b = w - 1; b >= 0; --b) bits[p++] = static_cast<uint8_t>((all[i] >> b) & 1);
  auto bit = [&](int p) { return bits[p] != 0; };
  for (int i = 0, row = 0; i < layers; ++i) {
    const int rowSize = (layers - i) * 4 + (s.Compact ? 9 : 12);
    for (int j = 0; j < rowSize; ++j)
      for (int k = 0; k < 2; ++k) {
        const int col = j * 2 + k;
        if (bit(row + col)) g.Set(map[i * 2 + k], map[i * 2 + j]);
        if (bit(row + rowSize * 2 + col)) g.Set(map[i * 2 + j], map[base - 1 - i * 2 - k]);
        if (bit(row + rowSize * 4 + col)) g.Set(map[base - 1 - i * 2 - k], map[base - 1 - i * 2 - j]);
        if (bit(row + rowSize * 6 + col)) g.Set(map[base - 1 - i * 2 - j], map[i * 2 + k]);
      }
    row += rowSize * 8;
  }
  DrawCore(g, s.Compact, mode);
  return 0;
}

void AztDrawRune(int value, TReedSolomon& rs, std::vector<uint8_t>& matrix) {
  uint8_t mode[28];
  ModeMessage(rs, static_cast<uint32_t>(value & 255), 2, 5, 0xA, mode);
  matrix.assign(11 * 11, 0);
  TGrid g{11, matrix};
  DrawCore(g, true, mode);
}
