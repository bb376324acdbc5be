// Reader of registry export files (REGEDIT4 in the ANSI code page, version 5.00 in UTF-16LE) into the
// list of key and value operations they ask for, and the walk over a configuration's "Include" list.
// Writing the operations into the registry is the Windows edge's (cl_tools_regimport_win).
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "foundation/lib_file_reader.h"

inline constexpr std::u16string_view kRegEdit4Header = u"REGEDIT4";
inline constexpr std::u16string_view kRegEdit5Header = u"Windows Registry Editor Version 5.00";
// The only root whose sections are imported; the importer decides where they land.
inline constexpr std::u16string_view kRegFileRoot = u"HKEY_LOCAL_MACHINE";

enum class TRegFileOpKind : uint8_t { OpenKey, DeleteKey, SetString, SetDword, SetBinary, DeleteValue };

// One step of an import. Value steps always follow the OpenKey of their section.
struct TRegFileOp {
  TRegFileOpKind Kind = TRegFileOpKind::OpenKey;
  // Line of the file (from 1) the step comes from.
  size_t Line = 0;
  // OpenKey and DeleteKey: the key's path below the root, no leading or trailing backslash.
  std::u16string Path;
  std::u16string Name;
  std::u16string Text;
  uint32_t Dword = 0;
  std::string Bytes;
  friend bool operator==(const TRegFileOp&, const TRegFileOp&) = default;
};

// A line that asked for something the reader could not take; it is left out of the steps. A file with
// any problem is damaged as a whole: its other steps may belong to other keys than they seem to.
struct TRegFileProblem {
  size_t Line = 0;
  std::string Reason;
  friend bool operator==(const TRegFileProblem&, const TRegFileProblem&) = default;
};

struct TRegFile {
  // False when the first non-empty line is neither header; a file of blank lines is valid and empty.
  bool Valid = false;
  std::vector<TRegFileOp> Ops;
  std::vector<TRegFileProblem> Problems;
  // What an import may write: a valid file without problems.
  bool Importable() const { return Valid && Problems.empty(); }
};

// The encoding comes from the byte-order mark (none: the ANSI code page, through ansi when given).
TRegFile ParseRegFile(std::span<const uint8_t> bytes, TAnsiDecoder ansi = nullptr);

// An include item holding '*' or '?' names files by mask.
bool IsIncludeMask(std::u16string_view item);
// '*' any run of characters, '?' exactly one; case ignored as the system folds letters.
bool MatchesIncludeMask(std::u16string_view name, std::u16string_view mask);

// The directory of the first file, as the include walk sees it.
class TIncludeImportHost {
 public:
  virtual ~TIncludeImportHost() = default;
  // Names (no directory) of the files that match the mask.
  virtual std::vector<std::u16string> FindFiles(std::u16string_view mask) = 0;
  virtual bool Exists(std::u16string_view name) = 0;
  virtual bool Import(std::u16string_view name) = 0;
};

// Imports every file the comma-separated list names (masks expanded in place), each file once, whole
// names compared without case, the first file counting as imported. Missing files are passed over;
// false when an import failed (the walk goes on).
bool ImportIncludeList(std::u16string_view includes, std::u16string_view firstFileName, TIncludeImportHost& host);
