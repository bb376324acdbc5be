// Code pictures played by Windows GDI: WMF and EMF files (vectors and embedded bitmaps) and BMP files
// are drawn into a DIB section and must show every module of the picture they were made from.
#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "coding/aztencod.h"
#include "coding/lib_graph.h"
#include "support/dib_canvas.h"

namespace {

constexpr int kPx = 6;  // pixels per module on playback

std::string Compare(const TCanvas& canvas, const TAztCoder& c) {
  const int stride = (c.PictureWidth() + 7) / 8;
  int wrong = 0;
  std::string first;
  for (int y = 0; y < c.SymbolSize(); ++y)
    for (int x = 0; x < c.PictureWidth(); ++x) {
      const int want = (c.Picture()[y * stride + x / 8] >> (7 - x % 8)) & 1;
      const int got = canvas.At(x * kPx + kPx / 2, y * kPx + kPx / 2);
      if (got != want && wrong++ == 0) first = "module " + std::to_string(x) + "," + std::to_string(y) + " is " + std::to_string(got);
    }
  int counts[3] = {0, 0, 0};
  int minX = 1 << 30, minY = 1 << 30, maxX = -1, maxY = -1;
  for (int y = 0; y < canvas.height; ++y)
    for (int x = 0; x < canvas.width; ++x) {
      const int v = canvas.At(x, y);
      counts[v + 1]++;
      if (v >= 0) { minX = std::min(minX, x); maxX = std::max(maxX, x); minY = std::min(minY, y); maxY = std::max(maxY, y); }
    }
  return wrong ? std::to_string(wrong) + " modules differ, first " + first + " other/light/dark " + std::to_string(counts[0]) + "/" + std::to_string(counts[1]) + "/" + std::to_string(counts[2]) + " box " + std::to_string(minX) + "," + std::to_string(minY) + "-" + std::to_string(maxX) + "," + std::to_string(maxY) : "";
}

std::wstring TempName(const wchar_t* name) {
  wchar_t dir[MAX_PATH];
  GetTempPathW(MAX_PATH, dir);
  return std::wstring(dir) + name;
}

std::vector<uint8_t> ReadAll(const std::wstring& name) {
  std::ifstream in(std::filesystem::path(name), std::ios::binary);
  return std::vector<uint8_t>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

std::vector<TAztCoder> Symbols() {
  std::vector<TAztCoder> out(3);
  out[0].SetData("Code 2D!");
  out[1].SetData("Windows metafile playback, full range symbol 0123456789");
  out[1].SetSizeMode(205);
  out[2].SetData("Two symbols side by side");
  out[2].SetSymbolCount(2);
  for (auto& c : out) EXPECT_EQ(c.Encode(), AztOk);
  return out;
}

}  // namespace

TEST(CodePictureGdi, EmfPlaysEveryModule) {
  for (const TAztCoder& c : Symbols())
    for (int scale : {0, 1, 2, 4, 8}) {
      const std::wstring name = TempName(L"aztec_play.emf");
      const TPictureSize s{c.PictureWidth(), c.SymbolSize()};
      ASSERT_TRUE(SaveCodeEmf(c.Picture(), s, 25, std::u16string(name.begin(), name.end()), scale));
      HENHMETAFILE emf = GetEnhMetaFileW(name.c_str());
      ASSERT_NE(emf, nullptr);
      TCanvas canvas(s.Width * kPx, s.Height * kPx);
      RECT r{0, 0, canvas.width, canvas.height};
      EXPECT_TRUE(PlayEnhMetaFile(canvas.dc, emf, &r));
      EXPECT_EQ(Compare(canvas, c), "") << "scale " << scale << ", " << c.Data();
      DeleteEnhMetaFile(emf);
      DeleteFileW(name.c_str());
    }
}

TEST(CodePictureGdi, PlaceableWmfPlaysEveryModule) {
  for (const TAztCoder& c : Symbols())
    for (int scale : {0, 1, 8}) {
      const std::wstring name = TempName(L"aztec_play.wmf");
      const TPictureSize s{c.PictureWidth(), c.SymbolSize()};
      ASSERT_TRUE(SaveCodeWmf(c.Picture(), s, 25, std::u16string(name.begin(), name.end()), scale));
      const std::vector<uint8_t> file = ReadAll(name);
      ASSERT_GT(file.size(), 22u);
      HMETAFILE wmf = SetMetaFileBitsEx(static_cast<UINT>(file.size() - 22), file.data() + 22);
      ASSERT_NE(wmf, nullptr);
      TCanvas canvas(s.Width * kPx, s.Height * kPx);
      SetMapMode(canvas.dc, MM_ANISOTROPIC);
      SetViewportOrgEx(canvas.dc, 0, 0, nullptr);
      SetViewportExtEx(canvas.dc, canvas.width, canvas.height, nullptr);
      EXPECT_TRUE(PlayMetaFile(canvas.dc, wmf));
      EXPECT_EQ(Compare(canvas, c), "") << "scale " << scale << ", " << c.Data();
      DeleteMetaFile(wmf);
      DeleteFileW(name.c_str());
    }
}

TEST(CodePictureGdi, BmpLoadsEveryModule) {
  for (const TAztCoder& c : Symbols()) {
    const TPictureSize s{c.PictureWidth(), c.SymbolSize()};
    std::vector<uint8_t> bmp;
    ASSERT_TRUE(WriteMonoBmp(c.Picture(), s, bmp, 2));
    const std::wstring name = TempName(L"aztec_load.bmp");
    std::ofstream(std::filesystem::path(name), std::ios::binary)
        .write(reinterpret_cast<const char*>(bmp.data()), static_cast<std::streamsize>(bmp.size()));
    HBITMAP loaded = static_cast<HBITMAP>(LoadImageW(nullptr, name.c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE));
    ASSERT_NE(loaded, nullptr);
    TCanvas canvas(s.Width * kPx, s.Height * kPx);
    HDC src = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(src, loaded);
    StretchBlt(canvas.dc, 0, 0, canvas.width, canvas.height, src, 0, 0, s.Width * 2, s.Height * 2, SRCCOPY);
    SelectObject(src, old);
    DeleteDC(src);
    DeleteObject(loaded);
    EXPECT_EQ(Compare(canvas, c), "") << c.Data();
    DeleteFileW(name.c_str());
  }
}
