// Table-driven reflected CRCs; the tables are built at compile time from the polynomials.
#include "coding/lib_datcoder_check.h"

#include <array>

namespace {

template <typename T>
constexpr std::array<T, 256> ReflectedTable(T poly) {
  std::array<T, 256> table{};
  for (unsigned i = 0; i < 256; ++i) {
    T r = static_cast<T>(i);
    for (int bit = 0; bit < 8; ++bit) r = static_cast<T>((r & 1) ? (r >> 1) ^ poly : r >> 1);
    table[i] = r;
  }
  return table;
}

constexpr auto kCrc8Table = ReflectedTable<uint8_t>(0x8C);
constexpr auto kCrc16Table = ReflectedTable<uint16_t>(0xA001);
constexpr auto kCrc32Table = ReflectedTable<uint32_t>(0xEDB88320u);

}  // namespace

uint8_t Crc8(std::string_view data, uint8_t initial) {
  uint8_t r = initial;
  for (unsigned char c : data) r = kCrc8Table[r ^ c];
  return r;
}

uint16_t Crc16(std::string_view data, uint16_t initial) {
  uint16_t r = initial;
  for (unsigned char c : data) r = static_cast<uint16_t>(kCrc16Table[(r ^ c) & 0xFF] ^ (r >> 8));
  return r;
}

uint32_t Crc32(std::string_view data, uint32_t initial) {
  uint32_t r = initial;
  for (unsigned char c : data) r = kCrc32Table[(r ^ c) & 0xFF] ^ (r >> 8);
  return ~r;
}

uint32_t ComputeCheck(std::string_view data, uint8_t mode) {
  switch (mode) {
    case 1: return Crc8(data, 0);
    case 2: return Crc16(data, 0);
    case 3: return Crc32(data, 0xFFFFFFFFu);
    default: return 0;
  }
}

uint32_t XorFold(std::string_view data) {
  uint32_t fold = 0;
  size_t i = 0;
  for (; i + 4 <= data.size(); i += 4) {
    fold ^= static_cast<uint32_t>(static_cast<unsigned char>(data[i])) |
            static_cast<uint32_t>(static_cast<unsigned char>(data[i + 1])) << 8 |
            static_cast<uint32_t>(static_cast<unsigned char>(data[i + 2])) << 16 |
            static_cast<uint32_t>(static_cast<unsigned char>(data[i + 3])) << 24;
  }
  for (int shift = 0; i < data.size(); ++i, shift += 8)
    fold ^= static_cast<uint32_t>(static_cast<unsigned char>(data[i])) << shift;
  return fold;
}
