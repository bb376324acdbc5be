// Adaptive Huffman trees of the two compressors. A decoder must evolve its tree exactly as the
// encoder does, so both sides use these.
#pragma once

#include <array>

// LZHUF: 314 symbols (256 bytes, match lengths 3..60 as 253 + length), 627 nodes, root 626.
// Nodes are kept ordered by frequency; son[n] and son[n] + 1 are a node's children, a son of T or
// more is the leaf of symbol son - T.
struct TLzhTree {
  static constexpr int kSymbols = 314;
  static constexpr int T = kSymbols * 2 - 1;
  static constexpr int R = T - 1;
  static constexpr unsigned kMaxFreq = 0x8000;

  TLzhTree();
  void Update(int symbol);  // after coding symbol

  std::array<unsigned, T + 1> freq{};
  std::array<int, T + kSymbols> prnt{};
  std::array<int, T> son{};

 private:
  void Reconst();
};

// SIXPACK: 629 symbols (bytes, 256 end of data, 257.. copies), nodes 1..1257, root 1, symbol s at
// node s + 629; a node's code bit is 1 when it is its parent's right child.
struct TSixpackTree {
  static constexpr int kMaxChar = 628;
  static constexpr int kSuccMax = kMaxChar + 1;
  static constexpr int kTwiceMax = 2 * kMaxChar + 1;
  static constexpr int kRoot = 1;
  static constexpr int kMaxFreq = 2000;

  TSixpackTree();
  void Update(int symbol);  // after coding symbol

  std::array<int, kMaxChar + 1> left{}, right{};
  std::array<int, kTwiceMax + 1> up{}, freq{};

 private:
  void UpdateFreq(int a, int b);
};
