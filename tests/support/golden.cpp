// Golden sets: read whole, compared by key, rewritten whole when regenerating.
#include "support/golden.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <mutex>
#include <vector>

namespace {

constexpr std::string_view kSeparator = " = ";

// The lines of a set in order; comments and blank lines are kept for the rewrite.
std::vector<std::string> ReadLines(std::string_view set) {
  std::vector<std::string> lines;
  std::ifstream in(GoldenPath(set), std::ios::binary);
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
  }
  return lines;
}

bool IsEntry(const std::string& line, std::string_view key) {
  return line.size() >= key.size() + kSeparator.size() && line.compare(0, key.size(), key) == 0 &&
         line.compare(key.size(), kSeparator.size(), kSeparator) == 0;
}

bool Regenerating() {
  const char* v = std::getenv("CLIENT_REGENERATE_GOLDEN");
  return v && *v && std::string_view(v) != "0";
}

void Record(std::string_view set, std::string_view key, std::string_view value) {
  static std::mutex mutex;
  const std::lock_guard<std::mutex> lock(mutex);
  std::vector<std::string> lines = ReadLines(set);
  const std::string entry = std::string(key) + std::string(kSeparator) + std::string(value);
  bool replaced = false;
  for (std::string& line : lines)
    if (IsEntry(line, key)) {
      line = entry;
      replaced = true;
    }
  if (!replaced) lines.push_back(entry);
  std::ofstream out(GoldenPath(set), std::ios::binary | std::ios::trunc);
  for (const std::string& line : lines) out << line << '\n';
}

}  // namespace

std::string GoldenPath(std::string_view set) {
  return std::string(CLIENT_TEST_DATA_DIR) + "/golden/" + std::string(set) + ".txt";
}

std::optional<std::string> GoldenValue(std::string_view set, std::string_view key) {
  for (const std::string& line : ReadLines(set))
    if (IsEntry(line, key)) return line.substr(key.size() + kSeparator.size());
  return std::nullopt;
}

testing::AssertionResult MatchesGolden(std::string_view set, std::string_view key, std::string_view actual) {
  if (Regenerating()) {
    Record(set, key, actual);
    return testing::AssertionSuccess();
  }
  const std::optional<std::string> stored = GoldenValue(set, key);
  if (!stored)
    return testing::AssertionFailure() << "no value \"" << key << "\" in " << GoldenPath(set)
                                       << " (CLIENT_REGENERATE_GOLDEN=1 records it)";
  if (*stored != actual)
    return testing::AssertionFailure() << "\"" << key << "\" of " << GoldenPath(set) << "\n  stored: " << *stored
                                       << "\n  now:    " << actual;
  return testing::AssertionSuccess();
}

std::string HexOf(std::string_view bytes) {
  static const char* digits = "0123456789ABCDEF";
  std::string h;
  h.reserve(bytes.size() * 2);
  for (unsigned char c : bytes) {
    h.push_back(digits[c >> 4]);
    h.push_back(digits[c & 15]);
  }
  return h;
}

std::string HexOf(uint32_t value) {
  char buf[9];
  std::snprintf(buf, sizeof buf, "%08X", static_cast<unsigned>(value));
  return buf;
}
