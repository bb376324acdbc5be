// Registry export file reader and the include walk.
#include "foundation/cl_tools_regimport.h"

#include <deque>
#include <set>

#include "foundation/lib_str.h"
#include "foundation/lib_unicode.h"

namespace {
bool IsHexDigit(char16_t c) { return (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F'); }

// Hexadecimal digits only, so the narrowing is exact.
std::string AsciiOf(std::u16string_view digits) { return std::string(digits.begin(), digits.end()); }

bool StartsWithNoCase(std::u16string_view text, std::u16string_view prefix) {
  return text.size() >= prefix.size() && SameTextW(text.substr(0, prefix.size()), prefix);
}

// Each backslash is dropped and the character after it kept as it is; a backslash at the end stays.
std::u16string Unescape(std::u16string_view text) {
  std::u16string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == u'\\' && i + 1 < text.size()) ++i;
    out.push_back(text[i]);
  }
  return out;
}

class TRegFileParser {
 public:
  TRegFileParser(std::span<const uint8_t> bytes, TAnsiDecoder ansi) : reader_(bytes, ansi) { reader_.DetectEncoding(); }

  TRegFile Run() {
    std::u16string line;
    while (Next(line)) {
      if (line.empty()) continue;
      // Trimming takes NULs for blanks; a header with a NUL behind it is no header.
      if ((line != kRegEdit4Header && line != kRegEdit5Header) || lastHadNul_) {
        Problem("not a registry export file");
        return std::move(file_);
      }
      break;
    }
    file_.Valid = true;
    while (Next(line)) {
      if (line.empty()) continue;
      if (line[0] == u'[') {
        Section(line);
      } else if (line[0] == u'"' && keyInHand_) {
        Value(line);
      }
      // Anything else: the default value "@", comments, values of skipped sections.
    }
    return std::move(file_);
  }

 private:
  // The next line, trimmed; false at the end of the file. A line put back comes first.
  bool Next(std::u16string& line) {
    if (putBack_) {
      putBack_ = false;
      line = std::move(held_);
      ++lineNo_;
      return true;
    }
    if (reader_.Eof()) return false;
    const std::u16string raw = reader_.ReadLine();
    lastHadNul_ = raw.find(u'\0') != std::u16string::npos;
    line = TrimW(raw);
    ++lineNo_;
    return true;
  }

  // The line just read is read again by the next Next.
  void PutBack(std::u16string line) {
    held_ = std::move(line);
    putBack_ = true;
    --lineNo_;
  }

  void Problem(std::string reason) { file_.Problems.push_back({lineNo_, std::move(reason)}); }

  TRegFileOp& Add(TRegFileOpKind kind) {
    TRegFileOp& op = file_.Ops.emplace_back();
    op.Kind = kind;
    op.Line = lineNo_;
    return op;
  }

  void Section(std::u16string_view line) {
    keyInHand_ = false;
    // Text after the closing bracket would become part of the key's name.
    if (line.size() < 2 || line.back() != u']') return Problem("key line without closing bracket at its end");
    std::u16string text = TrimW(line.substr(1, line.size() - 2));
    const bool remove = !text.empty() && text[0] == u'-';
    if (remove) text = TrimW(std::u16string_view(text).substr(1));
    // The root is the start of the path, not a name found somewhere inside it.
    if (!StartsWithNoCase(text, kRegFileRoot)) return;
    std::u16string_view rest = std::u16string_view(text).substr(kRegFileRoot.size());
    if (!rest.empty()) {
      if (rest[0] != u'\\') return;
      rest.remove_prefix(1);
    }
    std::u16string path = TrimW(rest);
    if (!path.empty() && path.back() == u'\\') path.pop_back();
    // The root itself is never written to or deleted.
    if (path.empty()) return;
    // The system would stop the name at the NUL and act on another key.
    if (path.find(u'\0') != std::u16string::npos) return Problem("key path with a NUL character");
    if (HasEmptyName(path)) return Problem("key path with an empty name");
    Add(remove ? TRegFileOpKind::DeleteKey : TRegFileOpKind::OpenKey).Path = std::move(path);
    keyInHand_ = !remove;
  }

  static bool HasEmptyName(std::u16string_view path) {
    return path.front() == u'\\' || path.back() == u'\\' || path.find(u"\\\\") != std::u16string_view::npos;
  }

  // The quoted name at the start of the line, up to its first quotation mark that no backslash escapes.
  static bool QuotedName(std::u16string_view line, std::u16string& name, size_t& after) {
    for (size_t i = 1; i < line.size(); ++i) {
      if (line[i] == u'\\') {
        ++i;
      } else if (line[i] == u'"') {
        name = Unescape(line.substr(1, i - 1));
        after = i + 1;
        return true;
      }
    }
    return false;
  }

  void Value(std::u16string_view line) {
    std::u16string name;
    size_t after = 0;
    if (!QuotedName(line, name, after)) return Problem("value name without closing quotation mark");
    if (name.find(u'\0') != std::u16string::npos) return Problem("value name with a NUL character");
    const size_t eq = line.find(u'=', after);
    if (eq == std::u16string_view::npos) return Problem("value without '='");
    const std::u16string data = TrimW(line.substr(eq + 1));
    if (data.empty()) return Problem("value without data");
    switch (data[0]) {
      case u'"': {
        std::u16string_view text = std::u16string_view(data).substr(1);
        if (!text.empty() && text.back() == u'"') text.remove_suffix(1);
        // The system would end the text at the NUL.
        if (text.find(u'\0') != std::u16string_view::npos) return Problem("string value with a NUL character");
        TRegFileOp& op = Add(TRegFileOpKind::SetString);
        op.Name = std::move(name);
        op.Text = Unescape(text);
        return;
      }
      case u'd':
      case u'D':
        return Dword(std::move(name), data);
      case u'h':
      case u'H':
        return Binary(std::move(name), data);
      case u'-':
        if (data.size() == 1) Add(TRegFileOpKind::DeleteValue).Name = std::move(name);
        return;
      default:
        return;  // a kind of value this reader does not take
    }
  }

  void Dword(std::u16string name, std::u16string_view data) {
    const size_t colon = data.find(u':');
    if (colon == std::u16string_view::npos) return Problem("dword value without ':'");
    const std::u16string digits = TrimW(data.substr(colon + 1));
    if (digits.size() > 8) return Problem("dword value of more than eight digits");
    for (const char16_t c : digits) {
      if (!IsHexDigit(c)) return Problem("dword value with a character that is no hexadecimal digit");
    }
    TRegFileOp& op = Add(TRegFileOpKind::SetDword);
    op.Name = std::move(name);
    op.Dword = Hex8ToInt(AsciiOf(digits));
  }

  void Binary(std::u16string name, std::u16string_view data) {
    const size_t colon = data.find(u':');
    if (colon == std::u16string_view::npos) return Problem("hex value without ':'");
    const size_t firstLine = lineNo_;
    std::u16string list = TrimW(data.substr(colon + 1));
    std::u16string next;
    // Only the end of the list is trimmed between lines: it is the only part that changed.
    while (!list.empty() && list.back() == u'\\') {
      list.pop_back();
      while (!list.empty() && list.back() <= u' ') list.pop_back();
      if (!Next(next)) break;
      // A continuation never starts a key or a value: the list was cut off, and that line is read
      // as what it is.
      if (!next.empty() && (next[0] == u'[' || next[0] == u'"')) {
        file_.Problems.push_back({firstLine, "hex value continued into the next key or value line"});
        PutBack(std::move(next));
        return;
      }
      list += next;
    }
    // Bytes of one or two digits, separated by commas; a comma may close the list.
    std::string bytes;
    for (std::u16string_view rest = list; !rest.empty();) {
      const size_t comma = rest.find(u',');
      const std::u16string item = TrimW(rest.substr(0, comma));
      rest = comma == std::u16string_view::npos ? std::u16string_view() : rest.substr(comma + 1);
      const bool valid = !item.empty() && item.size() <= 2 && IsHexDigit(item[0]) && IsHexDigit(item.back());
      if (!valid) {
        file_.Problems.push_back({firstLine, "hex value with an item that is no byte"});
        return;
      }
      bytes.push_back(static_cast<char>(Hex2ToByte(AsciiOf(item))));
    }
    TRegFileOp& op = Add(TRegFileOpKind::SetBinary);
    op.Line = firstLine;
    op.Name = std::move(name);
    op.Bytes = std::move(bytes);
  }

  TByteReader reader_;
  TRegFile file_;
  size_t lineNo_ = 0;
  bool keyInHand_ = false;
  bool lastHadNul_ = false;
  bool putBack_ = false;
  std::u16string held_;
};
}  // namespace

TRegFile ParseRegFile(std::span<const uint8_t> bytes, TAnsiDecoder ansi) { return TRegFileParser(bytes, ansi).Run(); }

bool IsIncludeMask(std::u16string_view item) { return item.find_first_of(u"*?") != std::u16string_view::npos; }

bool MatchesIncludeMask(std::u16string_view name, std::u16string_view mask) {
  // Greedy match with one backtrack point: the last '*' seen.
  size_t n = 0;
  size_t m = 0;
  size_t starAt = std::u16string_view::npos;
  size_t starName = 0;
  while (n < name.size()) {
    if (m < mask.size() && mask[m] == u'*') {
      starAt = m++;
      starName = n;
    } else if (m < mask.size() && (mask[m] == u'?' || LowerCharW(mask[m]) == LowerCharW(name[n]))) {
      ++m;
      ++n;
    } else if (starAt != std::u16string_view::npos) {
      m = starAt + 1;
      n = ++starName;
    } else {
      return false;
    }
  }
  while (m < mask.size() && mask[m] == u'*') ++m;
  return m == mask.size();
}

bool ImportIncludeList(std::u16string_view includes, std::u16string_view firstFileName, TIncludeImportHost& host) {
  std::deque<std::u16string> items;
  for (std::u16string_view rest = includes; !rest.empty();) {
    const size_t comma = rest.find(u',');
    items.emplace_back(rest.substr(0, comma));
    rest = comma == std::u16string_view::npos ? std::u16string_view() : rest.substr(comma + 1);
  }
  std::set<std::u16string> imported{LowerCaseW(firstFileName)};
  bool ok = true;
  while (!items.empty()) {
    const std::u16string item = TrimW(items.front());
    items.pop_front();
    if (item.empty()) continue;
    if (IsIncludeMask(item)) {
      const std::vector<std::u16string> found = host.FindFiles(item);
      // Found names go first, in their order; a name that is itself a mask would never end.
      for (auto it = found.rbegin(); it != found.rend(); ++it) {
        if (!it->empty() && !IsIncludeMask(*it)) items.push_front(*it);
      }
      continue;
    }
    if (!imported.insert(LowerCaseW(item)).second) continue;
    if (host.Exists(item) && !host.Import(item)) ok = false;
  }
  return ok;
}
