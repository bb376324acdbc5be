// Fuzz target of the registry export file reader (any bytes, in any of the three encodings) and of the
// include walk over a configuration's "Include" list.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <set>
#include <span>
#include <string>
#include <vector>

#include "foundation/cl_tools_regimport.h"
#include "foundation/lib_str.h"
#include "support/include_dir_fake.h"

namespace {

// The input as 8-bit text: the include list up to the first line break, then one file name a line.
void WalkIncludes(const uint8_t* data, size_t size) {
  const std::u16string text(data, data + size);
  const size_t eol = text.find(u'\n');
  TMemoryIncludeDir dir;
  for (std::u16string_view rest = eol == std::u16string::npos ? std::u16string_view() : std::u16string_view(text).substr(eol + 1);
       !rest.empty() && dir.files.size() < 64;) {
    const size_t next = rest.find(u'\n');
    dir.files.emplace_back(rest.substr(0, next));
    rest = next == std::u16string_view::npos ? std::u16string_view() : rest.substr(next + 1);
  }
  ImportIncludeList(std::u16string_view(text).substr(0, eol), u"first.reg", dir);
  // Each file once, never the first one again, never a mask.
  std::set<std::u16string> seen{u"first.reg"};
  for (const auto& name : dir.imported) {
    if (!seen.insert(LowerCaseW(name)).second || IsIncludeMask(name)) std::abort();
  }
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const TRegFile file = ParseRegFile(std::span<const uint8_t>(data, size));
  // A file without a header asks for nothing; every value step follows the key it belongs to; no
  // key path or value name holds a NUL, which the system would take as its end.
  if (!file.Valid && !file.Ops.empty()) std::abort();
  bool keyOpen = false;
  for (const TRegFileOp& op : file.Ops) {
    switch (op.Kind) {
      case TRegFileOpKind::OpenKey:
        if (op.Path.empty() || op.Path.front() == u'\\' || op.Path.back() == u'\\') std::abort();
        if (op.Path.find(u'\0') != std::u16string::npos || op.Path.find(u"\\\\") != std::u16string::npos) std::abort();
        keyOpen = true;
        break;
      case TRegFileOpKind::DeleteKey:
        if (op.Path.empty()) std::abort();
        keyOpen = false;
        break;
      default:
        if (!keyOpen || op.Name.find(u'\0') != std::u16string::npos) std::abort();
        break;
    }
    if (op.Line == 0) std::abort();
  }
  // The same bytes as a name and a mask: the matcher must end on any pair.
  std::u16string includes(size / 2, u'\0');
  if (!includes.empty()) std::memcpy(includes.data(), data, includes.size() * 2);
  (void)MatchesIncludeMask(includes, includes.substr(0, includes.size() / 2));
  WalkIncludes(data, size);
  return 0;
}
