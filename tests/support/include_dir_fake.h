// The directory of an include walk held in memory: its files, the ones whose import fails, and the
// imports in the order they were asked for.
#pragma once

#include <set>
#include <string>
#include <vector>

#include "foundation/cl_tools_regimport.h"
#include "foundation/lib_str.h"

class TMemoryIncludeDir : public TIncludeImportHost {
 public:
  std::vector<std::u16string> files;
  std::set<std::u16string> failing;
  std::vector<std::u16string> imported;
  std::vector<std::u16string> FindFiles(std::u16string_view mask) override {
    std::vector<std::u16string> out;
    for (const auto& f : files) {
      if (MatchesIncludeMask(f, mask)) out.push_back(f);
    }
    return out;
  }
  bool Exists(std::u16string_view name) override {
    for (const auto& f : files) {
      if (LowerCaseW(f) == LowerCaseW(name)) return true;
    }
    return false;
  }
  bool Import(std::u16string_view name) override {
    imported.emplace_back(name);
    return !failing.count(std::u16string(name));
  }
};
