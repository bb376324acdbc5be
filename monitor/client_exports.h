// The batch DOS run's command line: "-ConfigDos" (or "-ConfigDirDos") followed by options of one letter
// with the value written directly after it. What the run then calls is in client_exports_win.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>

struct TDosBatchOptions {
  std::u16string Input;    // -I
  std::u16string Output;   // -O
  std::u16string Printer;  // -P
  std::u16string Model;    // -T
  bool HasCount = false;   // -N
  int32_t Count = 0;
  bool HasCopiesList = false;  // -C: the copies that carry the code, as a page list
  std::string CopiesList;
  bool HasH = false;  // -H, 0..999
  int32_t H = 0;
  bool HasV = false;  // -V, -999..999
  int32_t V = 0;
  bool Forming = false;      // -F
  bool DeleteInput = false;  // -K
};

// args: the arguments after the program's name, the first being the switch word that chose the run; it
// must be written with "-" and selects the run without being read as an option. nullopt when any
// argument is not "-" with a known option letter, or there is no option: then the command line is no
// batch run.
std::optional<TDosBatchOptions> ParseDosBatchArgs(std::span<const std::u16string> args);

// With -N or -C the file is coded by the given copies; otherwise the document types decide.
inline bool UsesFileCopies(const TDosBatchOptions& options) { return options.HasCount || options.HasCopiesList; }
// -1 without -H and -V; else the horizontal place in the low 16 bits, the vertical (signed) in the high.
int32_t DosBatchCodePlace(const TDosBatchOptions& options);
// One letter per copy up to the count (at most 64); without a positive count the list's mask cut
// after its last "C".
std::string DosBatchCopies(const TDosBatchOptions& options);
