// Fuzz target of the text edits on files the program does not own: placeholders in a template file and
// a line added to WININIT.INI. Input: the file's text, byte 0x00, then placeholder=value lines. The
// program names a few placeholders of its own: four at most here, each value at most twice as long as
// its placeholder, so that the file may grow but not without bound.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "foundation/lib_file.h"
#include "fuzz/fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string input(reinterpret_cast<const char*>(data), size);
  const size_t cut = input.find('\0');
  const std::string file = input.substr(0, cut);
  std::vector<std::string> placeholders, values;
  if (cut != std::string::npos) {
    for (const std::string& line : FuzzPieces<char>(std::string_view(input).substr(cut + 1), '\n')) {
      if (placeholders.size() == 4) break;
      const size_t eq = line.find('=');
      placeholders.push_back(line.substr(0, eq));
      values.push_back(eq == std::string::npos ? std::string() : line.substr(eq + 1, 2 * placeholders.back().size()));
    }
  }
  std::string text = file;
  ReplacePlaceholders(text, placeholders, values);
  const std::string line = placeholders.empty() ? std::string("NUL=C:\\x.tmp") : placeholders[0];
  const std::string ini = AddWininitRename(file, line);
  // Nothing of the file is lost: it only grows.
  if (ini.size() < file.size() + line.size()) std::abort();
  return 0;
}
