// The adaptive Huffman updates of LZHUF (ordered sibling list, halved at 0x8000) and of SIXPACK
// (swap with the parent's sibling, halved at 2000).
#include "coding/lib_datcoder_trees.h"

#include <algorithm>

TLzhTree::TLzhTree() {
  for (int i = 0; i < kSymbols; ++i) {
    freq[i] = 1;
    son[i] = i + T;
    prnt[i + T] = i;
  }
  for (int i = 0, j = kSymbols; j <= R; i += 2, ++j) {
    freq[j] = freq[i] + freq[i + 1];
    son[j] = i;
    prnt[i] = prnt[i + 1] = j;
  }
  freq[T] = 0xFFFF;  // sentinel above every real frequency
  prnt[R] = 0;
}

// Halves the frequencies and rebuilds the tree from its leaves.
void TLzhTree::Reconst() {
  int j = 0;
  for (int i = 0; i < T; ++i) {
    if (son[i] >= T) {
      freq[j] = (freq[i] + 1) / 2;
      son[j] = son[i];
      ++j;
    }
  }
  for (int i = 0, n = kSymbols; n < T; i += 2, ++n) {
    const unsigned f = freq[n] = freq[i] + freq[i + 1];
    int k = n - 1;
    while (f < freq[k]) --k;
    ++k;
    std::copy_backward(freq.begin() + k, freq.begin() + n, freq.begin() + n + 1);
    freq[k] = f;
    std::copy_backward(son.begin() + k, son.begin() + n, son.begin() + n + 1);
    son[k] = i;
  }
  for (int i = 0; i < T; ++i) {
    const int k = son[i];
    if (k >= T) {
      prnt[k] = i;
    } else {
      prnt[k] = prnt[k + 1] = i;
    }
  }
}

void TLzhTree::Update(int symbol) {
  if (freq[R] == kMaxFreq) Reconst();
  int c = prnt[symbol + T];
  do {
    const unsigned k = ++freq[c];
    int l = c + 1;
    if (k > freq[l]) {
      // Frequencies rise with the node number (the sentinel at T ends the run): the last node
      // below k is found by bisection, not by walking the run of equal counts.
      l = static_cast<int>(std::lower_bound(freq.begin() + l, freq.end(), k) - freq.begin()) - 1;
      freq[c] = freq[l];
      freq[l] = k;
      const int i = son[c];
      prnt[i] = l;
      if (i < T) prnt[i + 1] = l;
      const int j = son[l];
      son[l] = i;
      prnt[j] = c;
      if (j < T) prnt[j + 1] = c;
      son[c] = j;
      c = l;
    }
  } while ((c = prnt[c]) != 0);
}

TSixpackTree::TSixpackTree() {
  for (int i = 2; i <= kTwiceMax; ++i) {
    up[i] = i / 2;
    freq[i] = 1;
  }
  for (int i = 1; i <= kMaxChar; ++i) {
    left[i] = 2 * i;
    right[i] = 2 * i + 1;
  }
}

// Sums the frequencies from a's parent up to the root; b is a's sibling.
void TSixpackTree::UpdateFreq(int a, int b) {
  do {
    freq[up[a]] = freq[a] + freq[b];
    a = up[a];
    if (a != kRoot) b = left[up[a]] == a ? right[up[a]] : left[up[a]];
  } while (a != kRoot);
  if (freq[kRoot] == kMaxFreq)
    for (int i = 1; i <= kTwiceMax; ++i) freq[i] >>= 1;
}

void TSixpackTree::Update(int symbol) {
  int a = symbol + kSuccMax;
  ++freq[a];
  if (up[a] == kRoot) return;
  int ua = up[a];
  UpdateFreq(a, left[ua] == a ? right[ua] : left[ua]);
  do {
    const int uua = up[ua];
    const int b = left[uua] == ua ? right[uua] : left[uua];
    // A node more frequent than its parent's sibling moves up into the sibling's place.
    if (freq[a] > freq[b]) {
      if (left[uua] == ua) {
        right[uua] = a;
      } else {
        left[uua] = a;
      }
      int c;
      if (left[ua] == a) {
        left[ua] = b;
        c = right[ua];
      } else {
        right[ua] = b;
        c = left[ua];
      }
      up[b] = ua;
      up[a] = uua;
      UpdateFreq(b, c);
      a = b;
    }
    a = up[a];
    ua = up[a];
  } while (ua != kRoot);
}
