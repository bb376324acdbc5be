// The shared fillers' decisions without controls: hint wrapping, combo selection, destination menus and
// the folder browser's answer.
#include "ui/frmlib_controls.h"

#include <gtest/gtest.h>

#include "foundation/lib_unicode.h"

namespace {

TWideStringArray List(std::initializer_list<std::u16string_view> items) {
  TWideStringArray list(8);
  for (const auto item : items) list.Add(item);
  return list;
}

// The lines of a wrapped text.
std::vector<std::u16string> Lines(const std::u16string& text) {
  std::vector<std::u16string> lines;
  size_t start = 0;
  for (size_t at; (at = text.find(u"\r\n", start)) != std::u16string::npos; start = at + 2) {
    lines.push_back(text.substr(start, at - start));
  }
  lines.push_back(text.substr(start));
  return lines;
}

}  // namespace

TEST(WrapHintText, Cases) {
  struct Case {
    std::u16string text;
    size_t maxCol;
    std::u16string expected;
    const char* why;
  } cases[] = {
      {u"", 10, u"", "empty"},
      {u"abc def", 10, u"abc def", "fits"},
      {u"abcd efgh ij", 9, u"abcd efgh\r\nij", "the blank a line ends at is dropped"},
      {u"abcd efghi", 9, u"abcd\r\nefghi", "one more does not fit"},
      {u"ab,cd,ef,gh", 6, u"ab,cd,\r\nef,gh", "after a comma, the comma stays"},
      {u"a-b-c-d-e", 4, u"a-b-\r\nc-d-\r\ne", "after hyphens"},
      {u"one.two.three", 8, u"one.two.\r\nthree", "after a full stop"},
      {u"abcdefghijkl mn", 5, u"abcdefghijkl\r\nmn", "a long word runs to its break"},
      {u"abcdefghij,kl", 5, u"abcdefghij,\r\nkl", "a long word ends at its own comma"},
      {u"ab  \r\ncd ef gh", 5, u"ab  \r\ncd ef\r\ngh", "the text's own breaks stay"},
      {u"abcde \r\nf", 5, u"abcde\r\nf", "a wrap before the text's own break adds no empty line"},
      {u"abc def", 0, u"abc def", "no columns: unchanged"},
      {u"текст на русском языке", 11, u"текст на\r\nрусском\r\nязыке", "UTF-16 letters are one column each"},
  };
  for (const Case& c : cases) EXPECT_EQ(WrapHintText(c.text, c.maxCol), c.expected) << c.why;
}

TEST(WrapHintText, LongHints) {
  const std::u16string solid(130, u'ж');
  EXPECT_EQ(WrapHintText(solid, kHintColumns), solid) << "no break character: one line";

  std::u16string words;
  for (int i = 0; i < 40; ++i) words += (i % 3 ? u"слово " : u"ещё, ");
  const std::u16string wrapped = WrapHintText(words, kHintColumns);
  std::u16string joined;
  for (const std::u16string& line : Lines(wrapped)) {
    EXPECT_LE(line.size(), kHintColumns) << "line of at most 60 characters";
    EXPECT_FALSE(line.empty());
    joined += line + u" ";
  }
  // Only blanks at the breaks went: the words are all there in order.
  std::u16string expected = words;
  while (!expected.empty() && expected.back() == u' ') expected.pop_back();
  while (!joined.empty() && joined.back() == u' ') joined.pop_back();
  std::u16string collapsed;
  for (const char16_t c : joined) {
    if (!(c == u' ' && !collapsed.empty() && collapsed.back() == u' ')) collapsed += c;
  }
  EXPECT_EQ(collapsed, expected);
  EXPECT_GT(Lines(wrapped).size(), 3u);
}

TEST(ComboChoice, SelectionRules) {
  struct Case {
    TWideStringArray items;
    std::u16string value;
    TComboChoice expected;
    const char* why;
  } cases[] = {
      {List({u"LPT1:", u"Laser", u"Матричный"}), u"laser", {1, u"Laser"}, "equal ignoring case, the entry's spelling"},
      {List({u"LPT1:", u"Laser", u"Матричный"}), u"МАТРИЧНЫЙ", {2, u"Матричный"}, "Cyrillic folds too"},
      {List({u"LPT1:", u"Laser"}), u"Gone", {0, u"LPT1:"}, "not there: the first"},
      {List({u"LPT1:", u"Laser"}), u"", {0, u"LPT1:"}, "no value: the first"},
      {List({}), u"Laser", {-1, u""}, "empty list: no selection, empty value"},
  };
  for (const Case& c : cases) EXPECT_EQ(ChooseComboEntry(c.items, c.value), c.expected) << c.why;
}

TEST(ComboChoice, PrinterDestination) {
  const TWideStringArray installed = List({u"Laser", u"Epson LX"});
  struct Case {
    TWideStringArray destinations;
    std::u16string stored, fallback;
    TComboChoice expected;
    bool tookDefault, askedDefault;
    const char* why;
  } cases[] = {
      {installed,
       u"epson lx",
       u"Laser",
       {1, u"Epson LX"},
       false,
       false,
       "stored and installed: the default is not asked"},
      {installed, u"Removed", u"Laser", {0, u"Laser"}, true, true, "stored not installed: the default"},
      {installed, u"", u"Epson LX", {1, u"Epson LX"}, true, true, "nothing stored: the default"},
      {installed, u"Removed", u"", {-1, u""}, true, true, "no default either: nothing selected"},
      {installed, u"Removed", u"Tevoran", {-1, u""}, true, true, "a default that is not a destination is not selected"},
      {List({}), u"Laser", u"Laser", {-1, u""}, true, true, "no destinations"},
  };
  for (const Case& c : cases) {
    bool asked = false;
    const TPrinterComboChoice got = ChoosePrinterEntry(c.destinations, c.stored, [&] {
      asked = true;
      return c.fallback;
    });
    EXPECT_EQ(got.Choice, c.expected) << c.why;
    EXPECT_EQ(got.TookDefault, c.tookDefault) << c.why;
    EXPECT_EQ(asked, c.askedDefault) << c.why;
  }
}

TEST(PrinterMenu, EntriesAndCaptions) {
  const std::vector<TPrinterMenuEntry> expected{{u"Laser", false}, {u"R&D Epson", true}};
  EXPECT_EQ(PrinterMenuEntries(List({u"Laser", u"R&D Epson"}), u"r&d EPSON"), expected);
  EXPECT_TRUE(PrinterMenuEntries(List({}), u"Laser").empty()) << "no destinations: no items, the submenu stays away";
  for (const TPrinterMenuEntry& e : PrinterMenuEntries(List({u"A", u"B"}), u"")) EXPECT_FALSE(e.Checked);

  EXPECT_EQ(MenuCaptionOf(u"R&D Epson"), u"R&&D Epson");
  EXPECT_EQ(MenuCaptionOf(u"&&"), u"&&&&");
  EXPECT_EQ(MenuCaptionOf(u"Laser"), u"Laser");
}

TEST(FolderBrowse, StartAndResult) {
  struct Start {
    std::u16string directory, start;
  } starts[] = {
      {u"C:\\Data\\In\\", u"C:\\Data\\In"},
      {u"C:\\Data\\In", u"C:\\Data\\In"},
      {u"C:\\", u"C:\\"},
      {u"", u""},
  };
  for (const Start& s : starts)
    EXPECT_EQ(FolderBrowseStart(s.directory), s.start) << FolderBrowseStart(s.directory).size();

  struct Case {
    std::optional<std::u16string> chosen;
    std::u16string start, expected;
    const char* why;
  } cases[] = {
      {u"D:\\Out", u"C:\\In", u"D:\\Out\\", "chosen: with a backslash"},
      {u"D:\\", u"C:\\In", u"D:\\", "a chosen root keeps its one backslash"},
      {std::nullopt, u"C:\\In", u"C:\\In\\", "cancelled: the start with a backslash"},
      {std::nullopt, u"C:\\In\\", u"C:\\In\\", "cancelled: not a second backslash"},
      {std::nullopt, u"", u"", "cancelled with no start: empty, never a bare backslash"},
      {u"", u"", u"", "an empty answer counts as cancelled"},
  };
  for (const Case& c : cases) EXPECT_EQ(FolderBrowseResult(c.chosen, c.start), c.expected) << c.why;
}
