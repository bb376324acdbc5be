// Aztec Code symbol building: symbol sizes, codewords with bit stuffing and fill, check words,
// mode message and the module layout of ISO/IEC 24778.
#pragma once

#include <cstdint>
#include <vector>

#include "coding/aztencod_plan.h"
#include "coding/reedsolomon.h"

struct TAztSymbol {
  bool Compact = true;
  int Layers = 0;  // 0: rune
};

inline constexpr int AztCompactMaxWords = 64;  // what the 6-bit count of a compact mode message holds

int AztSymbolSize(TAztSymbol s);
int AztTotalBits(TAztSymbol s);
int AztWordSize(int layers);

// Cuts the bits into words of wordSize bits with bit stuffing; an incomplete last word is filled with
// 1 bits, after the latch code of endMode when latchFill is set. An empty bit string gives one word.
void AztStuff(const TAztBits& bits, int wordSize, bool latchFill, TAztMode endMode, std::vector<int32_t>& words);

// Adds the check words and draws the symbol into matrix (size x size modules, 1 dark). Returns 0,
// AztErrNoCheckWords when the data fill the symbol, or AztErrTooLong when the mode message cannot count them.
// The data words and the mode message use coders of their own, so each keeps its generator.
int AztDrawSymbol(TAztSymbol s, const std::vector<int32_t>& dataWords, bool readerInit, TReedSolomon& rs,
                  TReedSolomon& modeRs, std::vector<uint8_t>& matrix);
void AztDrawRune(int value, TReedSolomon& rs, std::vector<uint8_t>& matrix);
