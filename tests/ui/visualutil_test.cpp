// Row flipping for every pixel format the dialogs' pictures come in, and the gradient band's colours.
#include "ui/visualutil.h"

#include <gtest/gtest.h>

#include <vector>

TEST(FlipRows, RowBytesByFormat) {
  struct Case {
    int width, bits;
    size_t bytes;
  } cases[] = {
      {7, 1, 1},   {9, 1, 2},   {5, 4, 3},   {4, 4, 2}, {5, 8, 5},  {5, 15, 10},
      {5, 16, 10}, {5, 24, 15}, {5, 32, 20}, {5, 2, 0}, {5, 48, 0}, {0, 24, 0},
  };
  for (const Case& c : cases) EXPECT_EQ(FlipRowBytes(c.width, c.bits), c.bytes) << c.width << "x" << c.bits;
}

// Each format at an odd width in a 4-byte padded DIB: the rows swap, the padding stays where it was.
TEST(FlipRows, EveryFormatAtOddWidths) {
  for (const int bits : {1, 4, 8, 15, 16, 24, 32}) {
    for (const int width : {1, 3, 5, 13}) {
      for (const int height : {1, 2, 3, 4}) {
        const size_t row = FlipRowBytes(width, bits);
        const size_t stride = (static_cast<size_t>(width) * (bits == 15 ? 16 : bits) + 31) / 32 * 4;
        ASSERT_LE(row, stride);
        std::vector<uint8_t> image(stride * height);
        for (size_t i = 0; i < image.size(); ++i) image[i] = static_cast<uint8_t>(i * 7 + 1);
        std::vector<uint8_t> flipped = image;
        ASSERT_TRUE(FlipRowsVertically(flipped, stride, width, height, bits));
        for (int y = 0; y < height; ++y) {
          const size_t at = y * stride, from = (height - 1 - y) * stride;
          for (size_t b = 0; b < stride; ++b) {
            const uint8_t want = b < row ? image[from + b] : image[at + b];
            ASSERT_EQ(flipped[at + b], want) << bits << " bpp, width " << width << ", row " << y << ", byte " << b;
          }
        }
      }
    }
  }
}

TEST(FlipRows, ThreeByThreeKeepsItsMiddleRow) {
  // 8-bit, stride 4: rows "a", "b", "c".
  std::vector<uint8_t> image{'a', 'a', 'a', 0, 'b', 'b', 'b', 0, 'c', 'c', 'c', 0};
  ASSERT_TRUE(FlipRowsVertically(image, 4, 3, 3, 8));
  EXPECT_EQ(image, (std::vector<uint8_t>{'c', 'c', 'c', 0, 'b', 'b', 'b', 0, 'a', 'a', 'a', 0}));
}

TEST(FlipRows, RefusesWhatDoesNotFit) {
  std::vector<uint8_t> image(12, 1);
  const std::vector<uint8_t> before = image;
  struct Case {
    size_t size, stride;
    int width, height, bits;
    const char* why;
  } cases[] = {
      {12, 4, 3, 3, 2, "2-bit pixels are left alone"},
      {12, 2, 3, 3, 8, "a row longer than the stride"},
      {10, 4, 3, 3, 8, "the last row runs past the bits"},
      {12, 4, 3, 4, 8, "one row more than the bits hold"},
      {12, 4, 0, 3, 8, "no width"},
  };
  for (const Case& c : cases) {
    EXPECT_FALSE(FlipRowsVertically(std::span<uint8_t>(image.data(), c.size), c.stride, c.width, c.height, c.bits))
        << c.why;
    EXPECT_EQ(image, before) << c.why;
  }
  EXPECT_TRUE(FlipRowsVertically(std::span<uint8_t>(image.data(), 11), 4, 3, 3, 8))
      << "a last row without padding fits";
  EXPECT_TRUE(FlipRowsVertically({}, 4, 3, 0, 8)) << "no rows: nothing to do";
}

TEST(Gradient, ColumnColours) {
  struct Case {
    uint32_t from, to;
    int x, width;
    uint32_t expected;
    const char* why;
  } cases[] = {
      {kGradientNavy, kGradientSilver, 0, 100, kGradientNavy, "navy at the left"},
      {kGradientNavy, kGradientSilver, 100, 100, kGradientSilver, "silver at x = width"},
      {kGradientNavy, kGradientSilver, 50, 100, 0xA06060, "half way: 96, 96, 160"},
      {kGradientNavy, kGradientWhite, 1, 2, 0xC08080, "half of 255 is 127.5: even 128; (128+255)/2 = 191.5: 192"},
      {kGradientNavy, kGradientWhite, 1, 3, 0xAA5555, "a third: 85, 85, 170"},
      {0x000000, 0x000005, 1, 2, 0x000002, "2.5 rounds to even 2"},
      {0x000000, 0x000007, 1, 2, 0x000004, "3.5 rounds to even 4"},
      {kGradientNavy, kGradientSilver, 7, 0, kGradientNavy, "no width: the first colour"},
  };
  for (const Case& c : cases) EXPECT_EQ(GradientColumnColor(c.from, c.to, c.x, c.width), c.expected) << c.why;
}
