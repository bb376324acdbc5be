// The blank file layout and the copy of a blank between its values and its file.
#include "coding/cl_blank.h"

#include <array>

#include "foundation/cl_tools_cfgkey.h"
#include "foundation/lib_str.h"

namespace {
constexpr std::string_view kCrLf = "\r\n";
constexpr std::u16string_view kMainSection = u"Main";
constexpr std::u16string_view kHeaderValue = u"Header";
constexpr int32_t kMinBlankSide = 100;
// The entry lists, in the order a blank file holds them.
constexpr std::array<std::u16string_view, 4> kEntryKinds = {u"Text", u"LineH", u"LineV", u"Link"};

void AppendLine(std::string_view line, std::string& out) {
  if (!out.empty()) out += kCrLf;
  out += line;
}

std::u16string EntryName(std::u16string_view kind, int32_t number) {
  std::u16string name(kind);
  for (char c : IntToText(number)) name.push_back(static_cast<char16_t>(c));
  return name;
}

// Numbers are ASCII digits; any other character keeps a field from being one.
std::string AsciiOrMark(std::u16string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char16_t c : text) out.push_back(c < 0x80 ? static_cast<char>(c) : '?');
  return out;
}
}  // namespace

std::string MakeBlankHeader(uint8_t kind, int32_t width, int32_t height) {
  std::string text = ";Version=" + std::string(kProgramVersion) + "\r\n[Main]\r\nHeader=1.00,";
  text += kind == kBlankKindPageData ? "Text" : "Blank";
  text += ",Data\r\n[Data]\r\nSizeXY=" + IntToText(width) + "," + IntToText(height);
  return text;
}

void AddBlankTextEntry(int32_t number, uint8_t flag, std::string_view rect, std::string_view text, std::string& out) {
  std::string oneLine(text);
  for (char& c : oneLine)
    if (c == '\r' || c == '\n') c = ' ';
  AppendLine("Text" + IntToText(number) + "=" + std::string(rect) + "," + IntToText(flag) + "," + TrimStr(oneLine),
             out);
}

void AddBlankLineEntry(int32_t number, uint8_t direction, uint8_t flag, std::string_view rect, std::string& out) {
  AppendLine(std::string(direction == kBlankLineH ? "LineH" : "LineV") + IntToText(number) + "=" + std::string(rect) +
                 "," + IntToText(flag),
             out);
}

TBlankSize ParseBlankSize(std::string_view text) {
  const size_t comma = text.find(',');
  if (comma == std::string_view::npos) return {StrToIntOrZero(text), 0};
  return {StrToIntOrZero(text.substr(0, comma)), StrToIntOrZero(text.substr(comma + 1))};
}

std::string BlankTextFromValues(const TBlankValueReader& read) {
  const std::string size = read(kBlankSizeValue);
  if (size.empty()) return {};
  const TBlankSize wh = ParseBlankSize(size);
  std::string text = MakeBlankHeader(kBlankKindBlank, wh.Width, wh.Height);
  for (std::u16string_view kind : kEntryKinds) {
    for (int32_t n = 1;; ++n) {
      const std::u16string name = EntryName(kind, n);
      const std::string value = read(name);
      if (value.empty()) break;
      AppendLine(AsciiOrMark(name) + "=" + value, text);
    }
  }
  return text;
}

int ImportBlankValues(const TIniFile& file, const TBlankValueWriter& write) {
  // Header: version, kind, data section (the rest, commas and all).
  const std::u16string header = file.ReadString(kMainSection, kHeaderValue);
  const size_t kindAt = header.find(u',');
  const size_t dataAt = kindAt == std::u16string::npos ? kindAt : header.find(u',', kindAt + 1);
  if (dataAt == std::u16string::npos) return kBlankRejected;
  if (LowerCaseW(std::u16string_view(header).substr(kindAt + 1, dataAt - kindAt - 1)) != u"blank")
    return kBlankRejected;
  const std::u16string data = header.substr(dataAt + 1);

  const std::u16string size = file.ReadString(data, kBlankSizeValue);
  const TBlankSize wh = ParseBlankSize(AsciiOrMark(size));
  if (wh.Width <= kMinBlankSide || wh.Height <= kMinBlankSide) return kBlankRejected;
  if (!write(kBlankSizeValue, size)) return kBlankRejected;

  for (std::u16string_view kind : kEntryKinds) {
    for (int32_t n = 1;; ++n) {
      const std::u16string name = EntryName(kind, n);
      const std::u16string value = file.ReadString(data, name);
      // The empty entry is written too: it ends the list over what an earlier blank left.
      if (!write(name, value)) return kBlankRejected;
      if (value.empty()) break;
    }
  }
  return kBlankImported;
}
