// Windows pages shaped to make the page parse slow or large, at a size n: metafile bytes for the record
// walk, and page models (texts, lines and white areas as the walk leaves them) for the text steps. Shared
// by the regression tests, the scaling benchmarks and the fuzz seeds.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "coding/cl_emfcoder.h"
#include "support/emf_builder.h"

namespace hostile {

// One POLYTEXTOUTW of n texts whose entries all point at one string of n characters.
inline std::vector<uint8_t> SharedStringPolyText(int32_t n) {
  std::vector<uint8_t> p = TEmfBuilder::Words({0, 0, -1, -1, 1, 0, 0, n});
  const uint32_t offString = static_cast<uint32_t>(8 + p.size() + 40 * static_cast<size_t>(n));
  for (int32_t i = 0; i < n; ++i)
    for (uint32_t v : {100u, static_cast<uint32_t>(100 + 30 * i), static_cast<uint32_t>(n), offString, 0u, 0u, 0u, 0u,
                       0u, 0u})
      TEmfBuilder::Append(p, v);
  for (int32_t i = 0; i < n; ++i) TEmfBuilder::Append16(p, u'A' + i % 26);
  TEmfBuilder emf;
  emf.Font(1, LogFont(u"Arial", -20)).Select(1);
  return emf.Raw(emr::PolyTextOutW, p).Bytes();
}

// n ruled lines, then n paths of one line each selected as the clip.
inline std::vector<uint8_t> ClipPathFlood(int32_t n) {
  TEmfBuilder emf;
  for (int32_t i = 0; i < n; ++i) emf.MoveTo(100, 100 + i).LineTo(2000, 100 + i);
  for (int32_t i = 0; i < n; ++i)
    emf.Record(emr::BeginPath, {}).MoveTo(10, 10 + i).LineTo(50, 10 + i).Record(emr::EndPath, {})
        .Record(emr::SelectClipPath, {5});
  return emf.Bytes();
}

// n SAVEDC records after a few state changes, with no RESTOREDC.
inline std::vector<uint8_t> SaveDCFlood(int32_t n) {
  TEmfBuilder emf;
  emf.Font(1, LogFont(u"Arial", -20)).Select(1).Record(emr::SetTextColor, {0x102030});
  for (int32_t i = 0; i < n; ++i) emf.Record(emr::SaveDC, {});
  return emf.Bytes();
}

// A text of the page model as the walk leaves it (a reference point, a font 20 high) numbered ident.
inline void AddRawText(TEMFCoder& coder, int32_t ident, std::u16string chars, int32_t x, int32_t y) {
  auto t = std::make_unique<TText>(ident, std::move(chars), TPoint{x, y});
  t->Font.lfHeight = -20;
  t->Font.lfFaceName[0] = u'A';
  coder.Texts->push_back(std::move(t));
}

// n texts and n ruled lines of each direction over a page, then n small white areas, each over one text
// and the lines beside it.
inline void WhiteAreasOverTexts(TEMFCoder& coder, int32_t n) {
  auto x = [](int32_t i) { return 100 + (i % 40) * 110; };
  auto y = [](int32_t i) { return 100 + (i / 40) * 40; };
  for (int32_t i = 0; i < n; ++i) AddRawText(coder, 1 + i, u"Итого", x(i), y(i));
  for (int32_t i = 0; i < n; ++i) {
    coder.HLines->push_back(std::make_unique<TLine>(54, TRect{x(i) - 5, y(i) + 30, x(i) + 100, y(i) + 30}, n + 1 + i));
    coder.VLines->push_back(std::make_unique<TLine>(54, TRect{x(i) - 5, y(i), x(i) - 5, y(i) + 35}, n + 1 + i));
  }
  for (int32_t i = 0; i < n; i += 2)
    coder.WhiteRects.push_back(
        std::make_unique<TRectProTo>(2 * n + 1 + i, TRect{x(i) - 10, y(i) - 2, x(i) + 60, y(i) + 32}));
}

// n texts in one column, one to a row, right-aligned figures of one to three digits.
inline void TextColumn(TEMFCoder& coder, int32_t n) {
  for (int32_t i = 0; i < n; ++i) {
    const std::u16string figure = std::u16string(1 + i % 3, u'7');
    AddRawText(coder, 1 + i, figure, 1000 - 10 * static_cast<int32_t>(figure.size()), 100 + 30 * i);
  }
}

// n rows of "12|34" whose bars stand on a vertical line piece of their own row.
inline void RuledBars(TEMFCoder& coder, int32_t n) {
  for (int32_t i = 0; i < n; ++i) {
    AddRawText(coder, 1 + i, u"12|34", 100, 100 + 30 * i);
    coder.VLines->push_back(std::make_unique<TLine>(54, TRect{125, 95 + 30 * i, 125, 125 + 30 * i}, n + 1 + i));
  }
}

}  // namespace hostile
