// Blanks (form templates of a document type) and page data in their shared INI-like text: the header
// and entry lines, the blank file made from a blank's values and the values taken from a blank file.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "coding/cl_blank_ini.h"

inline constexpr std::u16string_view kBlankParamsErrorText =
    u"Параметры бланка отсутствуют или содержат некорректные данные.";

inline constexpr uint8_t kBlankKindPageData = 0;
inline constexpr uint8_t kBlankKindBlank = 1;

inline constexpr uint8_t kBlankLineH = 0;
inline constexpr uint8_t kBlankLineV = 1;

// ImportBlankFile results.
inline constexpr int kBlankImportNothing = 0;
inline constexpr int kBlankImported = 1;
inline constexpr int kBlankRejected = 2;

inline constexpr std::u16string_view kBlankSizeValue = u"SizeXY";

// The five header lines (version, Main section, Header, data section, SizeXY), CR LF between them.
std::string MakeBlankHeader(uint8_t kind, int32_t width, int32_t height);
// One "Text<n>=<rect>,<flag>,<text>" line appended after CR LF (none before the first line). Line breaks
// inside the text become blanks: they would end the entry.
void AddBlankTextEntry(int32_t number, uint8_t flag, std::string_view rect, std::string_view text, std::string& out);
// One "LineH<n>=<rect>,<flag>" (direction 0) or "LineV<n>=..." line.
void AddBlankLineEntry(int32_t number, uint8_t direction, uint8_t flag, std::string_view rect, std::string& out);

struct TBlankSize {
  int32_t Width = 0;
  int32_t Height = 0;
};
// "width,height"; a field that is not a number is 0.
TBlankSize ParseBlankSize(std::string_view text);

// A blank's value by name (8-bit text; empty when missing).
using TBlankValueReader = std::function<std::string(std::u16string_view name)>;
// A value written to the blank; false when it could not be.
using TBlankValueWriter = std::function<bool(std::u16string_view name, std::u16string_view value)>;

// The blank file text of a blank's values; empty without SizeXY.
std::string BlankTextFromValues(const TBlankValueReader& read);
// The values of a blank file written in their order: kBlankImported, or kBlankRejected for a file that
// is no blank, a size not above 100 by 100, or a failed write (what was written before stays).
int ImportBlankValues(const TIniFile& file, const TBlankValueWriter& write);
