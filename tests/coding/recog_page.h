// Page models built by hand for the recogniser's tests: the lists a coder would lend, a host that keeps
// the log and whose clock the test drives, and builders for texts, lines and parameters.
#pragma once

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "coding/cl_macrolib_recog.h"

class TTestHost : public TRecognitionHost {
 public:
  bool LogEnabled() const override { return true; }
  void Log(std::u16string_view text) override { Lines.emplace_back(text); }
  // Each reading of the clock advances it by ClockStep.
  uint32_t Tick() const override { return Now += ClockStep; }
  size_t FieldStatusCount() const override { return Status.size(); }
  void TruncateFieldStatus(size_t count) override { Status.resize(std::min(count, Status.size())); }
  void DumpObjects() override { ++Dumps; }
  void SetNewContext(std::u16string_view name, std::u16string_view value) override {
    ContextName = name;
    ContextValue = value;
  }
  void AddFieldEntry(const TRecognizer& r, const TFieldValue& field, std::u16string& payload) override {
    Status.push_back(field.DisplayName);
    TRecognitionHost::AddFieldEntry(r, field, payload);
  }

  bool Logged(std::u16string_view text) const {
    return std::find(Lines.begin(), Lines.end(), text) != Lines.end();
  }
  bool LoggedPart(std::u16string_view part) const {
    return std::any_of(Lines.begin(), Lines.end(), [&](const std::u16string& l) { return l.find(part) != l.npos; });
  }

  std::vector<std::u16string> Lines;
  std::vector<std::u16string> Status;
  mutable uint32_t Now = 1000;
  uint32_t ClockStep = 0;
  int Dumps = 0;
  std::u16string ContextName, ContextValue;
};

// Lower-case letters fold to capitals, so patterns match either case.
inline const TCharMap& TestCharMap() {
  static const TCharMap map(u"abcdefghijklmnopqrstuvwxyzабвгдеёжзийклмнопрстуфхцчшщъыьэюя",
                            u"ABCDEFGHIJKLMNOPQRSTUVWXYZАБВГДЕЁЖЗИЙКЛМНОПРСТУФХЦЧШЩЪЫЬЭЮЯ");
  return map;
}

struct TTestPage {
  TTestPage() {
    R.UseLists(Texts, HLines, VLines, Grids, Found, NamedParams, Errors);
    R.CharMap = &TestCharMap();
    R.SortTolerance = TSmallPoint{3, 3};
  }
  TTestPage(const TTestPage&) = delete;

  TTextProTo* Text(std::u16string_view text, int32_t l, int32_t t, int32_t r, int32_t b) {
    Texts.push_back(std::make_unique<TTextProTo>(static_cast<int32_t>(Texts.size()), std::u16string(text),
                                                 TPoint{l, t}, TPoint{r, b}));
    return static_cast<TTextProTo*>(Texts.back().get());
  }
  TLineProTo* HLine(int32_t y, int32_t x1, int32_t x2) {
    HLines.push_back(std::make_unique<TLineProTo>(static_cast<int32_t>(HLines.size()), TRect{x1, y, x2, y}));
    return static_cast<TLineProTo*>(HLines.back().get());
  }
  TLineProTo* VLine(int32_t x, int32_t y1, int32_t y2) {
    VLines.push_back(std::make_unique<TLineProTo>(static_cast<int32_t>(VLines.size()), TRect{x, y1, x, y2}));
    return static_cast<TLineProTo*>(VLines.back().get());
  }
  void Param(std::u16string_view name, std::u16string_view value) {
    NamedParams.AddObject(name, std::make_unique<TRecognitionParam>(value));
  }
  void Name(std::u16string_view name, TObject* object) { Found.AddObject(name, object); }
  void Model(std::initializer_list<std::u16string_view> lines) {
    int32_t i = 1;
    for (std::u16string_view line : lines) Config.Model[i++] = std::u16string(line);
  }
  // Field nodes kept as values of the Fields key.
  void Fields(std::initializer_list<std::pair<std::u16string_view, std::u16string_view>> values) {
    for (const auto& [name, text] : values) Config.Values[std::u16string(name)] = std::u16string(text);
  }
  std::u16string FoundText(std::u16string_view name) const {
    const auto* text = dynamic_cast<const TTextProTo*>(R.FindRectObject(name));
    return text ? text->Text : u"<none>";
  }
  std::vector<std::u16string> ErrorList() const {
    std::vector<std::u16string> out;
    for (int32_t i = 0; i < Errors.Count(); ++i) out.push_back(Errors.Get(i));
    return out;
  }

  TObjectList Texts, HLines, VLines, Grids;
  TWideStringList Found, NamedParams;
  TWideStringArray Errors;
  TMemoryRecognitionConfig Config;
  TTestHost Host;
  TCodeDelimiters Delims;
  TRecognizer R{Config, Host, Delims};
};

// Readable expectations: NUL as "\0", the table delimiters as "|" and "/".
inline std::string Show(std::u16string_view text) {
  std::string out;
  for (char16_t c : text) {
    if (c == u'\0') out += "\\0";
    else if (c == u'\r') out += "|";
    else if (c == u'\n') out += "/";
    else if (c == u'\t') out += "\\t";
    else if (c < 0x80) out += static_cast<char>(c);
    else if (c < 0x800) out += {static_cast<char>(0xC0 | (c >> 6)), static_cast<char>(0x80 | (c & 0x3F))};
    else
      out += {static_cast<char>(0xE0 | (c >> 12)), static_cast<char>(0x80 | ((c >> 6) & 0x3F)),
              static_cast<char>(0x80 | (c & 0x3F))};
  }
  return out;
}
