// Hint wrapping, combo and menu choices and the folder browser's answer of the dialogs' shared helpers.
#include "ui/frmlib_controls.h"

#include "foundation/lib_unicode.h"

namespace {

bool IsWrapBreak(char16_t c) { return c == u' ' || c == u',' || c == u'-' || c == u'.'; }

// Lines go out joined by CR LF: the break goes in only before a line that follows.
class TLineJoiner {
 public:
  explicit TLineJoiner(std::u16string& out) : out_(out) {}
  // A wrapped line; a blank it ends at is dropped.
  void Wrapped(std::u16string_view line) {
    while (!line.empty() && line.back() == u' ') line.remove_suffix(1);
    Raw(line);
    pending_ = true;
  }
  void Raw(std::u16string_view text) {
    if (text.empty()) return;
    // A line break of the text's own already follows the wrapped line.
    if (pending_ && text[0] != u'\r' && text[0] != u'\n') out_.append(u"\r\n");
    pending_ = false;
    out_.append(text);
  }

 private:
  std::u16string& out_;
  bool pending_ = false;
};

}  // namespace

std::u16string WrapHintText(std::u16string_view text, size_t maxCol) {
  if (maxCol == 0) return std::u16string(text);
  std::u16string out;
  out.reserve(text.size() + text.size() / maxCol * 2 + 2);
  TLineJoiner lines(out);
  const size_t none = std::u16string_view::npos;
  size_t lineStart = 0;
  size_t lastBreak = none;  // the line's last break character, which keeps it within maxCol
  size_t i = 0;
  auto skipBlanks = [&](size_t from) {
    while (from < text.size() && text[from] == u' ') ++from;
    return from;
  };
  while (i < text.size()) {
    const char16_t c = text[i];
    if (c == u'\r' || c == u'\n') {
      // A line break of the text's own ends the line as it is.
      const size_t end = c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n' ? i + 2 : i + 1;
      lines.Raw(text.substr(lineStart, end - lineStart));
      lineStart = i = end;
      lastBreak = none;
      continue;
    }
    if (i - lineStart + 1 > maxCol) {
      if (c == u' ') {
        lines.Wrapped(text.substr(lineStart, i - lineStart));
        lineStart = i = skipBlanks(i);
        lastBreak = none;
        continue;
      }
      if (lastBreak != none) {
        // Nothing between the break and here is a break character: the new line starts right after it.
        lines.Wrapped(text.substr(lineStart, lastBreak + 1 - lineStart));
        lineStart = lastBreak + 1;
        lastBreak = none;
      } else if (IsWrapBreak(c)) {
        // A word longer than a line ends at its own break character.
        lines.Wrapped(text.substr(lineStart, i + 1 - lineStart));
        lineStart = i = skipBlanks(i + 1);
        continue;
      }
    }
    if (IsWrapBreak(c)) lastBreak = i;
    ++i;
  }
  lines.Raw(text.substr(lineStart));
  return out;
}

TComboChoice ChooseComboEntry(const TWideStringArray& items, std::u16string_view value) {
  TComboChoice choice;
  int32_t index = -1;
  if (items.Find(value, index)) {
    choice.Selected = index;
  } else if (items.Count() > 0) {
    choice.Selected = 0;
  }
  if (choice.Selected >= 0) choice.Value = items.Get(choice.Selected);
  return choice;
}

TPrinterComboChoice ChoosePrinterEntry(const TWideStringArray& destinations, std::u16string_view stored,
                                       const std::function<std::u16string()>& defaultDestination) {
  TPrinterComboChoice result;
  int32_t index = -1;
  if (!stored.empty() && destinations.Find(stored, index)) {
    result.Choice = {index, destinations.Get(index)};
    return result;
  }
  result.TookDefault = true;
  const std::u16string fallback = defaultDestination ? defaultDestination() : std::u16string();
  if (!fallback.empty() && destinations.Find(fallback, index)) result.Choice = {index, destinations.Get(index)};
  return result;
}

std::vector<TPrinterMenuEntry> PrinterMenuEntries(const TWideStringArray& destinations, std::u16string_view current) {
  std::vector<TPrinterMenuEntry> entries;
  entries.reserve(static_cast<size_t>(destinations.Count()));
  for (int32_t i = 0; i < destinations.Count(); ++i) {
    std::u16string name = destinations.Get(i);
    const bool checked = !current.empty() && SameTextW(name, current);
    entries.push_back({std::move(name), checked});
  }
  return entries;
}

std::u16string MenuCaptionOf(std::u16string_view text) {
  std::u16string caption;
  caption.reserve(text.size() + 2);
  for (const char16_t c : text) {
    if (c == u'&') caption += u'&';
    caption += c;
  }
  return caption;
}

namespace {
bool IsDriveRoot(std::u16string_view path) {
  return path.size() == 3 && path[1] == u':' && (path[2] == u'\\' || path[2] == u'/');
}
}  // namespace

std::u16string FolderBrowseStart(std::u16string_view directory) {
  if (IsDriveRoot(directory)) return std::u16string(directory);
  return ExcludeTrailingPathDelimiterW(directory);
}

std::u16string FolderBrowseResult(const std::optional<std::u16string>& chosen, std::u16string_view start) {
  if (chosen && !chosen->empty()) return IncludeTrailingPathDelimiterW(*chosen);
  if (start.empty()) return {};
  return IncludeTrailingPathDelimiterW(start);
}
