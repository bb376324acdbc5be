// TAztCoder: settings, symbol selection, structured append, capacity and the module picture.
#include "coding/aztencod.h"

#include <algorithm>

TAztCoder::TAztCoder() { Reset(); }

void TAztCoder::Reset() {
  data_.clear();
  sizeMode_ = 0;
  symbolCount_ = 1;
  messageId_.clear();
  gap_ = 1;
  flgEnabled_ = false;
  readerInit_ = false;
  picture_.clear();
  pictureWidth_ = 0;
  symbolSize_ = 0;
  compact_ = false;
  layers_ = 0;
  fitCount_ = 0;
  usedBits_ = 0;
  planned_ = false;
}

void TAztCoder::SetData(std::string_view data) {
  data_.assign(data);
  planned_ = false;
}

void TAztCoder::SetSizeMode(int mode) { sizeMode_ = mode; }

void TAztCoder::SetSymbolCount(int count) { symbolCount_ = std::clamp(count, 1, 26); }

void TAztCoder::SetMessageId(std::string_view id) {
  messageId_.assign(id);
  for (char& c : messageId_) c = static_cast<char>(std::clamp(static_cast<unsigned char>(c), uint8_t{'A'}, uint8_t{'Z'}));
}

void TAztCoder::SetGap(int gap) { gap_ = std::clamp(gap, 0, AztMaxGap); }

void TAztCoder::SetFlgEnabled(bool on) {
  if (on != flgEnabled_) planned_ = false;
  flgEnabled_ = on;
}

void TAztCoder::SetReaderInit(bool on) { readerInit_ = on; }

void TAztCoder::Plan() {
  if (planned_) return;
  const std::string_view view(data_.data(), std::min(data_.size(), AztMaxMessage));
  AztReadChars(view, flgEnabled_, chars_);
  int64_t cost = 0;
  AztPlan(chars_, 0, static_cast<int>(chars_.size()), -1, steps_, scratch_, cost);
  bits_.clear();
  byteCost_.assign(view.size(), 0);
  endMode_ = AztEmit(view, chars_, 0, static_cast<int>(chars_.size()), steps_, bits_, byteCost_.data());
  usedBits_ = static_cast<int>(bits_.size());
  planned_ = true;
}

namespace {

bool IsPercentMode(int mode) { return mode >= 0 && mode <= 99; }

// Bits a symbol must hold for a message of the given bits in the automatic and percentage modes.
int64_t RequiredBits(int mode, int64_t bits) {
  if (mode == 0) return (bits + 18) * 100 / 77;
  const int64_t w = bits <= 288 ? 6 : bits <= 1920 ? 8 : bits <= 10200 ? 10 : 12;
  const int64_t n = (bits + w - 1) / w;
  const int64_t p = mode;
  return ((n * p + (100 - p) - 1) / (100 - p) + n + 1) * w;
}

int MaxFullLayers(bool readerInit) { return readerInit ? 22 : 32; }

}  // namespace

int TAztCoder::SelectSymbol(int64_t bits, TAztSymbol& symbol) const {
  const int mode = sizeMode_;
  if (mode > AztSizeCompact && mode <= AztSizeCompact + 4) {
    symbol = {true, mode - AztSizeCompact};
    if (readerInit_ && symbol.Layers > 1) return AztErrTooLong;
    return AztTotalBits(symbol) < bits ? AztErrTooLong : AztOk;
  }
  if (mode > AztSizeFull && mode <= AztSizeFull + 32) {
    symbol = {false, mode - AztSizeFull};
    if (symbol.Layers > MaxFullLayers(readerInit_)) return AztErrTooLong;
    return AztTotalBits(symbol) < bits ? AztErrTooLong : AztOk;
  }
  if (!IsPercentMode(mode)) return AztErrTooLong;
  const int64_t r = RequiredBits(mode, bits);
  if ((readerInit_ || bits > 512 || r >= 609) && r > 102) {
    for (int l = 1; l <= MaxFullLayers(readerInit_); ++l)
      if (AztTotalBits({false, l}) >= r) {
        symbol = {false, l};
        return AztOk;
      }
    return AztErrTooLong;
  }
  for (int l = 1; l <= 4; ++l)
    if (AztTotalBits({true, l}) >= r) {
      symbol = {true, l};
      return AztOk;
    }
  return AztErrTooLong;
}

// Each symbol's bits: the whole message, or for structured append the header and that symbol's share.
void TAztCoder::BuildParts(std::vector<TAztBits>& parts, std::vector<TAztMode>& endModes) {
  const int count = symbolCount_;
  if (count == 1) {
    parts.assign(1, bits_);
    endModes.assign(1, endMode_);
    return;
  }
  parts.assign(static_cast<size_t>(count), {});
  endModes.assign(static_cast<size_t>(count), azU);
  const std::string_view view(data_.data(), std::min(data_.size(), AztMaxMessage));
  const int64_t budget = (usedBits_ + count - 1) / count + 10;
  const int chars = static_cast<int>(chars_.size());
  int from = 0;
  for (int k = 0; k < count; ++k) {
    TAztBits& b = parts[static_cast<size_t>(k)];
    AztPutBits(b, 29, 5);  // M/L U/L opens a structured-append header
    AztPutBits(b, 29, 5);
    if (!messageId_.empty()) {
      AztPutBits(b, 1, 5);
      for (char c : messageId_) AztPutBits(b, static_cast<uint32_t>(c - 'A' + 2), 5);
      AztPutBits(b, 1, 5);
    }
    AztPutBits(b, static_cast<uint32_t>(2 + k), 5);
    AztPutBits(b, static_cast<uint32_t>(1 + count), 5);
    // Every symbol carries at least one character: readers drop a symbol without content, and the
    // set could not be joined.
    int64_t cost = 0;
    const int end = AztPlan(chars_, from, chars - (count - 1 - k), k + 1 < count ? budget : -1, steps_, scratch_, cost);
    endModes[static_cast<size_t>(k)] = AztEmit(view, chars_, from, end, steps_, b, nullptr);
    from = end;
  }
}

int TAztCoder::EncodeRune() {
  int value = 0;
  bool number = !data_.empty() && data_.size() <= 9;
  for (char c : data_) number = number && c >= '0' && c <= '9';
  if (number) value = std::stoi(data_) % 256;
  std::vector<std::vector<uint8_t>> matrices(1);
  AztDrawRune(value, modeRs_, matrices[0]);
  compact_ = true;
  layers_ = 0;
  PlacePicture(1, 11, matrices);
  return AztOk;
}

void TAztCoder::PlacePicture(int count, int size, const std::vector<std::vector<uint8_t>>& matrices) {
  pictureWidth_ = count * size + (count - 1) * gap_;
  symbolSize_ = size;
  const size_t stride = static_cast<size_t>(pictureWidth_ + 7) / 8;
  picture_.assign(stride * static_cast<size_t>(size), 0);
  for (int k = 0; k < count; ++k) {
    const int x0 = k * (size + gap_);
    const uint8_t* m = matrices[static_cast<size_t>(k)].data();
    for (int y = 0; y < size; ++y) {
      uint8_t* row = picture_.data() + stride * static_cast<size_t>(y);
      const uint8_t* src = m + static_cast<size_t>(y) * size;
      int x = 0;
      if ((x0 & 7) == 0)  // whole bytes at once where the symbol starts on a byte
        for (uint8_t* out = row + (x0 >> 3); x + 8 <= size; x += 8)
          *out++ = static_cast<uint8_t>(src[x] << 7 | src[x + 1] << 6 | src[x + 2] << 5 | src[x + 3] << 4 |
                                        src[x + 4] << 3 | src[x + 5] << 2 | src[x + 6] << 1 | src[x + 7]);
      for (; x < size; ++x) row[(x0 + x) >> 3] |= static_cast<uint8_t>(src[x] << (7 - ((x0 + x) & 7)));
    }
  }
}

int TAztCoder::Encode() {
  picture_.clear();
  pictureWidth_ = 0;
  symbolSize_ = 0;
  compact_ = false;
  layers_ = 0;
  Plan();
  if (sizeMode_ == AztSizeRune) return EncodeRune();
  if (data_.size() > AztMaxMessage) return AztErrTooLong;

  const int count = symbolCount_;
  // A symbol without content is read as nothing at all: every symbol needs a character.
  if (chars_.size() < static_cast<size_t>(count)) return AztErrTooLong;
  int64_t bits = usedBits_;
  if (count > 1) {
    bits = (bits + count - 1) / count + 10 + 20;
    if (!messageId_.empty()) bits += 5 * static_cast<int64_t>(messageId_.size()) + 10;
  }
  TAztSymbol symbol;
  if (int r = SelectSymbol(bits, symbol); r != AztOk) return r;

  std::vector<TAztBits> parts;
  std::vector<TAztMode> endModes;
  BuildParts(parts, endModes);
  std::vector<std::vector<int32_t>> words(parts.size());
  auto stuff = [&](TAztSymbol s) {
    size_t most = 0;
    for (size_t k = 0; k < parts.size(); ++k) {
      AztStuff(parts[k], AztWordSize(s.Layers), !s.Compact && s.Layers > 22, endModes[k], words[k]);
      most = std::max(most, words[k].size());
    }
    return most;
  };
  size_t most = stuff(symbol);
  // A compact mode message counts at most 64 data words; where stuffing goes past that, the
  // automatic modes take the smallest full symbol that holds the words instead.
  if (symbol.Compact && most > AztCompactMaxWords && IsPercentMode(sizeMode_)) {
    const int64_t r = RequiredBits(sizeMode_, bits);
    bool found = false;
    for (int l = 1; l <= MaxFullLayers(readerInit_) && !found; ++l) {
      const TAztSymbol s{false, l};
      if (AztTotalBits(s) < r) continue;
      most = stuff(s);
      if (static_cast<int64_t>(most) < AztTotalBits(s) / AztWordSize(l)) {
        symbol = s;
        found = true;
      }
    }
    if (!found) return AztErrTooLong;
  }

  std::vector<std::vector<uint8_t>> matrices(parts.size());
  for (size_t k = 0; k < parts.size(); ++k)
    if (int r = AztDrawSymbol(symbol, words[k], readerInit_, rs_, modeRs_, matrices[k]); r != AztOk) return r;
  compact_ = symbol.Compact;
  layers_ = symbol.Layers;
  PlacePicture(count, AztSymbolSize(symbol), matrices);
  return AztOk;
}

int TAztCoder::Capacity(int ecPercent) {
  Plan();
  const int ec = std::clamp(ecPercent, 0, 100);
  int64_t total = 0;
  TAztSymbol symbol;
  if (SelectSymbol(usedBits_, symbol) == AztOk) {
    total = AztTotalBits(symbol);
  } else if (IsPercentMode(sizeMode_)) {
    total = AztTotalBits({false, MaxFullLayers(readerInit_)});  // how much the largest symbol takes
  } else if (sizeMode_ > AztSizeCompact && sizeMode_ <= AztSizeCompact + 4 && !(readerInit_ && sizeMode_ > 101)) {
    total = AztTotalBits({true, sizeMode_ - AztSizeCompact});
  } else if (sizeMode_ > AztSizeFull && sizeMode_ <= AztSizeFull + MaxFullLayers(readerInit_)) {
    total = AztTotalBits({false, sizeMode_ - AztSizeFull});
  }
  const int count = symbolCount_;
  const int64_t overhead = count == 1 ? 0 : messageId_.empty() ? 30 : 5 * static_cast<int64_t>(messageId_.size()) + 40;
  const int64_t capacity = std::max<int64_t>(0, ((100 - ec) * total / 100 - overhead) * count);
  int64_t running = 0;
  fitCount_ = 0;
  for (int32_t c : byteCost_) {
    running += c;
    if (running >= capacity) break;
    ++fitCount_;
  }
  return static_cast<int>(capacity);
}
