// Copies strings: conversions between the letter mask, the page list and the presets; status texts.
#include "foundation/cl_tools_pages.h"

#include <algorithm>
#include <limits>
#include <new>

#include "foundation/lib_str.h"

namespace {

constexpr int64_t kMaxInt32 = std::numeric_limits<int32_t>::max();

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

std::u16string Utf16Decimal(int32_t value) {
  const std::string digits = std::to_string(value);
  return std::u16string(digits.begin(), digits.end());
}

// "1, 2, " and so on up to count; pages past the longest mask would fall away anyway, so a huge count
// from a stored text cannot blow the list up.
std::string EveryPageList(int32_t count) {
  std::string list;
  for (int32_t page = 1; page <= std::min(count, kMaxPageMaskLength); ++page) {
    if (page > 1) list += ", ";
    list += std::to_string(page);
  }
  return list;
}

std::string PresetList(int32_t count, std::string_view customList, int32_t preset) {
  switch (preset) {
    case kPagePresetCustom: return std::string(customList);
    case kPagePresetFirst: return "1";
    case kPagePresetFirstTwo: return "1, 2";
    case kPagePresetLast: return std::to_string(count);
    case kPagePresetFirstAndLast: return "1, " + std::to_string(count);
    case kPagePresetAll: return EveryPageList(count);
    default: return {};
  }
}

std::u16string TextOfCode(const char16_t* const (&texts)[4], int32_t code) {
  return code >= 0 && code < 4 ? texts[code] : u"";
}

}  // namespace

TPageSet ParsePageList(std::string_view list) {
  TPageSet pages;
  std::size_t i = 0;
  while (i < list.size()) {
    if (!IsDigit(list[i])) {
      ++i;
      continue;
    }
    int64_t value = 0;
    bool valid = true;
    for (; i < list.size() && IsDigit(list[i]); ++i) {
      if (valid) value = value * 10 + (list[i] - '0');
      if (value > kMaxInt32) valid = false;
    }
    const int64_t page = valid ? value : 0;
    if (page < static_cast<int64_t>(pages.size())) pages.set(static_cast<std::size_t>(page));
  }
  return pages;
}

std::string PageListToMask(int32_t pageCount, std::string_view list, bool trim) {
  const TPageSet pages = ParsePageList(list);
  const int32_t letters = trim ? kMaxPageMaskLength : std::min(pageCount, kMaxPageMaskLength);
  std::string mask;
  for (int32_t page = 1; page <= letters; ++page) mask += pages.test(static_cast<std::size_t>(page)) ? 'C' : 'N';
  if (trim) {
    const std::size_t last = mask.rfind('C');
    mask.resize(last == std::string::npos ? 0 : last + 1);
  }
  return mask;
}

std::string MaskToPageList(std::string_view mask) {
  std::string list;
  const std::size_t letters = std::min<std::size_t>(mask.size(), kMaxPageMaskLength);
  for (std::size_t i = 0; i < letters; ++i) {
    if (mask[i] != 'C') continue;
    if (!list.empty()) list += ", ";
    list += std::to_string(i + 1);
  }
  return list;
}

std::string PageSetToText(std::string_view pageCountText, std::string_view customList, int32_t preset) {
  const int32_t count = StrToIntOrZero(pageCountText);
  return PageListToMask(count, PresetList(count, customList, preset), false);
}

bool TextToPageSet(std::string_view mask, std::string& pageCountText, int32_t& preset, std::string& customList) {
  try {
    customList.clear();
    const int32_t n = static_cast<int32_t>(std::min<std::size_t>(mask.size(), kMaxPageMaskLength));
    pageCountText = std::to_string(n);
    const std::string list = MaskToPageList(mask);
    // The order matters: the one-page mask "C" is the first page, not every page.
    if (list == "1") {
      preset = kPagePresetFirst;
    } else if (list == "1, 2" && n > 1) {
      preset = kPagePresetFirstTwo;
    } else if (list == pageCountText && n > 1) {
      preset = kPagePresetLast;
    } else if (list == "1, " + pageCountText && n > 1) {
      preset = kPagePresetFirstAndLast;
    } else if (list == EveryPageList(n)) {
      preset = kPagePresetAll;
    } else if (!list.empty()) {
      preset = kPagePresetCustom;
      customList = list;
    } else {
      preset = kPagePresetNone;
    }
    return true;
  } catch (const std::bad_alloc&) {
    return false;
  }
}

std::u16string PageStatusText(int32_t code) {
  static const char16_t* const kTexts[] = {
      u"- Текущая страница печатается без обработки",
      u"- Отмена печати текущей страницы",
      u"- Отмена печати всего задания",
      u"- Обработка текущей страницы, формирование копий",
  };
  return u"(" + Utf16Decimal(code) + u") " + TextOfCode(kTexts, code);
}

std::u16string JobStatusText(int32_t code) {
  static const char16_t* const kTexts[] = {
      u" - Программная ошибка",
      u" - Текущее задание печатается без изменений",
      u" - Обработка задания, формирование копий",
      u" - Отмена печати задания",
  };
  return u"\"" + Utf16Decimal(code) + u"\"" + TextOfCode(kTexts, code);
}
