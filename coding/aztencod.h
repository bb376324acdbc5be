// Aztec Code encoder: a byte message as one symbol, up to 26 structured-append symbols or a rune,
// drawn as a 1-bit module picture (rows of (width + 7) / 8 bytes, most significant bit leftmost, 1 dark).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "coding/aztencod_plan.h"
#include "coding/aztencod_symbol.h"
#include "coding/reedsolomon.h"

// Results of TAztCoder::Encode.
inline constexpr int AztOk = 0;
inline constexpr int AztErrNoCheckWords = 26;  // a symbol's data leave no room for check words
inline constexpr int AztErrTooLong = 28;       // the message fits neither the chosen nor any allowed symbol

// Size modes.
inline constexpr int AztSizeAuto = 0;          // 1..99: error-correction percentage
inline constexpr int AztSizeCompact = 100;     // + 1..4 layers
inline constexpr int AztSizeFull = 200;        // + 1..32 layers
inline constexpr int AztSizeRune = 300;

inline constexpr size_t AztMaxMessage = 1 << 20;  // longer messages are planned only this far

class TAztCoder {
 public:
  TAztCoder();
  void Reset();

  void SetData(std::string_view data);
  void SetSizeMode(int mode);
  void SetSymbolCount(int count);         // clamped to 1..26
  void SetMessageId(std::string_view id);  // each character clamped into "A".."Z"
  void SetGap(int gap);                    // clamped to 0..AztMaxGap
  void SetFlgEnabled(bool on);
  void SetReaderInit(bool on);

  int Encode();
  int Capacity(int ecPercent);

  const std::string& Data() const { return data_; }
  int SizeMode() const { return sizeMode_; }
  int SymbolCount() const { return symbolCount_; }
  const std::string& MessageId() const { return messageId_; }
  int Gap() const { return gap_; }
  bool FlgEnabled() const { return flgEnabled_; }
  bool ReaderInit() const { return readerInit_; }

  const std::vector<uint8_t>& Picture() const { return picture_; }
  int PictureWidth() const { return pictureWidth_; }
  int SymbolSize() const { return symbolSize_; }  // also the picture's height
  bool Compact() const { return compact_; }
  int Layers() const { return layers_; }
  int FitCount() const { return fitCount_; }
  int UsedBits() const { return usedBits_; }

  static constexpr int AztMaxGap = 1000;

 private:
  void Plan();
  int SelectSymbol(int64_t bits, TAztSymbol& symbol) const;
  void BuildParts(std::vector<TAztBits>& parts, std::vector<TAztMode>& endModes);
  int EncodeRune();
  void PlacePicture(int count, int size, const std::vector<std::vector<uint8_t>>& matrices);

  // Settings.
  std::string data_;
  int sizeMode_ = 0;
  int symbolCount_ = 1;
  std::string messageId_;
  int gap_ = 1;
  bool flgEnabled_ = false;
  bool readerInit_ = false;

  // Results.
  std::vector<uint8_t> picture_;
  int pictureWidth_ = 0;
  int symbolSize_ = 0;
  bool compact_ = false;
  int layers_ = 0;
  int fitCount_ = 0;
  int usedBits_ = 0;

  // The planned message, kept until the data or the FLG reading change.
  bool planned_ = false;
  std::vector<TAztChar> chars_;
  std::vector<uint32_t> steps_;
  std::vector<uint32_t> scratch_;
  TAztBits bits_;
  TAztMode endMode_ = azU;
  std::vector<int32_t> byteCost_;
  TReedSolomon rs_;
  TReedSolomon modeRs_;
};
