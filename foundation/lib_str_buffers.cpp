// A growable byte buffer with a 1-based write position, and a list of integers addressed from 1.
#include "foundation/lib_str_buffers.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace {
constexpr int64_t kMaxInt32 = std::numeric_limits<int32_t>::max();
}  // namespace

TDataStream::TDataStream(int32_t blockSize) {
  FBlockSize = blockSize > 0 ? blockSize : 256;
  Clear();
  SetSize(0);
  Seek(1);
}

void TDataStream::Clear() {
  FPosition = 1;
  FSize = 0;
  FCapacity = 0;
  FData.clear();
}

bool TDataStream::SetSize(int32_t n) {
  if (n < 0) return false;
  const int64_t capacity = (static_cast<int64_t>(n) / FBlockSize + 1) * FBlockSize;
  if (capacity > kMaxInt32) return false;
  if (capacity != FCapacity) {
    FCapacity = static_cast<int32_t>(capacity);
    FData.resize(static_cast<std::size_t>(FCapacity));
  }
  // Bytes cut off stay zero, so a later write past the end never brings old data back.
  if (n < FSize) std::fill(FData.begin() + n, FData.begin() + std::min(FSize, FCapacity), '\0');
  FSize = n;
  if (FPosition > n + 1) FPosition = n + 1;
  return true;
}

void TDataStream::Seek(int32_t position) { FPosition = std::max<int32_t>(position, 1); }

bool TDataStream::Write(std::string_view bytes) {
  if (bytes.empty()) return true;
  const int64_t end = static_cast<int64_t>(FPosition) + static_cast<int64_t>(bytes.size()) - 1;
  if (end > kMaxInt32) return false;
  if (end + 1 > FCapacity) {
    if (!SetSize(static_cast<int32_t>(end))) return false;
  } else if (end > FSize) {
    FSize = static_cast<int32_t>(end);
  }
  std::memcpy(FData.data() + (FPosition - 1), bytes.data(), bytes.size());
  FPosition = static_cast<int32_t>(end + 1);
  return true;
}

bool TDataStream::Write(std::span<const uint8_t> bytes) {
  return Write(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
}

std::string TDataStream::GetData() const { return FData.substr(0, static_cast<std::size_t>(FSize)); }

namespace {
bool InList(const TIntList& list, int32_t index) {
  return index >= 1 && static_cast<std::size_t>(index) <= list.Items.size();
}
}  // namespace

void IntListAdd(TIntList& list, int32_t value) { list.Items.push_back(value); }

int32_t IntListGet(const TIntList& list, int32_t index) {
  return InList(list, index) ? list.Items[static_cast<std::size_t>(index) - 1] : 0;
}

void IntListPut(TIntList& list, int32_t index, int32_t value) {
  if (InList(list, index)) list.Items[static_cast<std::size_t>(index) - 1] = value;
}

void IntListInsert(TIntList& list, int32_t index, int32_t value) {
  if (index < 1) return;
  const std::size_t at = std::min(static_cast<std::size_t>(index) - 1, list.Items.size());
  list.Items.insert(list.Items.begin() + static_cast<std::ptrdiff_t>(at), value);
}

void IntListDeleteRange(TIntList& list, int32_t index, int32_t count) {
  if (!InList(list, index) || count < 1) return;
  const std::size_t from = static_cast<std::size_t>(index) - 1;
  const std::size_t to = std::min(from + static_cast<std::size_t>(count), list.Items.size());
  list.Items.erase(list.Items.begin() + static_cast<std::ptrdiff_t>(from),
                   list.Items.begin() + static_cast<std::ptrdiff_t>(to));
}

void IntListDelete(TIntList& list, int32_t index) { IntListDeleteRange(list, index, 1); }

void IntListClear(TIntList& list) { list.Items.clear(); }

int32_t IntListCount(const TIntList& list) { return static_cast<int32_t>(list.Items.size()); }

int64_t IntListSum(const TIntList& list) {
  int64_t sum = 0;
  for (int32_t v : list.Items) sum += v;
  return sum;
}

void IntListAssign(TIntList& list, const int32_t* source, int32_t count) {
  if (source == nullptr || count < 1) {
    list.Items.clear();
    return;
  }
  list.Items.assign(source, source + count);
}

int32_t* IntListData(TIntList& list) { return list.Items.empty() ? nullptr : list.Items.data(); }

const int32_t* IntListData(const TIntList& list) { return list.Items.empty() ? nullptr : list.Items.data(); }
