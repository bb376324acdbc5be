#include "monitor/client_exports.h"

#include <algorithm>

#include "foundation/cl_tools_pages.h"

namespace {

std::u16string WithoutQuotes(std::u16string_view value) {
  std::u16string out;
  for (const char16_t c : value) {
    if (c != u'"') out += c;
  }
  return out;
}

// A decimal with an optional sign; anything else, or nothing, is 0. Saturates instead of overflowing.
int32_t DecimalValue(std::u16string_view text) {
  bool negative = false;
  if (!text.empty() && (text[0] == u'-' || text[0] == u'+')) {
    negative = text[0] == u'-';
    text.remove_prefix(1);
  }
  if (text.empty()) return 0;
  int64_t value = 0;
  for (const char16_t c : text) {
    if (c < u'0' || c > u'9') return 0;
    value = std::min<int64_t>(value * 10 + (c - u'0'), INT32_MAX);
  }
  return static_cast<int32_t>(negative ? -value : value);
}

// Page lists are digits and separators; anything outside ASCII only separates.
std::string AsciiOf(std::u16string_view text) {
  std::string out;
  for (const char16_t c : text) out += c < 0x80 ? static_cast<char>(c) : ' ';
  return out;
}

}  // namespace

std::optional<TDosBatchOptions> ParseDosBatchArgs(std::span<const std::u16string> args) {
  // The switch word alone asks for the settings: a run without options would have no file to code.
  if (args.size() < 2 || args[0].empty() || args[0][0] != u'-') return std::nullopt;
  TDosBatchOptions o;
  for (const std::u16string& arg : args.subspan(1)) {
    if (arg.size() < 2 || arg[0] != u'-') return std::nullopt;
    const std::u16string_view value = std::u16string_view(arg).substr(2);
    switch (arg[1]) {
      case u'I': case u'i': o.Input = WithoutQuotes(value); break;
      case u'O': case u'o': o.Output = WithoutQuotes(value); break;
      case u'P': case u'p': o.Printer = WithoutQuotes(value); break;
      case u'T': case u't': o.Model = WithoutQuotes(value); break;
      case u'N': case u'n':
        o.HasCount = true;
        o.Count = DecimalValue(value);
        break;
      case u'C': case u'c':
        o.HasCopiesList = true;
        o.CopiesList = AsciiOf(value);
        break;
      case u'H': case u'h':
        o.HasH = true;
        o.H = std::clamp(DecimalValue(value), 0, 999);
        break;
      case u'V': case u'v':
        o.HasV = true;
        o.V = std::clamp(DecimalValue(value), -999, 999);
        break;
      case u'F': case u'f': o.Forming = true; break;
      case u'K': case u'k': o.DeleteInput = true; break;
      default: return std::nullopt;
    }
  }
  return o;
}

int32_t DosBatchCodePlace(const TDosBatchOptions& options) {
  if (!options.HasH && !options.HasV) return -1;
  const uint32_t low = static_cast<uint16_t>(options.H);
  const uint32_t high = static_cast<uint16_t>(static_cast<int16_t>(options.V));
  return static_cast<int32_t>(low | (high << 16));
}

std::string DosBatchCopies(const TDosBatchOptions& options) {
  return PageListToMask(options.Count, options.CopiesList, options.Count <= 0);
}
