// A growable byte buffer with a 1-based write position (files are assembled in it) and a list of
// integers addressed from 1.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

// Bytes in use are Size(); Capacity() is always a whole number of blocks and more than Size().
class TDataStream {
 public:
  // A block size of 0 or less is taken as 256; one block is reserved at once.
  explicit TDataStream(int32_t blockSize = 256);

  // Position 1, Size 0, nothing reserved.
  void Clear();
  // A position past n + 1 moves back to n + 1. False (and nothing changed) for a negative size or one
  // whose reservation would not fit in 32 bits.
  bool SetSize(int32_t n);
  // The position never falls below 1.
  void Seek(int32_t position);
  // Copies the bytes at Position, growing the buffer as needed, and advances Position. False (and
  // nothing written) when the end would not fit in 32 bits.
  bool Write(std::string_view bytes);
  bool Write(std::span<const uint8_t> bytes);
  // The first Size() bytes.
  std::string GetData() const;
  // Writes the first Size() bytes to a file; Size(), or 0 on failure. Windows build only.
  int32_t SaveToFile(const std::u16string& name) const;

  int32_t Position() const { return FPosition; }
  int32_t Size() const { return FSize; }
  int32_t BlockSize() const { return FBlockSize; }
  int32_t Capacity() const { return FCapacity; }
  const std::string& Data() const { return FData; }

 private:
  int32_t FPosition = 1;
  int32_t FSize = 0;
  int32_t FBlockSize = 256;
  int32_t FCapacity = 0;
  std::string FData;
};

using TIntegerArray = std::vector<int32_t>;

struct TIntList {
  TIntegerArray Items;
};

// All indexes are 1-based; reading outside the list gives 0, writing outside it is ignored.
void IntListAdd(TIntList& list, int32_t value);
int32_t IntListGet(const TIntList& list, int32_t index);
void IntListPut(TIntList& list, int32_t index, int32_t value);
// Inserts before the item at index; past the end appends; below 1 does nothing.
void IntListInsert(TIntList& list, int32_t index, int32_t value);
// Removes count items from index; a range reaching the end cuts the list at index; nothing for an
// index outside the list or a count below 1.
void IntListDeleteRange(TIntList& list, int32_t index, int32_t count);
void IntListDelete(TIntList& list, int32_t index);
void IntListClear(TIntList& list);
int32_t IntListCount(const TIntList& list);
// 64-bit, so a sum of large positions cannot overflow.
int64_t IntListSum(const TIntList& list);
// Copies count integers from source; the list is emptied when count < 1 or source is null.
void IntListAssign(TIntList& list, const int32_t* source, int32_t count);
// Address of the first item; null when the list is empty.
int32_t* IntListData(TIntList& list);
const int32_t* IntListData(const TIntList& list);
