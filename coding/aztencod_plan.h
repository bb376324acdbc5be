// Aztec Code text compaction: reads the message into characters, plans the cheapest sequence of
// modes, latches and shifts, and writes the planned bits (ISO/IEC 24778 character sets).
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

enum TAztMode : uint8_t { azU, azL, azM, azP, azD, azB };

// One character as the encoder reads it: a byte, one of the punctuation pairs, or FLG(n).
struct TAztChar {
  int32_t Pos;     // offset of its first byte
  uint16_t Index;  // 0..255 byte value, AztPairCrLf.. for the pairs, AztFlg for FLG(n)
  uint8_t Len;     // bytes it takes in the message
  uint8_t Flg;     // n of FLG(n)
};

inline constexpr uint16_t AztPairCrLf = 256;  // CR LF, ". ", ", ", ": " follow in this order
inline constexpr uint16_t AztFlg = 260;
inline constexpr int AztMaxBinaryRun = 2078;  // 31 + the 11-bit length field

// Bits of a plan, one per byte, 0 or 1, most significant bit of each code first.
using TAztBits = std::vector<uint8_t>;

// The state of one mode plan while planning (kept per mode in a TEnTree).
struct TEnRec {
  int32_t Cost;
};
using TEnTree = TEnRec[6];

void AztReadChars(std::string_view data, bool flgEnabled, std::vector<TAztChar>& chars);

// Plans chars[from..limit) from upper mode at cost 0. With budget >= 0 the plan ends after the first
// character at which the cheapest plan costs budget bits or more. steps[from..end) receive the plan;
// returns end; cost receives the plan's bits.
int AztPlan(const std::vector<TAztChar>& chars, int from, int limit, int64_t budget, std::vector<uint32_t>& steps,
            std::vector<uint32_t>& scratch, int64_t& cost);

// Writes the codes of a plan; byteCost (when given, indexed by message offset) receives the bits
// charged to each byte. Returns the mode the decoder stands in at the end (latches only).
TAztMode AztEmit(std::string_view data, const std::vector<TAztChar>& chars, int from, int to,
                 const std::vector<uint32_t>& steps, TAztBits& out, int32_t* byteCost);

inline void AztPutBits(TAztBits& out, uint32_t value, int count) {
  for (int i = count - 1; i >= 0; --i) out.push_back(static_cast<uint8_t>((value >> i) & 1));
}
